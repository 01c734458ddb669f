// The Win32 window in process: real controls built from the control table,
// real messages, the model behind them.
#include <gtest/gtest.h>
#include <windows.h>
// This builds on windows.h.
#include <commctrl.h>

#include <map>
#include <set>

#include "app/win32/win32_test_support.hpp"
#include "app/win32/win32_tool_window.hpp"
#include "conversion/code_input.hpp"
#include "platform/gbk.hpp"
#include "support/gbk_literals.hpp"

namespace zarvo {
namespace {

using enum ControlId;
using test::G;
using test::W;

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

class Win32WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const EventBinding& binding : EventTable()) {
      if (binding.control == 编辑框1) {
        RegisterCodeInputClearing(model_);  // the real handler empties the box
        continue;
      }
      model_.On(binding.control, binding.event, [this, binding](ToolWindow& window) {
        raised_.push_back({binding.control, binding.event,
                           binding.control ? window.Selection(*binding.control) : -1});
      });
    }
    view_ = std::make_unique<Win32ToolWindow>(GetModuleHandleW(nullptr), model_);
    ASSERT_NE(view_->Handle(), nullptr);
  }
  void TearDown() override {
    view_.reset();
    Pump();
  }

  // Dispatches what is queued, as the program's message loop does, until
  // nothing more arrives for a moment. Notes the quit message.
  void Pump() {
    for (int idle = 0; idle < 3;) {
      MSG message;
      if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ++idle;
        Sleep(10);
        continue;
      }
      idle = 0;
      if (message.message == WM_QUIT) {
        quitCode_ = static_cast<int>(message.wParam);
        continue;
      }
      if (!view_ || !view_->PreTranslate(message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
  }

  void ShowAndFocus(ControlId id) {
    view_->Show();
    Pump();
    SetFocus(Control(id));
    Pump();
  }

  void Key(ControlId id, WPARAM key) {
    PostMessageW(Control(id), WM_KEYDOWN, key, 1);
    PostMessageW(Control(id), WM_KEYUP, key, 0xC0000001);
    Pump();
  }

  void Type(ControlId id, std::u16string_view text) {
    for (char16_t c : text) {
      SendMessageW(Control(id), WM_CHAR, c, 1);
    }
  }

  HWND Control(ControlId id) const { return view_->Control(id); }

  std::optional<ControlId> Focused() const {
    HWND focus = GetFocus();
    for (const ControlEntry& entry : ControlTable()) {
      if (Control(entry.id) != nullptr && Control(entry.id) == focus) {
        return entry.id;
      }
    }
    return std::nullopt;
  }

  struct Raised {
    std::optional<ControlId> control;
    Event event;
    int selection;
    friend bool operator==(const Raised&, const Raised&) = default;
  };

  ToolWindow model_;
  std::unique_ptr<Win32ToolWindow> view_;
  std::vector<Raised> raised_;
  std::optional<int> quitCode_;
};

TEST_F(Win32WindowTest, WindowHasItsCaptionSizePlaceAndBorder) {
  HWND window = view_->Handle();
  EXPECT_EQ(WindowText(window), W("Zarvo750突破工具"));
  RECT outer{};
  GetWindowRect(window, &outer);
  const Place start = CentredOnScreen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ((Place{outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top}),
            start);
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_VISIBLE);  // shown only after the creation event
  EXPECT_FALSE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(Win32WindowTest, EveryControlSitsInItsContainerAtItsPlace) {
  const std::map<ControlKind, std::wstring> classes = {
      {ControlKind::GroupBox, L"Button"},       {ControlKind::Label, L"Static"},
      {ControlKind::Selector, L"ComboBox"},     {ControlKind::EditBox, L"Edit"},
      {ControlKind::MultiLineEditBox, L"Edit"}, {ControlKind::Button, L"Button"},
      {ControlKind::FlatButton, L"Button"},     {ControlKind::List, L"SysListView32"}};
  for (const ControlEntry& entry : ControlTable()) {
    SCOPED_TRACE(std::string(entry.name));
    HWND control = Control(entry.id);
    if (entry.kind == ControlKind::Timer || entry.kind == ControlKind::FileDialog) {
      EXPECT_EQ(control, nullptr);
      continue;
    }
    ASSERT_NE(control, nullptr);
    HWND container = entry.container ? Control(*entry.container) : view_->Handle();
    EXPECT_EQ(GetParent(control), container);
    wchar_t className[64] = {};
    GetClassNameW(control, className, 64);
    EXPECT_EQ(_wcsicmp(className, classes.at(entry.kind).c_str()), 0) << className;
    RECT box{};
    GetWindowRect(control, &box);
    MapWindowPoints(nullptr, container, reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(box.left, entry.place.left);
    EXPECT_EQ(box.top, entry.place.top);
    EXPECT_EQ(box.right - box.left, entry.place.width);
    if (entry.kind != ControlKind::Selector) {  // its closed field is as high as the font needs
      EXPECT_EQ(box.bottom - box.top, entry.place.height);
    }
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    EXPECT_EQ((style & WS_VISIBLE) != 0, entry.visible);
    EXPECT_FALSE(style & WS_DISABLED);
    if (entry.kind == ControlKind::Selector) {
      EXPECT_EQ(SendMessageW(control, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(entry.items.size()));
      EXPECT_EQ(SendMessageW(control, CB_GETCURSEL, 0, 0), entry.selection);
    } else if (entry.kind != ControlKind::List) {
      EXPECT_EQ(WindowText(control), W(entry.text));
    }
  }
}

TEST_F(Win32WindowTest, GenerateButtonCaptionIsBold12PixelsAndTheRestUseTheGuiFont) {
  LOGFONTW gui{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
  const auto fontOf = [](HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
               &font);
    return font;
  };
  LOGFONTW bold = fontOf(Control(按钮1));
  EXPECT_EQ(bold.lfWeight, 700);
  EXPECT_EQ(bold.lfHeight, -12);
  EXPECT_FALSE(bold.lfItalic);
  EXPECT_FALSE(bold.lfUnderline);
  EXPECT_STREQ(bold.lfFaceName, gui.lfFaceName);
  EXPECT_EQ(bold.lfCharSet, gui.lfCharSet);

  model_.SetBold(按钮1, false);
  LOGFONTW plain = fontOf(Control(按钮1));
  EXPECT_EQ(plain.lfWeight, 0);
  EXPECT_EQ(plain.lfHeight, -12);
  EXPECT_STREQ(plain.lfFaceName, gui.lfFaceName);
  model_.SetBold(按钮1, true);
  EXPECT_EQ(fontOf(Control(按钮1)).lfWeight, 700);

  for (ControlId id : {编辑框1, 按钮3, 透明标签1, 分组框2, 组合框1}) {
    EXPECT_EQ(SendMessageW(Control(id), WM_GETFONT, 0, 0),
              reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT)));
  }
}

// Without a CJK font every Chinese character draws as the same box.
TEST_F(Win32WindowTest, ChineseCharactersHaveGlyphsOfTheirOwn) {
  const auto render = [](const wchar_t* text) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 32, 32);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    RECT all{0, 0, 32, 32};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    TextOutW(dc, 2, 2, text, 1);
    std::vector<bool> inked;
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        inked.push_back(GetPixel(dc, x, y) != RGB(255, 255, 255));
      }
    }
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return inked;
  };
  const std::vector<bool> zhong = render(L"中");
  const std::vector<bool> wen = render(L"文");
  EXPECT_NE(zhong, wen);
  EXPECT_NE(std::count(zhong.begin(), zhong.end(), true), 0);
}

