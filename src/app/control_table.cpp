#include "app/control_table.hpp"

namespace zarvo {
namespace {

using enum ControlId;
using K = ControlKind;

constexpr std::string_view kTargetAreaItems[] = {"750区", "190区"};
constexpr std::string_view kCodeWidthItems[] = {"全屏", "950"};
constexpr std::string_view kSpacingItems[] = {"不消除", "-10", "-20", "自定义"};

// A one-cell table whose height the placeholder action fills in.
constexpr std::string_view kPlaceholderTable =
    "<table width=\"200\" border=\"0\">\r\n"
    "  <tr>\r\n"
    "    <td height=\"高度\">&nbsp;</td>\r\n"
    "  </tr>\r\n"
    "</table>";

constexpr ControlEntry Group(ControlId id, std::string_view name, Place place,
                             std::string_view caption) {
  return {.id = id,
          .name = name,
          .kind = K::GroupBox,
          .container = {},
          .place = place,
          .text = caption};
}
constexpr ControlEntry Label(ControlId id, std::string_view name, Place place,
                             std::string_view caption) {
  return {.id = id,
          .name = name,
          .kind = K::Label,
          .container = 分组框1,
          .place = place,
          .text = caption};
}
constexpr ControlEntry Selector(ControlId id, std::string_view name, Place place,
                                std::span<const std::string_view> items, int selection) {
  return {.id = id,
          .name = name,
          .kind = K::Selector,
          .container = 分组框1,
          .place = place,
          .items = items,
          .selection = selection};
}
constexpr ControlEntry Edit(ControlId id, std::string_view name, ControlKind kind,
                            std::optional<ControlId> container, Place place, std::string_view text,
                            bool visible, EditBorder border = EditBorder::ClientEdge) {
  return {.id = id,
          .name = name,
          .kind = kind,
          .container = container,
          .place = place,
          .text = text,
          .visible = visible,
          .border = border};
}
constexpr ControlEntry Button(ControlId id, std::string_view name, Place place,
                              std::string_view caption, bool bold = false) {
  return {.id = id,
          .name = name,
          .kind = K::Button,
          .container = 分组框3,
          .place = place,
          .text = caption,
          .bold = bold};
}

constexpr std::array<ControlEntry, kControlCount> kControls = {{
    Group(分组框1, "分组框1", {8, 8, 730, 100}, "全局设置(如果读高度不准确请手工输入)"),
    Label(透明标签1, "透明标签1", {26, 28, 54, 24}, "欲转换到"),
    Selector(组合框1, "组合框1", {84, 30, 72, 20}, kTargetAreaItems, 0),
    Label(透明标签2, "透明标签2", {26, 60, 54, 24}, "代码宽度"),
    Selector(组合框3, "组合框3", {84, 62, 72, 20}, kCodeWidthItems, 1),
    Label(透明标签4, "透明标签4", {284, 25, 48, 16}, "模块高度"),
    Edit(编辑框5, "编辑框5", K::EditBox, 分组框1, {344, 22, 55, 24}, "580", true),
    {.id = 超级按钮1,
     .name = "超级按钮1",
     .kind = K::FlatButton,
     .container = 分组框1,
     .place = {401, 22, 40, 24},
     .text = "读取",
     .textColor = kBlue,
     .hoverColor = kGreen},
    Label(透明标签5, "透明标签5", {284, 65, 52, 16}, "偏移调整"),
    Edit(编辑框6, "编辑框6", K::EditBox, 分组框1, {344, 62, 56, 24}, "-200", true),
    Label(透明标签3, "透明标签3", {503, 48, 64, 16}, kArea750SpacingCaption),
    Selector(组合框2, "组合框2", {573, 47, 63, 20}, kSpacingItems, 0),
    Edit(编辑框4, "编辑框4", K::EditBox, 分组框1, {637, 45, 56, 24}, "0", false),
    Group(分组框2, "分组框2", {8, 114, 730, 200}, kArea750InputCaption),
    Edit(编辑框1, "编辑框1", K::MultiLineEditBox, 分组框2, {16, 22, 696, 160}, "", true,
         EditBorder::ThinSunken),
    {.id = 超级列表框1,
     .name = "超级列表框1",
     .kind = K::List,
     .container = 分组框2,
     .place = {40, 30, 112, 152},
     .visible = false},
    Edit(编辑框7, "编辑框7", K::MultiLineEditBox, 分组框2, {296, 23, 96, 112}, "", false),
    Edit(编辑框9, "编辑框9", K::MultiLineEditBox, 分组框2, {416, 32, 104, 104}, "", false),
    Edit(编辑框8, "编辑框8", K::MultiLineEditBox, 分组框2, {560, 23, 104, 104}, "", false),
    Group(分组框3, "分组框3", {8, 321, 728, 130}, "代码输出"),
    Edit(编辑框3, "编辑框3", K::MultiLineEditBox, 分组框3, {13, 19, 592, 100}, "", true,
         EditBorder::ThinSunken),
    Button(按钮1, "按钮1", {624, 17, 80, 32}, kGenerateCaption, true),
    Button(按钮3, "按钮3", {624, 53, 80, 32}, kPlaceholderCaption),
    Button(按钮2, "按钮2", {624, 89, 80, 32}, "实时预览"),
    {.id = 透明标签生成结果,
     .name = "透明标签生成结果",
     .kind = K::Label,
     .container = 分组框3,
     .place = {145, -6, 328, 24},
     .text = kGeneratedAndCopied,
     .visible = false,
     .textColor = kRed},
    {.id = 时钟1,
     .name = "时钟1",
     .kind = K::Timer,
     .container = 分组框3,
     .visible = false,
     .intervalMs = 6000},
    {.id = 通用对话框1,
     .name = "通用对话框1",
     .kind = K::FileDialog,
     .container = 分组框3,
     .text = "转换后代码",
     .visible = false},
    Edit(编辑框10, "编辑框10", K::MultiLineEditBox, {}, {200, 336, 152, 88}, kPlaceholderTable,
         false),
}};

constexpr bool TableIsInIdOrder() {
  for (int i = 0; i < kControlCount; ++i) {
    if (static_cast<int>(kControls[i].id) != i) {
      return false;
    }
  }
  return true;
}
static_assert(TableIsInIdOrder(), "the control table is indexed by ControlId");

}  // namespace

std::span<const ControlEntry, kControlCount> ControlTable() { return kControls; }

const ControlEntry& Entry(ControlId id) { return kControls[static_cast<size_t>(id)]; }

Place CentredOnScreen(int screenWidth, int screenHeight) {
  // C++ integer division truncates toward zero, as the start position wants.
  return {(screenWidth - kToolWindowLayout.outerWidth) / 2,
          (screenHeight - kToolWindowLayout.outerHeight) / 2, kToolWindowLayout.outerWidth,
          kToolWindowLayout.outerHeight};
}

}  // namespace zarvo
