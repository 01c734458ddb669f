#include "conversion/presets.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "support/gbk_literals.hpp"

namespace zarvo {
namespace {

using enum ControlId;
using test::G;

constexpr const char* k750Caption =
    "代码输入（请将需要转换代码粘贴到以下框内）（把转换后的代码放在基础版750源码区并删除所有190模块"
    "或用等高的空白图占位）";
constexpr const char* k190Caption =
    "代码输入（请将需要转换代码粘贴到以下框内）（把转换后的代码放在基础版190源码区并删除所有750模块"
    "或用等高的空白图占位）";

// One field of one control with its value written out: texts in UTF-8,
// "shown"/"hidden", "enabled"/"disabled", selections as numbers.
struct FieldValue {
  ControlId id;
  Field field;
  std::string value;
  friend bool operator==(const FieldValue&, const FieldValue&) = default;
};

void PrintTo(const FieldValue& v, std::ostream* os) {
  static constexpr const char* kFields[] = {"text",      "visible", "enabled",
                                            "selection", "bold",    "rows"};
  *os << Entry(v.id).name << '.' << kFields[static_cast<int>(v.field)] << " = \"" << v.value << '"';
}

std::string ValueOf(ToolWindow& window, ControlId id, Field field) {
  switch (field) {
    case Field::Text:
      return GbkToUtf8(window.Text(id));
    case Field::Visible:
      return window.Visible(id) ? "shown" : "hidden";
    case Field::Enabled:
      return window.Enabled(id) ? "enabled" : "disabled";
    case Field::Selection:
      return std::to_string(window.Selection(id));
    default:
      return "?";
  }
}

// Records every write to the model, in order, with the value written.
class RecordingView final : public WindowView {
 public:
  explicit RecordingView(ToolWindow& window) : window_(window) {}
  void FieldChanged(ControlId id, Field field) override {
    writes.push_back({id, field, ValueOf(window_, id, field)});
  }
  std::string EditedText(ControlId id) override { return window_.Text(id); }
  std::vector<FieldValue> writes;

