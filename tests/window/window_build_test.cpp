// The main window and its controls as the system sees them, checked against the description
// that built them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "main_window/window_description.h"
#include "main_window/window_styles.h"
#include "window_test_support.h"

namespace quorvel::testing {
namespace {

using ui::Entry;
using ui::EntryKind;

class WindowBuildTest : public MainWindowTest {
 protected:
  void SetUp() override { LoadWindow(); }
};

TEST_F(WindowBuildTest, OpensCentredAtItsStoredSize) {
  const Entry& entry = ui::MainWindowDescription().window;
  RECT outer{};
  ASSERT_TRUE(GetWindowRect(Main(), &outer));
  EXPECT_EQ(outer.right - outer.left, entry.width);
  EXPECT_EQ(outer.bottom - outer.top, entry.height);
  EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - entry.width) / 2);
  EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - entry.height) / 2);
  if (GetSystemMetrics(SM_CXSCREEN) == 1920 && GetSystemMetrics(SM_CYSCREEN) == 1080) {
    EXPECT_EQ(outer.left, 771);
    EXPECT_EQ(outer.top, 441);
  }
  EXPECT_NE(outer.left, entry.left) << "the stored place is never used";
}

TEST_F(WindowBuildTest, WindowClassStylesAndTitle) {
  char class_name[64] = {};
  ASSERT_GT(GetClassNameA(Main(), class_name, sizeof class_name), 0);
  EXPECT_STREQ(class_name, ui::kMainWindowClass);
  EXPECT_EQ(GetClassLongPtrA(Main(), GCL_STYLE), 0x000B);
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(GetClassLongPtrA(Main(), GCLP_HBRBACKGROUND)), GetStockObject(NULL_BRUSH));
  EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrA(Main(), GCLP_HCURSOR)), LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(GetClassLongPtrA(Main(), GCLP_HICON), 0);

  // The system adds WS_CLIPSIBLINGS to every top-level window and WS_EX_WINDOWEDGE to a
  // dialog frame; everything else is the description's.
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(Main(), GWL_STYLE));
  const auto ex_style = static_cast<DWORD>(GetWindowLongPtrA(Main(), GWL_EXSTYLE));
  EXPECT_EQ(style & ~static_cast<DWORD>(WS_VISIBLE | WS_CLIPSIBLINGS), 0x02CA0000u) << std::hex << style;
  EXPECT_TRUE(style & WS_VISIBLE);
  EXPECT_EQ(ex_style & ~static_cast<DWORD>(WS_EX_WINDOWEDGE), 0u) << std::hex << ex_style;
  EXPECT_EQ(TextOf(Main()), "Quorvel");
  // No owner, so the system gives it a taskbar button.
  EXPECT_EQ(GetWindow(Main(), GW_OWNER), nullptr);
  EXPECT_EQ(GetParent(Main()), nullptr);
}

TEST_F(WindowBuildTest, HasBothIconsAtTheirSizes) {
  struct Case {
    WPARAM which;
    LONG size;
  };
  for (const Case c : {Case{ICON_BIG, 32}, Case{ICON_SMALL, 16}}) {
    auto icon = reinterpret_cast<HICON>(SendMessageA(Main(), WM_GETICON, c.which, 0));
    ASSERT_NE(icon, nullptr) << "icon " << c.which;
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bitmap{};
    ASSERT_GT(GetObjectA(info.hbmColor, sizeof bitmap, &bitmap), 0);
    EXPECT_EQ(bitmap.bmWidth, c.size);
    EXPECT_EQ(bitmap.bmHeight, c.size);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
  }
}

