#include "app/tool_window.hpp"

#include <algorithm>
#include <cassert>

#include "platform/gbk.hpp"

namespace zarvo {
namespace {

using enum ControlId;

constexpr EventBinding kEvents[] = {
    {std::nullopt, Event::Creation},  // starts the template fetch
    {编辑框1, Event::DoubleClick},    // empties the code input box
    {组合框1, Event::ItemChosen},     // target area preset
    {组合框3, Event::ItemChosen},     // code width preset
    {组合框2, Event::ItemChosen},     // spacing preset
    {超级按钮1, Event::Click},        // height detection
    {按钮1, Event::Click},            // generate and copy
    {按钮3, Event::Click},            // placeholder code
    {按钮2, Event::Click},            // preview
    {时钟1, Event::Tick},             // status reset
};

bool SameBinding(const EventBinding& a, const EventBinding& b) {
  return a.control == b.control && a.event == b.event;
}

}  // namespace

std::span<const EventBinding> EventTable() { return kEvents; }

bool IsBound(std::optional<ControlId> control, Event event) {
  const EventBinding key{control, event};
  return std::any_of(std::begin(kEvents), std::end(kEvents),
                     [&](const EventBinding& b) { return SameBinding(b, key); });
}

ToolWindow::ToolWindow() : controls_(kControlCount) {
  for (const ControlEntry& entry : ControlTable()) {
    State& state = At(entry.id);
    state.text = Utf8ToGbk(entry.text);
    for (std::string_view item : entry.items) {
      state.items.push_back(Utf8ToGbk(item));
    }
    state.selection = entry.selection;
    state.visible = entry.visible;
    state.bold = entry.bold;
  }
}

const std::string& ToolWindow::Text(ControlId id) {
  State& state = At(id);
  if (state.editedByUser) {
    state.editedByUser = false;
    if (view_ != nullptr) {
      state.text = view_->EditedText(id);
    }
  }
  return state.text;
}

void ToolWindow::SetText(ControlId id, std::string text) {
  State& state = At(id);
  state.text = std::move(text);
  state.editedByUser = false;
  Notify(id, Field::Text);
}

bool ToolWindow::Visible(ControlId id) const { return At(id).visible; }

void ToolWindow::SetVisible(ControlId id, bool visible) {
  At(id).visible = visible;
  Notify(id, Field::Visible);
}

bool ToolWindow::Enabled(ControlId id) const { return At(id).enabled; }

void ToolWindow::SetEnabled(ControlId id, bool enabled) {
  At(id).enabled = enabled;
  Notify(id, Field::Enabled);
}

int ToolWindow::Selection(ControlId id) const { return At(id).selection; }

void ToolWindow::SetSelection(ControlId id, int index) {
  At(id).selection = index;
  Notify(id, Field::Selection);
}

const std::vector<std::string>& ToolWindow::Items(ControlId id) const { return At(id).items; }

bool ToolWindow::Bold(ControlId id) const { return At(id).bold; }

void ToolWindow::SetBold(ControlId id, bool bold) {
  At(id).bold = bold;
  Notify(id, Field::Bold);
}

void ToolWindow::On(std::optional<ControlId> control, Event event, Handler handler) {
  const EventBinding key{control, event};
  assert(IsBound(control, event));
  auto found = std::find_if(handlers_.begin(), handlers_.end(),
                            [&](const Binding& b) { return SameBinding(b.key, key); });
  if (found != handlers_.end()) {
    found->handler = std::move(handler);
  } else {
    handlers_.push_back({key, std::move(handler)});
  }
}

void ToolWindow::Raise(std::optional<ControlId> control, Event event) {
  const EventBinding key{control, event};
  auto found = std::find_if(handlers_.begin(), handlers_.end(),
                            [&](const Binding& b) { return SameBinding(b.key, key); });
  if (found != handlers_.end() && found->handler) {
    found->handler(*this);
  }
}

void ToolWindow::MarkEditedByUser(ControlId id) { At(id).editedByUser = true; }

void ToolWindow::PickByUser(ControlId id, int index) {
  At(id).selection = index;
  Raise(id, Event::ItemChosen);
}

void ToolWindow::Notify(ControlId id, Field field) {
  if (view_ != nullptr) {
    view_->FieldChanged(id, field);
  }
}

}  // namespace zarvo
