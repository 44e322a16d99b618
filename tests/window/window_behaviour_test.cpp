// Keyboard, focus, events and the operations the handlers use, on the real window.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "main_window/main_window.h"
#include "main_window/window_description.h"
#include "window_test_support.h"

namespace quorvel::testing {
namespace {

using ui::MainWindow;
namespace entry = ui::entry;

// What the test handlers saw. Handlers are plain routines, so they report here.
struct Seen {
  int created = 0;
  bool hidden_when_created = false;
  bool controls_existed_when_created = false;
  int destroying = 0;
  bool controls_alive_when_destroying = false;
  bool components_alive_when_destroying = false;
  int clicked = 0;
  std::vector<std::tuple<std::uint32_t, std::uint32_t, std::int32_t>> presses;
  std::optional<bool> press_answer;
  std::vector<std::pair<int, std::string>> texts;
};
Seen seen;

bool AllControlsExist(const MainWindow& window) {
  for (const auto& control : window.Description().controls) {
    if (IsWindow(window.ControlHandle(control.number)) == FALSE) return false;
  }
  return true;
}

void OnCreated(MainWindow& window) {
  ++seen.created;
  seen.hidden_when_created = IsWindowVisible(window.Handle()) == FALSE;
  seen.controls_existed_when_created = AllControlsExist(window);
}
void OnDestroying(MainWindow& window) {
  ++seen.destroying;
  seen.controls_alive_when_destroying = AllControlsExist(window);
  seen.components_alive_when_destroying =
      window.DropTargetOf(entry::拖放对象) != nullptr && window.ChooserOf(entry::通用对话框1) != nullptr;
}
void OnClicked(MainWindow&) { ++seen.clicked; }
std::optional<bool> OnPressed(MainWindow&, std::uint32_t x, std::uint32_t y, std::int32_t keys) {
  seen.presses.emplace_back(x, y, keys);
  return seen.press_answer;
}
template <int N>
void OnText(MainWindow&, const char* text) {
  seen.texts.emplace_back(N, text);
}

ui::WindowDescription WithTestHandlers() {
  ui::WindowDescription d = ui::MainWindowDescription();
  d.window.handlers.Created = &OnCreated;
  d.window.handlers.AboutToBeDestroyed = &OnDestroying;
  d.Find(entry::按钮1)->handlers.Clicked = &OnClicked;
  d.Find(entry::透明标签1)->handlers.LeftButtonPressed = &OnPressed;
  auto& drop = d.Find(entry::拖放对象)->handlers;
  drop.TextReceived = &OnText<0>;
  drop.HtmlReceived = &OnText<1>;
  drop.UrlReceived = &OnText<2>;
  drop.FilesReceived = &OnText<3>;
  return d;
}

class BehaviourTest : public MainWindowTest {
 protected:
  void SetUp() override {
    seen = Seen{};
    LoadWindow(WithTestHandlers());
  }
  HWND Button() const { return Control(entry::按钮1); }
  HWND Box() const { return Control(entry::编辑框1); }
  void Focus(HWND hwnd) {
    SetFocus(hwnd);
    ASSERT_EQ(GetFocus(), hwnd);
  }
};

TEST_F(BehaviourTest, CreatedOnceWithAllControlsBeforeShowing) {
  EXPECT_EQ(seen.created, 1);
  EXPECT_TRUE(seen.hidden_when_created);
  EXPECT_TRUE(seen.controls_existed_when_created);
  EXPECT_TRUE(IsWindowVisible(Main()));
}

TEST_F(BehaviourTest, FocusStartsOnTheButtonAndSpacePressesIt) {
  EXPECT_EQ(GetFocus(), Button());
  PostKey(Button(), VK_SPACE);
  EXPECT_TRUE(PumpUntil(layer_, [] { return seen.clicked == 1; }));
  Pump(layer_);
  EXPECT_EQ(seen.clicked, 1);
}

TEST_F(BehaviourTest, EnterOnTheNormalButtonRaisesNothing) {
  PostKey(Button(), VK_RETURN);
  Pump(layer_, std::chrono::milliseconds(200));
  EXPECT_EQ(seen.clicked, 0);
  EXPECT_EQ(GetFocus(), Button());
  EXPECT_TRUE(IsWindow(Main()));
}

TEST_F(BehaviourTest, TabAndShiftTabOnlySwitchBetweenButtonAndTextBox) {
  struct Step {
    bool shift;
    std::uint32_t then_focused;
  };
  const Step steps[] = {{false, entry::编辑框1}, {false, entry::按钮1}, {false, entry::编辑框1},
                        {true, entry::按钮1},  {true, entry::编辑框1}, {true, entry::按钮1}};
  for (const Step& step : steps) {
    HoldModifiers(false, step.shift, false);
    PostKey(GetFocus(), VK_TAB);
    const HWND expected = Control(step.then_focused);
    EXPECT_TRUE(PumpUntil(layer_, [&] { return GetFocus() == expected; }, std::chrono::milliseconds(1000)))
        << (step.shift ? "Shift+Tab" : "Tab") << " should focus entry " << step.then_focused;
  }
  HoldModifiers(false, false, false);
  // Tab was consumed: the text box never received a tab character.
  EXPECT_EQ(window_->ReadContent(), "");
}

// Which key-downs the window consumes, with the modifiers matched exactly.
TEST_F(BehaviourTest, PreTranslationConsumesOnlyItsOwnKeys) {
  struct Case {
    const char* what;
    std::uint32_t focused;
    WPARAM key;
    bool ctrl, shift, alt;
    bool consumed;
  };
  const Case cases[] = {
      {"Tab on the button", entry::按钮1, VK_TAB, false, false, false, true},
      {"Tab in the box", entry::编辑框1, VK_TAB, false, false, false, true},
      {"Shift+Tab in the box", entry::编辑框1, VK_TAB, false, true, false, true},
      {"Ctrl+Tab", entry::按钮1, VK_TAB, true, false, false, false},
      {"Ctrl+Shift+Tab", entry::按钮1, VK_TAB, true, true, false, false},
      {"Enter on the normal button", entry::按钮1, VK_RETURN, false, false, false, false},
      {"Enter in the box, which wants it", entry::编辑框1, VK_RETURN, false, false, false, false},
      {"F1 on the button", entry::按钮1, VK_F1, false, false, false, false},
      {"F1 in the box", entry::编辑框1, VK_F1, false, false, false, false},
      {"Shift+Esc", entry::按钮1, VK_ESCAPE, false, true, false, false},
      {"Ctrl+Esc", entry::编辑框1, VK_ESCAPE, true, false, false, false},
      {"Alt+Esc", entry::按钮1, VK_ESCAPE, false, false, true, false},
      {"a letter", entry::编辑框1, 'A', false, false, false, false},
  };
  for (const Case& c : cases) {
    Focus(Control(c.focused));
    HoldModifiers(c.ctrl, c.shift, c.alt);
    MSG msg{};
    msg.hwnd = GetFocus();
    msg.message = c.alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    msg.wParam = c.key;
    msg.lParam = 1;
    EXPECT_EQ(layer_.PreTranslate(msg), c.consumed) << c.what;
    HoldModifiers(false, false, false);
    ASSERT_TRUE(IsWindow(Main())) << c.what;
  }
  // A message for another window is not the main window's business.
  MSG foreign{};
  foreign.hwnd = GetDesktopWindow();
  foreign.message = WM_KEYDOWN;
  foreign.wParam = VK_ESCAPE;
  EXPECT_FALSE(layer_.PreTranslate(foreign));
}

TEST_F(BehaviourTest, EnterInTheTextBoxStartsANewLine) {
  Focus(Box());
  PostKey(Box(), 'A');
  PostKey(Box(), VK_RETURN);
  PostKey(Box(), 'B');
  EXPECT_TRUE(PumpUntil(layer_, [this] { return window_->ReadContent() == "a\r\nb"; }))
      << "content: " << window_->ReadContent();
  EXPECT_EQ(seen.clicked, 0);
}

class EscTest : public BehaviourTest, public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(EscTest, EscClosesTheWindowFromEitherControl) {
  Focus(Control(GetParam()));
  PostKey(GetFocus(), VK_ESCAPE);
  EXPECT_TRUE(PumpUntil(layer_, [this] { return IsWindow(Main()) == FALSE; }));
  EXPECT_EQ(seen.destroying, 1);
  EXPECT_TRUE(seen.controls_alive_when_destroying);
}

TEST_P(EscTest, ShiftEscDoesNotClose) {
  Focus(Control(GetParam()));
  HoldModifiers(false, true, false);
  PostKey(GetFocus(), VK_ESCAPE);
  Pump(layer_, std::chrono::milliseconds(200));
  HoldModifiers(false, false, false);
  EXPECT_TRUE(IsWindow(Main()));
  EXPECT_EQ(seen.destroying, 0);
}

INSTANTIATE_TEST_SUITE_P(Controls, EscTest, ::testing::Values(entry::按钮1, entry::编辑框1));

TEST_F(BehaviourTest, AClickOnALabelDoesNotMoveTheFocus) {
  for (HWND focused : {Button(), Box()}) {
    Focus(focused);
    for (std::uint32_t label : {entry::透明标签1, entry::透明标签2}) {
      RECT r{};
      GetWindowRect(Control(label), &r);
      // A real click through the system's input, at a point of the label inside the client area.
      POINT at{std::max(r.left, 0L) + 30, (r.top + r.bottom) / 2};
      ASSERT_TRUE(SetCursorPos(at.x, at.y));
      INPUT input[2] = {};
      input[0].type = input[1].type = INPUT_MOUSE;
      input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
      input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
      ASSERT_EQ(SendInput(2, input, sizeof(INPUT)), 2u);
      Pump(layer_, std::chrono::milliseconds(150));
      EXPECT_EQ(GetFocus(), focused) << "label " << label;
    }
  }
  // The real click on 透明标签1 reached the window layer's pre-translation.
  EXPECT_EQ(seen.presses.size(), 2u);
}

TEST_F(BehaviourTest, LabelsNeverKeepTheFocus) {
  Focus(Box());
  for (std::uint32_t label : {entry::透明标签1, entry::透明标签2}) {
    SetFocus(Control(label));
    Pump(layer_, std::chrono::milliseconds(50));
    EXPECT_EQ(GetFocus(), Box()) << "label " << label;
  }
}

TEST_F(BehaviourTest, FocusComesBackAfterSwitchingToAnotherWindow) {
  for (HWND focused : {Box(), Button()}) {
    Focus(focused);
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    SetForegroundWindow(other);
    ASSERT_TRUE(PumpUntil(layer_, [&] { return GetForegroundWindow() == other; }));
    EXPECT_NE(GetFocus(), focused);
    SetForegroundWindow(Main());
    ASSERT_TRUE(PumpUntil(layer_, [&] { return GetForegroundWindow() == Main(); }));
    EXPECT_EQ(GetFocus(), focused);
    DestroyWindow(other);
  }
}

TEST_F(BehaviourTest, ButtonClickRaisesClicked) {
  SendMessageA(Button(), BM_CLICK, 0, 0);
  Pump(layer_, std::chrono::milliseconds(50));
  EXPECT_EQ(seen.clicked, 1);
}

// Counts the left-button presses that reach the label itself.
struct {
  WNDPROC original = nullptr;
  int presses = 0;
} label_spy;
LRESULT CALLBACK LabelSpy(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_LBUTTONDOWN) ++label_spy.presses;
  return CallWindowProcA(label_spy.original, hwnd, message, wparam, lparam);
}

// The label's left-button event: its arguments, and whether the label still gets the message.
TEST_F(BehaviourTest, LeftButtonPressedOnTheLabel) {
  HWND label = Control(entry::透明标签1);
  label_spy.original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(label, GWLP_WNDPROC));
  SetWindowLongPtrA(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LabelSpy));

  struct Case {
    std::optional<bool> answer;
    bool ctrl, shift, alt;
    std::int32_t key_state;
    bool label_gets_it;
  };
  const Case cases[] = {
      {std::nullopt, false, false, false, 0, true},
      {true, true, false, false, 1, true},
      {false, false, true, false, 2, false},
      {false, true, true, true, 7, false},
  };
  for (const Case& c : cases) {
    seen.presses.clear();
    seen.press_answer = c.answer;
    label_spy.presses = 0;
    HoldModifiers(c.ctrl, c.shift, c.alt);
    PostMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0xFFF5, 7));
    Pump(layer_, std::chrono::milliseconds(50));
    HoldModifiers(false, false, false);
    ASSERT_EQ(seen.presses.size(), 1u);
    // x and y are the two halves of lParam taken as unsigned.
    EXPECT_EQ(std::get<0>(seen.presses[0]), 0xFFF5u);
    EXPECT_EQ(std::get<1>(seen.presses[0]), 7u);
    EXPECT_EQ(std::get<2>(seen.presses[0]), c.key_state);
    EXPECT_EQ(label_spy.presses, c.label_gets_it ? 1 : 0);
  }
  SetWindowLongPtrA(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(label_spy.original));
}

