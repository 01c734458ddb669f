// The tool window as a model: the fields of its controls, the events that run
// handlers, and the view through which a front end mirrors the fields.
//
// Every text is GBK bytes. The model belongs to the window thread: handlers,
// front ends and the hand-over from the fetch worker all touch it there.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/control_table.hpp"

namespace zarvo {

enum class Field : uint8_t { Text, Visible, Enabled, Selection, Bold };

enum class Event : uint8_t { Creation, DoubleClick, ItemChosen, Click, Tick };

// The events that run a handler. Creation belongs to the window itself (no
// control); front ends raise exactly these.
struct EventBinding {
  std::optional<ControlId> control;
  Event event;
};
std::span<const EventBinding> EventTable();
// Whether the events table binds this event of this control (or of the window).
bool IsBound(std::optional<ControlId> control, Event event);

// What a front end implements: it shows the fields, and hands back the text of
// a box that the user edited.
class WindowView {
 public:
  virtual ~WindowView() = default;
  // A handler (or the fetch) changed a field; the widget must show it without
  // raising any event.
  virtual void FieldChanged(ControlId id, Field field) = 0;
  // The current text of an edit box the user has edited since the model last
  // knew its text, as GBK with CR LF line breaks.
  virtual std::string EditedText(ControlId id) = 0;
};

class ToolWindow {
 public:
  using Handler = std::function<void(ToolWindow&)>;

  ToolWindow();
  ToolWindow(const ToolWindow&) = delete;
  ToolWindow& operator=(const ToolWindow&) = delete;

  // Field operations. Text is an edit box's text or any other control's
  // caption. A field reads back what was last set, shown or hidden.
  const std::string& Text(ControlId id);
  void SetText(ControlId id, std::string text);
  bool Visible(ControlId id) const;
  void SetVisible(ControlId id, bool visible);
  bool Enabled(ControlId id) const;
  void SetEnabled(ControlId id, bool enabled);
  int Selection(ControlId id) const;
  void SetSelection(ControlId id, int index);
  const std::vector<std::string>& Items(ControlId id) const;
  bool Bold(ControlId id) const;
  void SetBold(ControlId id, bool bold);

  // Events. One handler per binding of the events table; registering another
  // replaces it. Raising an event with no handler does nothing.
  void On(std::optional<ControlId> control, Event event, Handler handler);
  void Raise(std::optional<ControlId> control, Event event);

  // Front-end side.
  void SetView(WindowView* view) { view_ = view; }
  // The user typed into an edit box: its text is taken from the view when it
  // is next read.
  void MarkEditedByUser(ControlId id);
  // The user confirmed a pick in a selector's list (also of the shown item).
  void PickByUser(ControlId id, int index);

 private:
  struct State {
    std::string text;
    std::vector<std::string> items;
    int selection = -1;
    bool visible = true;
    bool enabled = true;
    bool bold = false;
    bool editedByUser = false;
  };
  struct Binding {
    EventBinding key;
    Handler handler;
  };

  State& At(ControlId id) { return controls_[static_cast<size_t>(id)]; }
  const State& At(ControlId id) const { return controls_[static_cast<size_t>(id)]; }
  void Notify(ControlId id, Field field);

  std::vector<State> controls_;
  std::vector<Binding> handlers_;
  WindowView* view_ = nullptr;
};

}  // namespace zarvo
