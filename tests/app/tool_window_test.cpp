#include "app/tool_window.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "conversion/code_input.hpp"
#include "support/gbk_literals.hpp"

namespace zarvo {
namespace {

using enum ControlId;
using test::G;

struct InitialCase {
  ControlId id;
  std::string text;  // UTF-8 caption or text
  bool visible;
  int selection;
};

TEST(ToolWindowTest, StartsWithTheFieldsOfTheControlTable) {
  const std::vector<InitialCase> cases = {
      {分组框1, "全局设置(如果读高度不准确请手工输入)", true, -1},
      {透明标签1, "欲转换到", true, -1},
      {组合框1, "", true, 0},
      {透明标签2, "代码宽度", true, -1},
      {组合框3, "", true, 1},
      {透明标签4, "模块高度", true, -1},
      {编辑框5, "580", true, -1},
      {超级按钮1, "读取", true, -1},
      {透明标签5, "偏移调整", true, -1},
      {编辑框6, "-200", true, -1},
      {透明标签3, "消除上间距", true, -1},
      {组合框2, "", true, 0},
      {编辑框4, "0", false, -1},
      {分组框2,
       "代码输入（请将需要转换代码粘贴到以下框内）（把转换后的代码放在基础版750源码区并删除所有190"
       "模"
       "块或用等高的空白图占位）",
       true, -1},
      {编辑框1, "", true, -1},
      {超级列表框1, "", false, -1},
      {编辑框7, "", false, -1},
      {编辑框9, "", false, -1},
      {编辑框8, "", false, -1},
      {分组框3, "代码输出", true, -1},
      {编辑框3, "", true, -1},
      {按钮1, "生成并复制", true, -1},
      {按钮3, "生成占位码", true, -1},
      {按钮2, "实时预览", true, -1},
      {透明标签生成结果, "恭喜亲！代码制作成功并已完成复制，安装后即可大功告成！", false, -1},
      {编辑框10,
       "<table width=\"200\" border=\"0\">\r\n  <tr>\r\n    <td height=\"高度\">&nbsp;</td>\r\n"
       "  </tr>\r\n</table>",
       false, -1},
  };
  ToolWindow window;
  for (const InitialCase& c : cases) {
    SCOPED_TRACE(std::string(Entry(c.id).name));
    EXPECT_EQ(window.Text(c.id), G(c.text));
    EXPECT_EQ(window.Visible(c.id), c.visible);
    EXPECT_EQ(window.Selection(c.id), c.selection);
    EXPECT_TRUE(window.Enabled(c.id));
    EXPECT_EQ(window.Bold(c.id), c.id == 按钮1);
  }
  EXPECT_EQ(window.Text(编辑框10).size(), 92u);
  EXPECT_EQ(window.Items(组合框1), (std::vector<std::string>{G("750区"), G("190区")}));
  EXPECT_EQ(window.Items(组合框3), (std::vector<std::string>{G("全屏"), G("950")}));
  EXPECT_EQ(window.Items(组合框2),
            (std::vector<std::string>{G("不消除"), "-10", "-20", G("自定义")}));
  EXPECT_EQ(Entry(时钟1).intervalMs, 6000);
}

// The first control of the table with this name.
std::optional<ControlId> Named(std::string_view name) {
  for (const ControlEntry& entry : ControlTable()) {
    if (entry.name == name) {
      return entry.id;
    }
  }
  return std::nullopt;
}

TEST(ControlTableTest, ChildrenLieInsideTheirContainers) {
  for (const ControlEntry& entry : ControlTable()) {
    EXPECT_EQ(Named(entry.name), entry.id);
    if (entry.container && entry.kind != ControlKind::Timer &&
        entry.kind != ControlKind::FileDialog && entry.id != 透明标签生成结果) {
      const Place outer = Entry(*entry.container).place;
      EXPECT_GE(entry.place.left, 0) << entry.name;
      EXPECT_GE(entry.place.top, 0) << entry.name;
      EXPECT_LE(entry.place.left + entry.place.width, outer.width) << entry.name;
      EXPECT_LE(entry.place.top + entry.place.height, outer.height) << entry.name;
    }
  }
  EXPECT_FALSE(Named("编辑框2"));
}

TEST(ControlTableTest, CentresOnTheScreen) {
  EXPECT_EQ(CentredOnScreen(1920, 1080), (Place{584, 295, 752, 490}));
  EXPECT_EQ(CentredOnScreen(1366, 768), (Place{307, 139, 752, 490}));
  EXPECT_EQ(CentredOnScreen(640, 480), (Place{-56, -5, 752, 490}));
  EXPECT_EQ(CentredOnScreen(751, 489), (Place{0, 0, 752, 490}));  // -0.5 truncates to 0
}

TEST(ToolWindowTest, EventTableBindsTheTenEvents) {
  std::vector<std::pair<int, int>> bindings;
  for (const EventBinding& b : EventTable()) {
    bindings.emplace_back(b.control ? static_cast<int>(*b.control) : -1, static_cast<int>(b.event));
  }
  const auto key = [](std::optional<ControlId> c, Event e) {
    return std::pair<int, int>(c ? static_cast<int>(*c) : -1, static_cast<int>(e));
  };
  const std::vector<std::pair<int, int>> expected = {
      key(std::nullopt, Event::Creation), key(编辑框1, Event::DoubleClick),
      key(组合框1, Event::ItemChosen),    key(组合框3, Event::ItemChosen),
      key(组合框2, Event::ItemChosen),    key(超级按钮1, Event::Click),
      key(按钮1, Event::Click),           key(按钮3, Event::Click),
      key(按钮2, Event::Click),           key(时钟1, Event::Tick)};
  EXPECT_EQ(bindings, expected);
}

TEST(ToolWindowTest, HandlerChangesRaiseNoEvents) {
  ToolWindow window;
  int widthPicks = 0;
  window.On(组合框3, Event::ItemChosen, [&](ToolWindow&) { ++widthPicks; });
  window.On(组合框1, Event::ItemChosen, [](ToolWindow& w) {
    w.SetSelection(组合框3, 0);
    w.SetText(编辑框1, "x");
  });
  window.PickByUser(组合框1, 1);
  EXPECT_EQ(window.Selection(组合框1), 1);
  EXPECT_EQ(window.Selection(组合框3), 0);
  EXPECT_EQ(widthPicks, 0);
  window.PickByUser(组合框3, 0);  // the shown item, picked again
  EXPECT_EQ(widthPicks, 1);
}

TEST(ToolWindowTest, DoubleClickEmptiesTheCodeBox) {
  ToolWindow window;
  RegisterCodeInputClearing(window);
  window.Raise(编辑框1, Event::DoubleClick);
  EXPECT_EQ(window.Text(编辑框1), "");
  window.SetText(编辑框1, G("<div>中文</div>"));
  window.Raise(编辑框1, Event::DoubleClick);
  EXPECT_EQ(window.Text(编辑框1), "");
}

TEST(ToolWindowTest, EventsWithoutHandlersDoNothing) {
  ToolWindow window;
  window.Raise(按钮2, Event::Click);
  window.Raise(std::nullopt, Event::Creation);
  EXPECT_EQ(window.Text(编辑框5), "580");
}

// Records what the model tells the view, and plays the widget for edits.
class RecordingView final : public WindowView {
 public:
  void FieldChanged(ControlId id, Field field) override { changes.emplace_back(id, field); }
  std::string EditedText(ControlId) override {
    ++pulls;
    return widgetText;
  }
  std::vector<std::pair<ControlId, Field>> changes;
  std::string widgetText;
  int pulls = 0;
};

TEST(ToolWindowTest, ViewShowsChangesAndHandsBackUserEdits) {
  ToolWindow window;
  RecordingView view;
  window.SetView(&view);

  window.SetText(编辑框9, "a\rb\nc\r\n");  // kept byte for byte, whatever the widget shows
  window.SetVisible(编辑框4, true);
  window.SetBold(按钮1, false);
  EXPECT_EQ(view.changes,
            (std::vector<std::pair<ControlId, Field>>{
                {编辑框9, Field::Text}, {编辑框4, Field::Visible}, {按钮1, Field::Bold}}));
  EXPECT_EQ(window.Text(编辑框9), "a\rb\nc\r\n");
  EXPECT_EQ(view.pulls, 0);

  view.widgetText = "typed\r\nline";
  window.MarkEditedByUser(编辑框1);
  EXPECT_EQ(window.Text(编辑框1), "typed\r\nline");
  EXPECT_EQ(window.Text(编辑框1), "typed\r\nline");
  EXPECT_EQ(view.pulls, 1);  // taken from the widget once per edit

  window.MarkEditedByUser(编辑框1);
  window.SetText(编辑框1, "set");  // a later set wins over the edit
  EXPECT_EQ(window.Text(编辑框1), "set");
  EXPECT_EQ(view.pulls, 1);
}

}  // namespace
}  // namespace zarvo
