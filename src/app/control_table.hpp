// The controls of the tool window, written once as data. Every front end builds
// its window from this table; no caption or place is typed anywhere else. The
// captions that handlers write back, and the roles that handlers act on, are
// named here beside the table.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace zarvo {

// The controls keep the names the shop's tool makers know them by.
enum class ControlId : uint8_t {
  分组框1,           // global settings group
  透明标签1,         // label of the target area selector
  组合框1,           // target area selector
  透明标签2,         // label of the code width selector
  组合框3,           // code width selector
  透明标签4,         // label of the module height box
  编辑框5,           // module height box
  超级按钮1,         // read-height button
  透明标签5,         // label of the offset box
  编辑框6,           // offset box
  透明标签3,         // spacing label
  组合框2,           // spacing selector
  编辑框4,           // spacing value box
  分组框2,           // code input group
  编辑框1,           // code input box
  超级列表框1,       // scratch list, never shown
  编辑框7,           // 190-area template holder
  编辑框9,           // 750-area template holder
  编辑框8,           // preview page template holder
  分组框3,           // code output group
  编辑框3,           // code output box
  按钮1,             // generate button
  按钮3,             // placeholder button
  按钮2,             // preview button
  透明标签生成结果,  // status label
  时钟1,             // status reset timer
  通用对话框1,       // file dialog, never opened
  编辑框10,          // placeholder template box
};
inline constexpr int kControlCount = 28;

// The roles of the controls that handlers work with.
inline constexpr ControlId kAreaSelector = ControlId::组合框1;
inline constexpr ControlId kCodeWidthSelector = ControlId::组合框3;
inline constexpr ControlId kModuleHeightBox = ControlId::编辑框5;
inline constexpr ControlId kReadHeightButton = ControlId::超级按钮1;
inline constexpr ControlId kOffsetBox = ControlId::编辑框6;
inline constexpr ControlId kSpacingLabel = ControlId::透明标签3;
inline constexpr ControlId kSpacingSelector = ControlId::组合框2;
inline constexpr ControlId kSpacingBox = ControlId::编辑框4;
inline constexpr ControlId kCodeInputGroup = ControlId::分组框2;
inline constexpr ControlId kCodeInputBox = ControlId::编辑框1;
inline constexpr ControlId kArea190Holder = ControlId::编辑框7;
inline constexpr ControlId kArea750Holder = ControlId::编辑框9;
inline constexpr ControlId kPreviewHolder = ControlId::编辑框8;
inline constexpr ControlId kCodeOutputBox = ControlId::编辑框3;
inline constexpr ControlId kGenerateButton = ControlId::按钮1;
inline constexpr ControlId kPlaceholderButton = ControlId::按钮3;
inline constexpr ControlId kPreviewButton = ControlId::按钮2;
inline constexpr ControlId kStatusLabel = ControlId::透明标签生成结果;
inline constexpr ControlId kStatusResetTimer = ControlId::时钟1;
inline constexpr ControlId kPlaceholderTemplateBox = ControlId::编辑框10;

// Captions that a handler puts back after changing them (UTF-8). The table
// starts the controls with them.
inline constexpr std::string_view kGenerateCaption = "生成并复制";
inline constexpr std::string_view kPlaceholderCaption = "生成占位码";
// The spacing label and the code input group, as they read for each area.
inline constexpr std::string_view kArea750SpacingCaption = "消除上间距";
inline constexpr std::string_view kArea750InputCaption =
    "代码输入（请将需要转换代码粘贴到以下框内）（把转换后的代码放在基础版750源码区并删除所有190"
    "模块或用等高的空白图占位）";
inline constexpr std::string_view kArea190InputCaption =
    "代码输入（请将需要转换代码粘贴到以下框内）（把转换后的代码放在基础版190源码区并删除所有750"
    "模块或用等高的空白图占位）";
// The status label after a successful generation; it starts hidden with it.
inline constexpr std::string_view kGeneratedAndCopied =
    "恭喜亲！代码制作成功并已完成复制，安装后即可大功告成！";

enum class ControlKind : uint8_t {
  GroupBox,
  Label,
  Selector,          // drop-down list; the user picks, cannot type
  EditBox,           // single line
  MultiLineEditBox,  // wraps, vertical scroll bar, Enter inserts CR LF
  Button,
  FlatButton,  // no border or focus rectangle, hover colour
  List,        // report-style list without columns
  Timer,
  FileDialog,
};

enum class EditBorder : uint8_t { None, ThinSunken, ClientEdge };

struct Rgb {
  uint8_t red = 0, green = 0, blue = 0;
  friend constexpr bool operator==(Rgb, Rgb) = default;
};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kGreen{0, 255, 0};

struct Place {
  int left = 0, top = 0, width = 0, height = 0;
  friend constexpr bool operator==(Place, Place) = default;
};

// Texts in this table are UTF-8; the window model holds them as GBK.
struct ControlEntry {
  ControlId id;
  std::string_view name;
  ControlKind kind;
  std::optional<ControlId> container{};       // empty: the tool window itself
  Place place{};                              // relative to the container's client area
  std::string_view text{};                    // caption or text at start
  std::span<const std::string_view> items{};  // selector items
  int selection = -1;                         // selector selection at start
  bool visible = true;
  bool bold = false;  // caption font weight 700, 12 pixels
  Rgb textColor = kBlack;
  Rgb hoverColor = kBlack;  // flat button under the pointer
  EditBorder border = EditBorder::None;
  int intervalMs = 0;  // timers
};

struct WindowLayout {
  std::string_view caption;
  int outerWidth;
  int outerHeight;
  Rgb background;
};

inline constexpr WindowLayout kToolWindowLayout{"Zarvo750突破工具", 752, 490, kWhite};

// The whole table, in creation order (a container before its children).
std::span<const ControlEntry, kControlCount> ControlTable();
const ControlEntry& Entry(ControlId id);

// Where a window of the given outer size starts on a screen of the given size:
// centred, truncating toward zero, negative when the screen is smaller.
Place CentredOnScreen(int screenWidth, int screenHeight);

}  // namespace zarvo
