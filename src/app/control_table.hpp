// The controls of the tool window, written once as data. Every front end builds
// its window from this table; no caption or place is typed anywhere else.
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
  透明标签1,         // label "欲转换到"
  组合框1,           // target area selector
  透明标签2,         // label "代码宽度"
  组合框3,           // code width selector
  透明标签4,         // label "模块高度"
  编辑框5,           // module height box
  超级按钮1,         // read-height button
  透明标签5,         // label "偏移调整"
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
std::optional<ControlId> FindControl(std::string_view name);

// Where a window of the given outer size starts on a screen of the given size:
// centred, truncating toward zero, negative when the screen is smaller.
Place CentredOnScreen(int screenWidth, int screenHeight);

}  // namespace zarvo
