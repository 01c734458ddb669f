#include "conversion/code_input.hpp"

namespace zarvo {

void RegisterCodeInputClearing(ToolWindow& window) {
  window.On(kCodeInputBox, Event::DoubleClick, [](ToolWindow& w) { w.SetText(kCodeInputBox, {}); });
}

}  // namespace zarvo