TEST_F(BehaviourTest, DropTargetTextEventsReachTheirHandlers) {
  const char* files = "C:\\a\\b.exe";
  window_->RaiseText(entry::拖放对象, 3, files);
  window_->RaiseText(entry::拖放对象, 0, "text");
  window_->RaiseText(entry::拖放对象, 1, "html");
  window_->RaiseText(entry::拖放对象, 2, "url");
  window_->RaiseText(entry::拖放对象, 4, "no such event");
  window_->RaiseText(entry::按钮1, 3, "not a drop target");
  const std::vector<std::pair<int, std::string>> expected = {{3, files}, {0, "text"}, {1, "html"}, {2, "url"}};
  EXPECT_EQ(seen.texts, expected);
}

TEST_F(BehaviourTest, OperationsForTheHandlers) {
  // "您的程序为：64位程序"
  const char* title = "\xC4\xFA\xB5\xC4\xB3\xCC\xD0\xF2\xCE\xAA\xA3\xBA" "64\xCE\xBB\xB3\xCC\xD0\xF2";
  window_->SetTitle(title);
  EXPECT_EQ(TextOf(Main()), title);
  window_->SetTitle("");
  EXPECT_EQ(TextOf(Main()), "");
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(Main(), GWL_STYLE));
  EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION)) << "the control box keeps the caption bar";
  EXPECT_TRUE(style & WS_SYSMENU);

  // Content: whatever put the text there, a read gives a fresh copy of it.
  window_->WriteContent("C:\\\xD6\xD0\xCE\xC4\\x.exe");  // C:\中文\x.exe
  EXPECT_EQ(TextOf(Box()), "C:\\\xD6\xD0\xCE\xC4\\x.exe");
  EXPECT_EQ(window_->ReadContent(), "C:\\\xD6\xD0\xCE\xC4\\x.exe");
  SetWindowTextA(Box(), "typed");
  EXPECT_EQ(window_->ReadContent(), "typed");
  window_->WriteContent(nullptr);
  EXPECT_EQ(window_->ReadContent(), "");

  window_->WriteCaption(entry::透明标签1, "  \xC4\xFA\xB5\xC4\xB3\xCC\xD0\xF2\xCE\xAA\xA3\xBA" "32\xCE\xBB\xB3\xCC\xD0\xF2");
  EXPECT_EQ(TextOf(Control(entry::透明标签1)),
            "  \xC4\xFA\xB5\xC4\xB3\xCC\xD0\xF2\xCE\xAA\xA3\xBA" "32\xCE\xBB\xB3\xCC\xD0\xF2");

  EXPECT_EQ(window_->ChooserSettingsOf(entry::通用对话框1)->Filter, std::string("*.exe"));
  EXPECT_TRUE(window_->DropTargetSettingsOf(entry::拖放对象)->AcceptFiles);
  EXPECT_EQ(window_->ChooserSettingsOf(entry::拖放对象), nullptr);
}

