#include "conversion/presets.hpp"

#include <cstddef>
#include <string_view>

#include "platform/gbk.hpp"

namespace zarvo {
namespace {

using enum ControlId;

// Texts are UTF-8 here and GBK in the window.

struct TargetAreaRow {
  int codeWidthSelection;         // 组合框3: the area's module width is always "全屏"
  bool codeWidthEnabled;          // 组合框3: only the 750 area may take 950-pixel code
  std::string_view spacingLabel;  // 透明标签3
  std::string_view offset;        // 编辑框6
  std::string_view inputCaption;  // 分组框2: where the converted code goes
};

// Indexed by the selection of 组合框1. The offset is the area's own: picking the
// area does not run the code width preset, so "750区" gives -580 even though
// "全屏" is then shown.
constexpr TargetAreaRow kTargetAreaRows[] = {
    {0, true, "消除上间距", "-580",
     "代码输入（请将需要转换代码粘贴到以下框内）（把转换后的代码放在基础版750源码区并删除所有190"
     "模块或用等高的空白图占位）"},
    {0, false, "消除下间距", "-94",
     "代码输入（请将需要转换代码粘贴到以下框内）（把转换后的代码放在基础版190源码区并删除所有750"
     "模块或用等高的空白图占位）"},
};

// Indexed by the selection of 组合框3: the offset that pushes code of that
// width out of the 750 module.
constexpr std::string_view kCodeWidthOffsets[] = {
    "-574",  // 全屏
    "-200",  // 950
};

struct SpacingRow {
  std::string_view spacing;  // 编辑框4 text
  bool boxShown;             // 编辑框4: only "自定义" lets the user type a value
};

// Indexed by the selection of 组合框2.
constexpr SpacingRow kSpacingRows[] = {
    {"0", false},    // 不消除
    {"-10", false},  // -10
    {"-20", false},  // -20
    {"-40", true},   // 自定义
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
  const TargetAreaRow* row = RowFor(window, 组合框1, kTargetAreaRows);
  if (row == nullptr) {
    return;
  }
  window.SetSelection(组合框3, row->codeWidthSelection);
  window.SetEnabled(组合框3, row->codeWidthEnabled);
  window.SetText(透明标签3, Utf8ToGbk(row->spacingLabel));
  window.SetText(编辑框6, Utf8ToGbk(row->offset));
  window.SetText(分组框2, Utf8ToGbk(row->inputCaption));
}

void ApplyCodeWidth(ToolWindow& window) {
  const std::string_view* offset = RowFor(window, 组合框3, kCodeWidthOffsets);
  if (offset == nullptr) {
    return;
  }
  window.SetText(编辑框6, Utf8ToGbk(*offset));
}

void ApplySpacing(ToolWindow& window) {
  const SpacingRow* row = RowFor(window, 组合框2, kSpacingRows);
  if (row == nullptr) {
    return;
  }
  window.SetText(编辑框4, Utf8ToGbk(row->spacing));
  window.SetVisible(编辑框4, row->boxShown);
}

}  // namespace

void RegisterPresets(ToolWindow& window) {
  window.On(组合框1, Event::ItemChosen, ApplyTargetArea);
  window.On(组合框3, Event::ItemChosen, ApplyCodeWidth);
  window.On(组合框2, Event::ItemChosen, ApplySpacing);
}

}  // namespace zarvo
