// The tool window in Qt Widgets, built from the control table. It only shows
// the model's fields and turns user actions into the model's events.
#pragma once

#include <QWidget>
#include <array>

#include "app/tool_window.hpp"

class QTimer;

namespace zarvo {

class QtToolWindow final : public QWidget, public WindowView {
 public:
  explicit QtToolWindow(ToolWindow& model);
  ~QtToolWindow() override;

  // The widget of a control; nullptr for those without a visible form.
  QWidget* Widget(ControlId id) const { return widgets_[static_cast<size_t>(id)]; }
  void StartTimer();

  void FieldChanged(ControlId id, Field field) override;
  std::string EditedText(ControlId id) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void CreateControl(const ControlEntry& entry);
  QWidget* NewMultiLineBox(const ControlEntry& entry, QWidget* parent);
  QWidget* NewButton(const ControlEntry& entry, QWidget* parent);
  void ShowAll(ControlId id);
  void FitOuterSize();

  ToolWindow& model_;
  std::array<QWidget*, kControlCount> widgets_{};
  QTimer* timer_ = nullptr;
};

}  // namespace zarvo