TEST_F(Win32WindowTest, FieldsSetByCodeShowWithoutRaisingEvents) {
  // A lone lead byte shows as a replacement character, yet the field keeps
  // the bytes that were set.
  const std::string text = G("甲乙\r\n丙") + "\x81";
  model_.SetText(编辑框1, text);
  EXPECT_EQ(WindowText(Control(编辑框1)), W("甲乙\r\n丙") + L"\uFFFD");
  EXPECT_EQ(model_.Text(编辑框1), text);

  model_.SetText(编辑框9, G("模板"));
  EXPECT_EQ(WindowText(Control(编辑框9)), W("模板"));
  model_.SetText(按钮3, G("生成成功"));
  EXPECT_EQ(WindowText(Control(按钮3)), W("生成成功"));
  model_.SetSelection(组合框2, 2);
  EXPECT_EQ(SendMessageW(Control(组合框2), CB_GETCURSEL, 0, 0), 2);
  model_.SetVisible(编辑框4, true);
  EXPECT_TRUE(GetWindowLongPtrW(Control(编辑框4), GWL_STYLE) & WS_VISIBLE);
  model_.SetVisible(透明标签生成结果, true);
  EXPECT_TRUE(GetWindowLongPtrW(Control(透明标签生成结果), GWL_STYLE) & WS_VISIBLE);
  model_.SetEnabled(组合框3, false);
  EXPECT_FALSE(IsWindowEnabled(Control(组合框3)));
  Pump();
  EXPECT_TRUE(raised_.empty());
}

