// A real drag across processes: drag_source.exe starts an OLE drag of files, xdotool moves the
// X pointer from its window onto the text box that this process has bound to a drop target, and
// releases the button there. Runs under Wine on an X display only; it needs the Wine desktop
// to sit at the X root's origin, so that window rectangles are X root coordinates.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "drop_target.h"
#include "temp_dir.h"
#include "win32_process.h"
#include "x_pointer.h"

namespace quorvel::ui {
namespace {

using namespace std::chrono_literals;

constexpr char kSourceClass[] = "QuorvelDragSource";
constexpr char kHostClass[] = "QuorvelDropHost";

std::string ReadAll(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

using testing::Centre;

class CrossProcessDragTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string why_not = testing::WhyNoRealDrag();
    if (!why_not.empty()) GTEST_SKIP() << why_not;
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ole_ = true;

    WNDCLASSA host_class{};
    host_class.lpfnWndProc = &DefWindowProcA;
    host_class.hInstance = GetModuleHandleA(nullptr);
    host_class.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    host_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    host_class.lpszClassName = kHostClass;
    (void)RegisterClassA(&host_class);
    // The program's own proportions: a 377 by 197 window with the text box at 8, 32.
    host_ = CreateWindowExA(0, kHostClass, "drop host", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 1000,
                            400, 377, 197, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(host_, nullptr);
    edit_ = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 8, 32, 264, 48, host_,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(edit_, nullptr);

    target_.SetHandler(DropTarget::FilesReceived, [this](const char* text) { received_.emplace_back(text); });
    ASSERT_TRUE(target_.Register(edit_));

    list_ = folder_.path().string() + "\\paths.txt";
    report_ = folder_.path().string() + "\\report.txt";
    WriteList({"C:\\placeholder"});
    const std::string command = "\"" + testing::OwnFolder() + "\\drag_source.exe\" \"" + list_ + "\" \"" +
                                report_ + "\" 300 400 240 160";
    ASSERT_TRUE(source_.Start(command)) << command;
    source_window_ = source_.WaitForWindow(kSourceClass, 20s);
    ASSERT_NE(source_window_, nullptr) << "the drag source's window did not appear";
    testing::WaitUntil([] { return false; }, 300ms);  // let both windows settle on the desktop
  }

  void TearDown() override {
    // The source is asked to close; one that has not ended by then is ended with the fixture.
    if (source_window_ != nullptr) {
      (void)PostMessageA(source_window_, WM_CLOSE, 0, 0);
      (void)source_.WaitForExit(5s);
    }
    target_.Revoke(edit_);
    if (host_ != nullptr) (void)DestroyWindow(host_);
    if (ole_) OleUninitialize();
  }

  void WriteList(const std::vector<std::string>& paths) {
    std::ofstream out(list_, std::ios::binary | std::ios::trunc);
    for (const std::string& path : paths) out << path << '\n';
  }

  int DragsReported() const {
    const std::string report = ReadAll(report_);
    int lines = 0;
    for (const char c : report) lines += c == '\n' ? 1 : 0;
    return lines;
  }

  // The last line the source wrote about a drag: "done N hr=... effect=...".
  std::string LastReport() const {
    const std::string report = ReadAll(report_);
    const std::size_t end = report.find_last_of('\n');
    if (end == std::string::npos) return {};
    const std::size_t start = report.find_last_of('\n', end == 0 ? 0 : end - 1);
    return report.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1));
  }

  // Presses the button on the source, moves in six steps onto `to` and releases it there; then
  // waits until the source reports that its drag has ended. Returns what the target received.
  std::vector<std::string> DragTo(POINT to) {
    received_.clear();
    const int before = DragsReported();
    const std::string command = testing::DragCommand(Centre(source_window_), to);
    testing::ChildProcess xdotool;
    EXPECT_TRUE(xdotool.Start(command)) << command;

    EXPECT_TRUE(testing::WaitUntil([&] { return DragsReported() > before; }, 20s))
        << "the drag source never finished its drag; report so far:\n"
        << ReadAll(report_);
    // The drop is answered before DoDragDrop returns in the source, so the event is in by now.
    testing::WaitUntil([] { return false; }, 200ms);
    return received_;
  }

  testing::TempDir folder_;
  DropTarget target_{DropTargetSettings{true, true, true, true}};
  bool ole_ = false;
  HWND host_ = nullptr;
  HWND edit_ = nullptr;
  HWND source_window_ = nullptr;
  testing::ChildProcess source_;
  std::string list_;
  std::string report_;
  std::vector<std::string> received_;
};

// "C:\测试 目录\程序.exe", "C:\文件\说明.txt" in GBK
const std::string kChineseFile = "C:\\\xB2\xE2\xCA\xD4 \xC4\xBF\xC2\xBC\\\xB3\xCC\xD0\xF2.exe";
const std::string kChineseText = "C:\\\xCE\xC4\xBC\xFE\\\xCB\xB5\xC3\xF7.txt";

TEST_F(CrossProcessDragTest, FilesDroppedOnTheTextBoxArriveAsGbkPaths) {
  struct Round {
    std::vector<std::string> paths;
    std::string expected;
  };
  const std::string long_path = "C:\\" + std::string(140, 'd') + "\\\xB3\xCC\xD0\xF2" + std::string(140, 'f') + ".exe";
  const std::vector<Round> rounds = {
      {{kChineseFile}, kChineseFile},
      {{"C:\\Program Files\\a b.exe", kChineseText, "C:\\windows"},
       "C:\\Program Files\\a b.exe\r\n" + kChineseText + "\r\nC:\\windows\r\n"},
      {{long_path}, long_path},
      {{kChineseFile}, kChineseFile},
      {{"C:\\1.exe", "C:\\2.exe"}, "C:\\1.exe\r\nC:\\2.exe\r\n"},
  };
  for (std::size_t i = 0; i < rounds.size(); ++i) {
    SCOPED_TRACE("drag " + std::to_string(i + 1));
    WriteList(rounds[i].paths);
    EXPECT_EQ(DragTo(Centre(edit_)), std::vector<std::string>{rounds[i].expected});
    // Wine's DoDragDrop hands the target's answer to the source: the drop is never reported
    // as done, so a source offering a move keeps its files.
    EXPECT_NE(LastReport().find("hr=0x80004005"), std::string::npos) << LastReport();
  }
  const std::string report = ReadAll(report_);
  std::printf("drag source report:\n%s", report.c_str());
}

TEST_F(CrossProcessDragTest, ADropBesideTheTextBoxIsNotAccepted) {
  RECT edit{};
  ASSERT_TRUE(GetWindowRect(edit_, &edit));
  WriteList({kChineseFile});
  // Below the text box, inside the host window.
  EXPECT_TRUE(DragTo(POINT{(edit.left + edit.right) / 2, edit.bottom + 40}).empty());
  // And the box still takes the next drop.
  EXPECT_EQ(DragTo(Centre(edit_)), std::vector<std::string>{kChineseFile});
}

TEST_F(CrossProcessDragTest, TheReferenceCountIsBackAfterDragsAndRevoke) {
  WriteList({kChineseFile});
  ASSERT_EQ(DragTo(Centre(edit_)), std::vector<std::string>{kChineseFile});
  target_.Revoke(edit_);
  IDropTarget* object = target_.Target();
  EXPECT_EQ(object->AddRef(), 2u);
  EXPECT_EQ(object->Release(), 1u);
}

}  // namespace
}  // namespace quorvel::ui