TEST_F(WindowBuildTest, CannotBeResizedOrMaximisedButMinimisedAndMoved) {
  RECT before{};
  GetWindowRect(Main(), &before);

  // The frame has no sizing border: its edges are plain borders to the system.
  const POINT edges[] = {{before.left, (before.top + before.bottom) / 2},
                         {before.right - 1, (before.top + before.bottom) / 2},
                         {(before.left + before.right) / 2, before.bottom - 1},
                         {before.right - 1, before.bottom - 1}};
  for (const POINT p : edges) {
    const LRESULT hit = SendMessageA(Main(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
    EXPECT_TRUE(hit < HTSIZEFIRST || hit > HTSIZELAST) << "hit " << hit << " at " << p.x << "," << p.y;
  }

  // A double-click on the caption bar does not maximise.
  const POINT caption{(before.left + before.right) / 2, before.top + GetSystemMetrics(SM_CYCAPTION) / 2};
  ASSERT_EQ(SendMessageA(Main(), WM_NCHITTEST, 0, MAKELPARAM(caption.x, caption.y)), HTCAPTION);
  SendMessageA(Main(), WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(caption.x, caption.y));
  Pump(layer_);
  EXPECT_FALSE(IsZoomed(Main()));
  RECT after{};
  GetWindowRect(Main(), &after);
  EXPECT_TRUE(EqualRect(&before, &after));

  SendMessageA(Main(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(PumpUntil(layer_, [this] { return IsIconic(Main()) != FALSE; }));
  SendMessageA(Main(), WM_SYSCOMMAND, SC_RESTORE, 0);
  ASSERT_TRUE(PumpUntil(layer_, [this] { return IsIconic(Main()) == FALSE; }));
  GetWindowRect(Main(), &after);
  EXPECT_TRUE(EqualRect(&before, &after));

  ASSERT_TRUE(SetWindowPos(Main(), nullptr, 100, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
  GetWindowRect(Main(), &after);
  EXPECT_EQ(after.left, 100);
  EXPECT_EQ(after.top, 120);
  EXPECT_EQ(after.right - after.left, before.right - before.left);
}

// What the system should report for each control, beside the description's own values.
struct ExpectedControl {
  std::uint32_t number;
  const char* class_name;
  DWORD style;  // before WS_VISIBLE
  DWORD ex_style;
};

const ExpectedControl kExpected[] = {
    {ui::entry::透明标签2, ui::kLabelClass, 0x44000000, WS_EX_TRANSPARENT},
    {ui::entry::拖放对象, ui::kComponentClass, 0x44000000, 0},
    {ui::entry::透明标签1, ui::kLabelClass, 0x44000000, WS_EX_TRANSPARENT},
    {ui::entry::编辑框1, "Edit", 0x44211044, WS_EX_CLIENTEDGE},
    {ui::entry::通用对话框1, ui::kComponentClass, 0x44000000, 0},
    {ui::entry::按钮1, "Button", 0x44012F00, 0},
};

std::string ExpectedText(const Entry& entry) {
  if (const auto* label = std::get_if<ui::LabelSettings>(&entry.settings)) return label->Caption;
  if (const auto* box = std::get_if<ui::TextBoxSettings>(&entry.settings)) return box->Content;
  if (const auto* button = std::get_if<ui::ButtonSettings>(&entry.settings)) return button->Caption;
  return "";
}

TEST_F(WindowBuildTest, EveryControlAsDescribed) {
  const auto& controls = ui::MainWindowDescription().controls;
  ASSERT_EQ(std::size(kExpected), controls.size());
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const Entry& entry = controls[i];
    const ExpectedControl& expected = kExpected[i];
    SCOPED_TRACE(std::to_string(i) + ": entry " + std::to_string(entry.number));
    ASSERT_EQ(entry.number, expected.number);
    HWND hwnd = Control(entry.number);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(GetParent(hwnd), Main());

    char class_name[64] = {};
    GetClassNameA(hwnd, class_name, sizeof class_name);
    EXPECT_EQ(lstrcmpiA(class_name, expected.class_name), 0) << class_name;
    // Created in the reverse of the list order, ids 100, 110, ... in creation order.
    EXPECT_EQ(GetDlgCtrlID(hwnd), 100 + 10 * static_cast<int>(controls.size() - 1 - i));

    RECT rect{};
    GetWindowRect(hwnd, &rect);
    MapWindowPoints(nullptr, Main(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, entry.left);
    EXPECT_EQ(rect.top, entry.top);
    EXPECT_EQ(rect.right - rect.left, entry.width);
    EXPECT_EQ(rect.bottom - rect.top, entry.height);

    const auto style = static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE));
    EXPECT_EQ(style & ~static_cast<DWORD>(WS_VISIBLE), expected.style) << std::hex << style;
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE)), expected.ex_style);
    EXPECT_EQ((style & WS_VISIBLE) != 0, entry.visible);
    EXPECT_EQ(IsWindowVisible(hwnd) != FALSE, entry.visible);
    EXPECT_EQ((style & WS_TABSTOP) != 0, entry.tab_stop);

    // Exact bytes: the texts are GBK and the ANSI calls must hand them over unchanged.
    EXPECT_EQ(TextOf(hwnd), ExpectedText(entry));
  }
}

TEST_F(WindowBuildTest, StackingOrderIsTheListOrder) {
  std::vector<HWND> stacked;
  for (HWND child = GetWindow(Main(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    stacked.push_back(child);
  }
  std::vector<HWND> listed;
  for (const Entry& entry : ui::MainWindowDescription().controls) listed.push_back(Control(entry.number));
  EXPECT_EQ(stacked, listed);
}

TEST_F(WindowBuildTest, TextBoxSetUp) {
  HWND box = Control(ui::entry::编辑框1);
  // EM_LIMITTEXT 0 lifts the limit to the system's own maximum, far above the 30000 default.
  EXPECT_GE(static_cast<DWORD>(SendMessageA(box, EM_GETLIMITTEXT, 0, 0)), 0x7FFFFFFEu);
  DWORD start = 1, end = 1;
  SendMessageA(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 0u);
  auto font = reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  LOGFONTA made{};
  ASSERT_GT(GetObjectA(font, sizeof made, &made), 0);
  EXPECT_EQ(made.lfHeight, -14);
  EXPECT_EQ(made.lfQuality, PROOF_QUALITY);

  auto button_font = reinterpret_cast<HGDIOBJ>(SendMessageA(Control(ui::entry::按钮1), WM_GETFONT, 0, 0));
  EXPECT_EQ(button_font, GetStockObject(DEFAULT_GUI_FONT));
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(Main(), WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT));

  // Red on white, with one brush handed out on every request.
  HDC dc = GetDC(box);
  const LRESULT brush1 = SendMessageA(Main(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(box));
  EXPECT_EQ(GetTextColor(dc), 0x000000FFu);
  EXPECT_EQ(GetBkColor(dc), 0x00FFFFFFu);
  const LRESULT brush2 = SendMessageA(Main(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(box));
  ReleaseDC(box, dc);
  EXPECT_NE(brush1, 0);
  EXPECT_EQ(brush1, brush2);
  LOGBRUSH logbrush{};
  ASSERT_GT(GetObjectA(reinterpret_cast<HBRUSH>(brush1), sizeof logbrush, &logbrush), 0);
  EXPECT_EQ(logbrush.lbStyle, static_cast<UINT>(BS_SOLID));
  EXPECT_EQ(logbrush.lbColor, 0x00FFFFFFu);
}

TEST_F(WindowBuildTest, LabelClassAsDescribed) {
  HWND label = Control(ui::entry::透明标签1);
  EXPECT_EQ(GetClassLongPtrA(label, GCL_STYLE), CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(GetClassLongPtrA(label, GCLP_HBRBACKGROUND)), GetStockObject(NULL_BRUSH));
  EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrA(label, GCLP_HCURSOR)), LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(GetClassLongPtrA(label, GCLP_HICON), 0);
}

// Loading fails as a whole: no window is left behind.
TEST(WindowLoadFailure, NoWindowIsLeftBehind) {
  Watchdog watchdog(std::chrono::seconds(30));
  ui::WindowLayer layer(GetModuleHandleA(nullptr));
  EXPECT_EQ(layer.Load(ui::BuiltInDescriptions(), 0x12345678), nullptr) << "no description has this number";

  ui::WindowDescription broken = ui::MainWindowDescription();
  std::get<ui::WindowSettings>(broken.window.settings).window_class_name = "QuorvelNoSuchClass";
  EXPECT_EQ(layer.Load({&broken, 1}, ui::kMainWindowNumber), nullptr);
  EXPECT_FALSE(layer.AnyWindowAlive());

  // A control that cannot be made takes the window down with it.
  static int created = 0;
  ui::WindowDescription bad_control = ui::MainWindowDescription();
  bad_control.controls[2].kind = ui::EntryKind::Window;  // no control can be made of this kind
  bad_control.window.handlers.Created = [](ui::MainWindow&) { ++created; };
  EXPECT_EQ(layer.Load({&bad_control, 1}, ui::kMainWindowNumber), nullptr);
  EXPECT_FALSE(layer.AnyWindowAlive());
  EXPECT_EQ(FindWindowA(ui::kMainWindowClass, nullptr), nullptr);
  EXPECT_EQ(created, 0);
}

// Derivations the shipped table does not exercise.
TEST(WindowStyles, CaptionAndFrameFollowTheSettings) {
  const auto base = std::get<ui::WindowSettings>(ui::MainWindowDescription().window.settings);
  struct Case {
    const char* what;
    ui::WindowSettings settings;
    const char* title;
    DWORD expected;
  };
  auto with = [&base](auto change) {
    ui::WindowSettings s = base;
    change(s);
    return s;
  };
  const Case cases[] = {
      {"stored", base, "Quorvel", 0x02CA0000},
      {"empty title, control box on", base, "", 0x02CA0000},
      {"no control box", with([](auto& s) { s.control_box = false; }), "Quorvel", 0x02C20000},
      {"no control box, no title", with([](auto& s) { s.control_box = false; }), "", 0x02420000},
      {"no border", with([](auto& s) { s.border = ui::Border::None; }), "Quorvel", 0x02020000},
      {"sizable", with([](auto& s) { s.border = ui::Border::Sizable; }), "Quorvel", 0x02CE0000},
      {"maximise button", with([](auto& s) { s.maximise_button = true; }), "Quorvel", 0x02CB0000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ui::MainWindowStyle(c.settings, c.title), c.expected) << c.what << std::hex;
  }
}

TEST(WindowStyles, FontRequestReplacesFiveMembersOnly) {
  LOGFONTA stored{};
  stored.lfHeight = -24;
  stored.lfWidth = 3;
  stored.lfWeight = FW_BOLD;
  stored.lfItalic = TRUE;
  stored.lfCharSet = GB2312_CHARSET;
  stored.lfOutPrecision = OUT_STROKE_PRECIS;
  stored.lfClipPrecision = CLIP_STROKE_PRECIS;
  stored.lfQuality = DRAFT_QUALITY;
  stored.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  std::strcpy(stored.lfFaceName, "Face");
  const LOGFONTA made = ui::FontRequest(stored);
  EXPECT_EQ(made.lfCharSet, DEFAULT_CHARSET);
  EXPECT_EQ(made.lfOutPrecision, OUT_DEFAULT_PRECIS);
  EXPECT_EQ(made.lfClipPrecision, CLIP_DEFAULT_PRECIS);
  EXPECT_EQ(made.lfQuality, PROOF_QUALITY);
  EXPECT_EQ(made.lfPitchAndFamily, DEFAULT_PITCH);
  EXPECT_EQ(made.lfHeight, -24);
  EXPECT_EQ(made.lfWidth, 3);
  EXPECT_EQ(made.lfWeight, FW_BOLD);
  EXPECT_EQ(made.lfItalic, TRUE);
  EXPECT_STREQ(made.lfFaceName, "Face");
}

}  // namespace
}  // namespace quorvel::testing