struct TypingCase {
  std::string name;
  ControlId box;
  std::u16string typed;
  std::string expected;  // GBK
};

class Win32TypingTest : public Win32WindowTest, public testing::WithParamInterface<TypingCase> {};

TEST_P(Win32TypingTest, TypedTextReachesTheModelAsGbk) {
  SendMessageW(Control(GetParam().box), EM_SETSEL, 0, -1);
  Type(GetParam().box, GetParam().typed);
  EXPECT_EQ(model_.Text(GetParam().box), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, Win32TypingTest,
                         testing::Values(TypingCase{"EnterInMultiLineBoxIsCrLf", 编辑框1, u"a\rb",
                                                    "a\r\nb"},
                                         TypingCase{"CharacterOutsideGbkBecomesReference", 编辑框1,
                                                    u"✓中", "&#10003;" + G("中")},
                                         TypingCase{"SingleLineBoxReplacedBySelection", 编辑框5,
                                                    u"６00", G("６") + "00"},
                                         TypingCase{"OutputBoxToo", 编辑框3, u"x", "x"}),
                         [](const auto& info) { return info.param.name; });

TEST_F(Win32WindowTest, TextSetAfterAnEditIsWhatReadsBack) {
  Type(编辑框5, u"1");
  model_.SetText(编辑框5, "42");
  EXPECT_EQ(model_.Text(编辑框5), "42");
  SendMessageW(Control(编辑框5), EM_SETSEL, 2, 2);
  Type(编辑框5, u"7");
  EXPECT_EQ(model_.Text(编辑框5), "427");
}

// Another program (a paste tool, say) may set a box's text directly.
TEST_F(Win32WindowTest, TextSetByAnotherProgramCountsAsTyped) {
  SendMessageW(Control(编辑框1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"<p>贴</p>"));
  SendMessageW(Control(编辑框5), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"600"));
  EXPECT_EQ(model_.Text(编辑框1), G("<p>贴</p>"));
  EXPECT_EQ(model_.Text(编辑框5), "600");
}

TEST_F(Win32WindowTest, DoubleClickEmptiesTheCodeBox) {
  model_.SetText(编辑框1, G("<div>代码</div>"));
  SendMessageW(Control(编辑框1), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(model_.Text(编辑框1), "");
  EXPECT_EQ(WindowText(Control(编辑框1)), L"");
}

TEST_F(Win32WindowTest, ButtonClicksRaiseTheirEventsOnce) {
  view_->Show();
  Pump();
  for (ControlId id : {按钮1, 按钮3, 按钮2, 超级按钮1}) {
    SendMessageW(Control(id), BM_CLICK, 0, 0);
  }
  Pump();
  EXPECT_EQ(raised_, (std::vector<Raised>{{按钮1, Event::Click, -1},
                                          {按钮3, Event::Click, -1},
                                          {按钮2, Event::Click, -1},
                                          {超级按钮1, Event::Click, -1}}));
}

TEST_F(Win32WindowTest, SecondQuickClickOnTheFlatButtonCounts) {
  HWND flat = Control(超级按钮1);
  SendMessageW(GetParent(flat), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(flat), BN_DOUBLECLICKED),
               reinterpret_cast<LPARAM>(flat));
  EXPECT_EQ(raised_, (std::vector<Raised>{{超级按钮1, Event::Click, -1}}));
}

TEST_F(Win32WindowTest, ArrowKeyOnAClosedSelectorIsOnePick) {
  ShowAndFocus(组合框2);
  Key(组合框2, VK_DOWN);
  EXPECT_EQ(raised_, (std::vector<Raised>{{组合框2, Event::ItemChosen, 1}}));
  EXPECT_EQ(model_.Selection(组合框2), 1);
}

TEST_F(Win32WindowTest, PickInTheOpenedListIsOnePickAlsoOfTheShownItem) {
  ShowAndFocus(组合框3);
  SendMessageW(Control(组合框3), CB_SHOWDROPDOWN, TRUE, 0);
  Pump();
  Key(组合框3, VK_RETURN);  // confirms the shown item, "950"
  EXPECT_EQ(raised_, (std::vector<Raised>{{组合框3, Event::ItemChosen, 1}}));

  SendMessageW(Control(组合框3), CB_SHOWDROPDOWN, TRUE, 0);
  Pump();
  Key(组合框3, VK_UP);
  Key(组合框3, VK_RETURN);
  EXPECT_EQ(raised_, (std::vector<Raised>{{组合框3, Event::ItemChosen, 1},
                                          {组合框3, Event::ItemChosen, 0}}));
}