// The chooser and the drop target are built with the window from their stored settings, each
// behind its own entry, the drop target unbound; they outlive the about-to-be-destroyed event.
TEST_F(BehaviourTest, ComponentsLiveFromTheBuildUntilTheAboutToBeDestroyedEventHasRun) {
  ASSERT_NE(window_->ChooserOf(entry::通用对话框1), nullptr);
  EXPECT_EQ(window_->ChooserOf(entry::通用对话框1)->FileName(), "");
  EXPECT_EQ(window_->ChooserOf(entry::通用对话框1)->Owner(), Main());
  EXPECT_EQ(window_->ChooserOf(entry::拖放对象), nullptr);
  ASSERT_NE(window_->DropTargetOf(entry::拖放对象), nullptr);
  EXPECT_EQ(window_->DropTargetOf(entry::拖放对象)->BoundWindow(), nullptr);
  EXPECT_EQ(window_->DropTargetOf(entry::编辑框1), nullptr);

  DestroyWindow(Main());
  EXPECT_EQ(seen.destroying, 1);
  EXPECT_TRUE(seen.components_alive_when_destroying);
  EXPECT_EQ(window_->DropTargetOf(entry::拖放对象), nullptr);
  EXPECT_EQ(window_->ChooserOf(entry::通用对话框1), nullptr);
}