 private:
  ToolWindow& window_;
};

class PresetsTest : public testing::Test {
 protected:
  PresetsTest() {
    RegisterPresets(window);
    window.SetView(&view);
  }
  ToolWindow window;
  RecordingView view{window};
};

// A pick of one item in a fresh window, and every write it makes, in order.
struct RowCase {
  const char* name;
  ControlId selector;
  int index;
  std::vector<FieldValue> writes;
};

class PresetRowTest : public PresetsTest, public testing::WithParamInterface<RowCase> {};

TEST_P(PresetRowTest, WritesRowInColumnOrderAndNothingElse) {
  const RowCase& c = GetParam();
  window.PickByUser(c.selector, c.index);
  EXPECT_EQ(view.writes, c.writes);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PresetRowTest,
    testing::Values(RowCase{"Area750",
                            组合框1,
                            0,
                            {{组合框3, Field::Selection, "0"},
                             {组合框3, Field::Enabled, "enabled"},
                             {透明标签3, Field::Text, "消除上间距"},
                             {编辑框6, Field::Text, "-580"},
                             {分组框2, Field::Text, k750Caption}}},
                    RowCase{"Area190",
                            组合框1,
                            1,
                            {{组合框3, Field::Selection, "0"},
                             {组合框3, Field::Enabled, "disabled"},
                             {透明标签3, Field::Text, "消除下间距"},
                             {编辑框6, Field::Text, "-94"},
                             {分组框2, Field::Text, k190Caption}}},
                    RowCase{"WidthFullScreen", 组合框3, 0, {{编辑框6, Field::Text, "-574"}}},
                    RowCase{"Width950", 组合框3, 1, {{编辑框6, Field::Text, "-200"}}},
                    RowCase{"SpacingNone",
                            组合框2,
                            0,
                            {{编辑框4, Field::Text, "0"}, {编辑框4, Field::Visible, "hidden"}}},
                    RowCase{"SpacingMinus10",
                            组合框2,
                            1,
                            {{编辑框4, Field::Text, "-10"}, {编辑框4, Field::Visible, "hidden"}}},
                    RowCase{"SpacingMinus20",
                            组合框2,
                            2,
                            {{编辑框4, Field::Text, "-20"}, {编辑框4, Field::Visible, "hidden"}}},
                    RowCase{"SpacingCustom",
                            组合框2,
                            3,
                            {{编辑框4, Field::Text, "-40"}, {编辑框4, Field::Visible, "shown"}}},
                    RowCase{"AreaWithoutRow", 组合框1, 2, {}},
                    RowCase{"WidthWithoutRow", 组合框3, -1, {}},
                    RowCase{"SpacingWithoutRow", 组合框2, 4, {}}),
    [](const auto& info) { return info.param.name; });

// The user picks an item (an index) or types into a box (a text).
struct Step {
  ControlId id;
  std::variant<int, const char*> action;
};

struct ScenarioCase {
  const char* name;
  std::vector<Step> steps;
  std::vector<FieldValue> expected;
};

class PresetScenarioTest : public PresetsTest, public testing::WithParamInterface<ScenarioCase> {};

TEST_P(PresetScenarioTest, LeavesFields) {
  const ScenarioCase& c = GetParam();
  for (const Step& step : c.steps) {
    if (const int* index = std::get_if<int>(&step.action)) {
      window.PickByUser(step.id, *index);
    } else {
      window.SetText(step.id, G(std::get<const char*>(step.action)));
    }
  }
  for (const FieldValue& expected : c.expected) {
    EXPECT_EQ(
        (FieldValue{expected.id, expected.field, ValueOf(window, expected.id, expected.field)}),
        expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, PresetScenarioTest,
    testing::Values(
        ScenarioCase{"RepickingShownWidthRestoresItsOffset",
                     {{编辑框6, "-123"}, {组合框3, 1}},
                     {{编辑框6, Field::Text, "-200"}}},
        ScenarioCase{"Area190Then750",
                     {{组合框1, 1}, {组合框1, 0}},
                     {{编辑框6, Field::Text, "-580"},
                      {组合框3, Field::Selection, "0"},
                      {组合框3, Field::Enabled, "enabled"},
                      {透明标签3, Field::Text, "消除上间距"},
                      {分组框2, Field::Text, k750Caption}}},
        ScenarioCase{"AreaPickDoesNotRunWidthPreset",
                     {{组合框1, 0}, {组合框3, 0}},
                     {{编辑框6, Field::Text, "-574"}}},
        ScenarioCase{"TypedCustomSpacingThenMinus10",
                     {{组合框2, 3}, {编辑框4, "-33"}, {组合框2, 1}},
                     {{编辑框4, Field::Text, "-10"}, {编辑框4, Field::Visible, "hidden"}}},
        ScenarioCase{"RepickingCustomForgetsTypedSpacing",
                     {{组合框2, 3}, {编辑框4, "-33"}, {组合框2, 3}},
                     {{编辑框4, Field::Text, "-40"}, {编辑框4, Field::Visible, "shown"}}},
        ScenarioCase{"Area190KeepsCustomSpacing",
                     {{组合框2, 3}, {编辑框4, "-33"}, {组合框1, 1}},
                     {{编辑框4, Field::Text, "-33"},
                      {编辑框4, Field::Visible, "shown"},
                      {透明标签3, Field::Text, "消除下间距"}}},
        ScenarioCase{"TypedOffsetSurvivesSpacingPicks",
                     {{编辑框6, "-123"}, {组合框2, 3}, {组合框2, 1}, {组合框2, 2}, {组合框2, 0}},
                     {{编辑框6, Field::Text, "-123"}}},
        ScenarioCase{"TypedHeightSurvivesEveryPreset",
                     {{编辑框5, "333"}, {组合框1, 1}, {组合框1, 0}, {组合框3, 1}, {组合框2, 3}},
                     {{编辑框5, Field::Text, "333"}}}),
    [](const auto& info) { return info.param.name; });

// The window starts in the state that picking "750区", "950" and "不消除" gives:
// the control table and the preset rows must not drift apart.
TEST_F(PresetsTest, StartStateEqualsDefaultPicks) {
  ToolWindow fresh;
  window.PickByUser(组合框1, 1);  // move away first, so every field is rewritten
  window.PickByUser(组合框2, 3);
  window.PickByUser(组合框1, 0);
  window.PickByUser(组合框3, 1);
  window.PickByUser(组合框2, 0);
  for (const ControlEntry& entry : ControlTable()) {
    for (Field field : {Field::Text, Field::Visible, Field::Enabled, Field::Selection}) {
      EXPECT_EQ((FieldValue{entry.id, field, ValueOf(window, entry.id, field)}),
                (FieldValue{entry.id, field, ValueOf(fresh, entry.id, field)}));
    }
  }
}

}  // namespace
}  // namespace zarvo