TEST_F(Win32WindowTest, EnterClicksNoButtonAndBreaksTheLineInTheCodeBox) {
  ShowAndFocus(按钮1);
  Key(按钮1, VK_RETURN);
  EXPECT_TRUE(raised_.empty());
  EXPECT_EQ(Focused(), 按钮1);

  SetFocus(Control(编辑框1));
  Key(编辑框1, VK_RETURN);
  EXPECT_EQ(model_.Text(编辑框1), "\r\n");
  EXPECT_EQ(Focused(), 编辑框1);
  EXPECT_TRUE(raised_.empty());
}

TEST_F(Win32WindowTest, TabMovesAmongTheShownControlsOnly) {
  ShowAndFocus(编辑框5);
  std::set<ControlId> reached;
  for (int i = 0; i < 30; ++i) {
    Key(*Focused(), VK_TAB);
    ASSERT_TRUE(Focused().has_value());
    reached.insert(*Focused());
  }
  EXPECT_EQ(reached, (std::set<ControlId>{组合框1, 组合框3, 编辑框5, 超级按钮1, 编辑框6, 组合框2,
                                          编辑框1, 编辑框3, 按钮1, 按钮3, 按钮2}));
}

class Win32EscTest : public Win32WindowTest, public testing::WithParamInterface<ControlId> {};

TEST_P(Win32EscTest, EscClosesTheWindowAndQuitsWithZero) {
  ShowAndFocus(GetParam());
  if (GetParam() == 组合框1) {
    SendMessageW(Control(组合框1), CB_SHOWDROPDOWN, TRUE, 0);
    Pump();
  }
  HWND window = view_->Handle();
  PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
  Pump();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(quitCode_, 0);
  EXPECT_TRUE(raised_.empty());
}

INSTANTIATE_TEST_SUITE_P(FromControls, Win32EscTest, testing::Values(编辑框1, 组合框1, 按钮1),
                         [](const auto& info) {
                           return std::string(Entry(info.param).name) == "编辑框1" ? "CodeBox"
                                  : std::string(Entry(info.param).name) == "组合框1"
                                      ? "OpenedSelector"
                                      : "Button";
                         });

// Counts the pixels of one colour in a control as it is drawn.
int CountPixels(HWND control, COLORREF colour) {
  RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  RECT area{};
  GetClientRect(control, &area);
  HDC dc = GetDC(control);
  int count = 0;
  for (int y = 0; y < area.bottom; ++y) {
    for (int x = 0; x < area.right; ++x) {
      count += GetPixel(dc, x, y) == colour ? 1 : 0;
    }
  }
  ReleaseDC(control, dc);
  return count;
}

TEST_F(Win32WindowTest, FlatButtonIsBlueAndGreenUnderThePointerWithoutBorder) {
  ShowAndFocus(超级按钮1);  // blue also while it has the focus
  HWND flat = Control(超级按钮1);
  const COLORREF blue = RGB(0, 0, 255), green = RGB(0, 255, 0);
  EXPECT_GT(CountPixels(flat, blue), 0);
  EXPECT_EQ(CountPixels(flat, green), 0);
  SendMessageW(flat, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
  EXPECT_GT(CountPixels(flat, green), 0);
  EXPECT_EQ(CountPixels(flat, blue), 0);
  SendMessageW(flat, WM_MOUSELEAVE, 0, 0);
  EXPECT_GT(CountPixels(flat, blue), 0);
  // No border or focus rectangle: the edge is all white.
  RECT area{};
  GetClientRect(flat, &area);
  HDC dc = GetDC(flat);
  for (int x = 0; x < area.right; ++x) {
    EXPECT_EQ(GetPixel(dc, x, 0), RGB(255, 255, 255)) << x;
    EXPECT_EQ(GetPixel(dc, x, area.bottom - 1), RGB(255, 255, 255)) << x;
  }
  ReleaseDC(flat, dc);
}

TEST_F(Win32WindowTest, SuccessLabelIsRedOnWhite) {
  model_.SetVisible(透明标签生成结果, true);
  view_->Show();
  Pump();
  EXPECT_GT(CountPixels(Control(透明标签生成结果), RGB(255, 0, 0)), 0);
  EXPECT_GT(CountPixels(Control(透明标签1), RGB(0, 0, 0)), 0);
  EXPECT_EQ(CountPixels(Control(透明标签1), RGB(255, 0, 0)), 0);
}

}  // namespace
}  // namespace zarvo
