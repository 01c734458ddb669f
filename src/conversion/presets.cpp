#include "conversion/presets.hpp"

#include <cstddef>
#include <string_view>

#include "platform/gbk.hpp"

namespace zarvo {
namespace {

// Texts are UTF-8 here and GBK in the window.

struct TargetAreaRow {
  int codeWidthSelection;         // 组合框3: the area's module width is always full screen
  bool codeWidthEnabled;          // 组合框3: only the 750 area may take 950-pixel code
  std::string_view spacingLabel;  // 透明标签3
  std::string_view offset;        // 编辑框6
  std::string_view inputCaption;  // 分组框2: where the converted code goes
};

// Indexed by the selection of 组合框1. The offset is the area's own: picking the
// area does not run the code width preset, so the 750 area gives -580 even though
// full screen is then shown.
constexpr TargetAreaRow kTargetAreaRows[] = {
    {0, true, kArea750SpacingCaption, "-580", kArea750InputCaption},
    {0, false, "消除下间距", "-94", kArea190InputCaption},
};

// Indexed by the selection of 组合框3: the offset that pushes code of that
// width out of the 750 module.
constexpr std::string_view kCodeWidthOffsets[] = {
    "-574",  // full screen
    "-200",  // 950
};

struct SpacingRow {
  std::string_view spacing;  // 编辑框4 text
  bool boxShown;             // 编辑框4: only the custom item lets the user type a value
};

// Indexed by the selection of 组合框2.
constexpr SpacingRow kSpacingRows[] = {
    {"0", false},    // no correction
    {"-10", false},  // -10
    {"-20", false},  // -20
    {"-40", true},   // custom
};

// The row of `rows` for the selector's current selection; null for an index
// without a row.
template <typename Row, size_t N>
const Row* RowFor(const ToolWindow& window, ControlId selector, const Row (&rows)[N]) {
  const int index = window.Selection(selector);
  if (index < 0 || static_cast<size_t>(index) >= N) {
    return nullptr;
  }
  return &rows[index];
}

void ApplyTargetArea(ToolWindow& window) {
  const TargetAreaRow* row = RowFor(window, kAreaSelector, kTargetAreaRows);
  if (row == nullptr) {
    return;
  }
  window.SetSelection(kCodeWidthSelector, row->codeWidthSelection);
  window.SetEnabled(kCodeWidthSelector, row->codeWidthEnabled);
  window.SetText(kSpacingLabel, Utf8ToGbk(row->spacingLabel));
  window.SetText(kOffsetBox, Utf8ToGbk(row->offset));
  window.SetText(kCodeInputGroup, Utf8ToGbk(row->inputCaption));
}

void ApplyCodeWidth(ToolWindow& window) {
  const std::string_view* offset = RowFor(window, kCodeWidthSelector, kCodeWidthOffsets);
  if (offset == nullptr) {
    return;
  }
  window.SetText(kOffsetBox, Utf8ToGbk(*offset));
}

void ApplySpacing(ToolWindow& window) {
  const SpacingRow* row = RowFor(window, kSpacingSelector, kSpacingRows);
  if (row == nullptr) {
    return;
  }
  window.SetText(kSpacingBox, Utf8ToGbk(row->spacing));
  window.SetVisible(kSpacingBox, row->boxShown);
}

}  // namespace

void RegisterPresets(ToolWindow& window) {
  window.On(kAreaSelector, Event::ItemChosen, ApplyTargetArea);
  window.On(kCodeWidthSelector, Event::ItemChosen, ApplyCodeWidth);
  window.On(kSpacingSelector, Event::ItemChosen, ApplySpacing);
}

}  // namespace zarvo