// The quit message follows the last loaded window's destruction, once the loop runs.
TEST_F(BehaviourTest, QuitIsPostedWhenTheLastWindowIsGoneAndTheLoopRuns) {
  layer_.SetLoopRunning();
  DestroyWindow(Main());
  MSG quit{};
  ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 0u);
}

TEST_F(BehaviourTest, NoQuitBeforeTheLoopRuns) {
  DestroyWindow(Main());
  MSG quit{};
  EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// With a default push button Enter clicks it, unless the focused control wants Enter itself.
TEST(DefaultButton, EnterClicksTheDefaultButtonButNotFromTheTextBox) {
  Watchdog watchdog(std::chrono::seconds(30));
  seen = Seen{};
  ui::WindowDescription d = WithTestHandlers();
  std::get<ui::ButtonSettings>(d.Find(entry::按钮1)->settings).type = ui::ButtonType::Default;
  ui::WindowLayer layer(GetModuleHandleA(nullptr));
  MainWindow* window = layer.Load({&d, 1}, ui::kMainWindowNumber);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(PumpUntil(layer, [&] { return GetFocus() == window->ControlHandle(entry::按钮1); }));
  EXPECT_TRUE(GetWindowLongPtrA(window->ControlHandle(entry::按钮1), GWL_STYLE) & BS_DEFPUSHBUTTON);

  PostKey(GetFocus(), VK_RETURN);
  EXPECT_TRUE(PumpUntil(layer, [] { return seen.clicked == 1; }));

  SetFocus(window->ControlHandle(entry::编辑框1));
  PostKey(GetFocus(), VK_RETURN);
  EXPECT_TRUE(PumpUntil(layer, [&] { return window->ReadContent() == "\r\n"; }));
  EXPECT_EQ(seen.clicked, 1);
  layer.Release();
}

}  // namespace
}  // namespace quorvel::testing
