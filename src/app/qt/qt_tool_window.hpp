// The tool window in Qt Widgets, built from the control table. It only shows
// the model's fields and turns user actions into the model's events.
#pragma once

#include <QWidget>
#include <array>
#include <optional>
#include <string_view>

#include "app/tool_window.hpp"

class QTimer;

namespace zarvo {

class QtToolWindow final : public QWidget, public WindowView {
 public:
  explicit QtToolWindow(ToolWindow& model);
  ~QtToolWindow() override;

  // The widget of a control; nullptr for those without a visible form and
  // for the hidden holders that are never shown.
  QWidget* Widget(ControlId id) const { return widgets_[static_cast<size_t>(id)]; }
  void StartTimer();

  // The Unicode form of the text last shown in a multi-line box, while `gbk`
  // is that very text of the model (its bytes, not a copy of them), so that
  // the clipboard takes the same text without converting it again. Kept until
  // the window thread returns to its event loop.
  std::optional<QString> ShownText(std::string_view gbk) const;

  void FieldChanged(ControlId id, Field field) override;
  std::string EditedText(ControlId id) override;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateControl(const ControlEntry& entry);
  QWidget* NewMultiLineBox(const ControlEntry& entry, QWidget* parent);
  QWidget* NewButton(const ControlEntry& entry, QWidget* parent);
  void ShowAll(ControlId id);
  void FitOuterSize();

  ToolWindow& model_;
  std::array<QWidget*, kControlCount> widgets_{};
  QTimer* timer_ = nullptr;
  struct Shown {
    std::string_view gbk;
    QString text;
  };
  std::optional<Shown> lastShown_;
  bool centredWithFrame_ = false;
};

}  // namespace zarvo
