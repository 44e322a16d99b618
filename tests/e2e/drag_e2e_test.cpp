// Real drags onto the real quorvel.exe: drag_source.exe, a process of its own, starts an OLE drag
// of files, and xdotool moves the X pointer from its window onto quorvel's text box (or beside
// it) and releases the button there. Runs under Wine on an X display, with the Wine desktop at
// the X root's origin so that window rectangles are X root coordinates.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "running_tool.h"
#include "x_pointer.h"

namespace quorvel {
namespace {

using namespace std::chrono_literals;

using testing::Centre;

std::size_t LinesIn(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::size_t lines = 0;
  for (char c : text) lines += c == '\n' ? 1 : 0;
  return lines;
}

class DraggingOntoTheTool : public RunningTool {
 protected:
  void SetUp() override {
    const std::string why_not = testing::WhyNoRealDrag();
    if (!why_not.empty()) GTEST_SKIP() << why_not;
    RunningTool::SetUp();
    if (HasFatalFailure()) return;
    list_ = dir_.path().string() + "\\drag-list.txt";
    report_ = dir_.path().string() + "\\drag-report.txt";
    WriteList({});
    // Left of the centred main window, clear of it.
    const std::string command = "\"" + testing::WindowsPathOf(QUORVEL_DRAG_SOURCE_EXE) + "\" \"" + list_ + "\" \"" +
                                report_ + "\" 300 400 240 160";
    ASSERT_TRUE(source_.Start(command)) << command;
    source_window_ = source_.WaitForWindow("QuorvelDragSource");
    ASSERT_NE(source_window_, nullptr) << "the drag source's window did not appear";
    testing::WaitUntil([] { return false; }, 300ms);  // let both windows settle on the desktop
  }

  void WriteList(const std::vector<std::string>& paths) {
    std::ofstream out(list_, std::ios::binary | std::ios::trunc);
    for (const std::string& path : paths) out << path << '\n';
  }

  // Presses the button on the source, moves in six steps onto `to` and releases it there; returns
  // once the source reports that its drag has ended, when quorvel has answered the drop.
  void DragTo(const std::vector<std::string>& paths, POINT to) {
    WriteList(paths);
    const std::size_t before = LinesIn(report_);
    const std::string command = testing::DragCommand(Centre(source_window_), to);
    testing::ChildProcess xdotool;
    ASSERT_TRUE(xdotool.Start(command)) << command;
    ASSERT_TRUE(testing::WaitUntil([&] { return LinesIn(report_) > before; }, 20s))
        << "the drag source never finished its drag";
    SendMessageA(main_, WM_NULL, 0, 0);  // quorvel has finished handling the drop
  }

  std::string list_;
  std::string report_;
  testing::ChildProcess source_;
  HWND source_window_ = nullptr;
};

TEST_F(DraggingOntoTheTool, OneFileShowsItsPathAndItsAnswer) {
  // 程序.exe
  const std::string program = dir_.Write("\xB3\xCC\xD0\xF2.exe", testing::Pe32Plus());
  DragTo({program}, Centre(edit_));
  EXPECT_EQ(TextOf(edit_), program);
  EXPECT_EQ(Title(), TitleFor("64"));
  EXPECT_EQ(Caption(), CaptionFor("64"));

  const std::string other = dir_.Write("other.exe", testing::Pe32());
  DragTo({other}, Centre(edit_));
  EXPECT_EQ(TextOf(edit_), other);
  EXPECT_EQ(Title(), TitleFor("32"));
}

TEST_F(DraggingOntoTheTool, AFolderShowsZero) {
  const std::string folder = dir_.path().string();
  DragTo({folder}, Centre(edit_));
  EXPECT_EQ(TextOf(edit_), folder);
  EXPECT_EQ(Title(), TitleFor("0"));
  EXPECT_EQ(Caption(), CaptionFor("0"));
}

TEST_F(DraggingOntoTheTool, ThreeFilesShowEachPathWithALineBreakAndZero) {
  const std::string a = dir_.Write("a.exe", testing::Pe32Plus());
  const std::string b = dir_.Write("b.exe", testing::Pe32());
  const std::string c = dir_.Write("c.exe", testing::Pe32Plus());
  DragTo({a, b, c}, Centre(edit_));
  EXPECT_EQ(TextOf(edit_), a + "\r\n" + b + "\r\n" + c + "\r\n");
  EXPECT_EQ(Title(), TitleFor("0"));
  EXPECT_EQ(Caption(), CaptionFor("0"));
}

TEST_F(DraggingOntoTheTool, ADropBesideTheTextBoxIsNotAccepted) {
  const std::string program = dir_.Write("beside.exe", testing::Pe32Plus());
  for (HWND beside : {label_, button_}) {
    DragTo({program}, Centre(beside));
    EXPECT_EQ(TextOf(edit_), "");
    EXPECT_EQ(Title(), "Quorvel");
  }
  // The text box itself still takes the next drop.
  DragTo({program}, Centre(edit_));
  EXPECT_EQ(Title(), TitleFor("64"));
}

}  // namespace
}  // namespace quorvel
