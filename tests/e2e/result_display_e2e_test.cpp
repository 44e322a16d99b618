// The finished tool, end to end: the real quorvel.exe started as its own process and driven from
// this one, the way a user would drive it, and read back with Win32 calls.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "running_tool.h"

namespace quorvel {
namespace {

using testing::TextOf;

struct ChosenFile {
  const char* name;
  testing::Bytes bytes;
  const char* digits;
};

class ChoosingAFile : public RunningTool, public ::testing::WithParamInterface<ChosenFile> {};

TEST_P(ChoosingAFile, ShowsTheAnswerInTitleAndLabel) {
  const ChosenFile& file = GetParam();
  const std::string path = dir_.Write(file.name, file.bytes);

  ChooseInDialog(path.c_str());

  EXPECT_EQ(TextOf(edit_), path);
  EXPECT_EQ(Title(), TitleFor(file.digits));
  EXPECT_EQ(Caption(), CaptionFor(file.digits));
}

using testing::Truncated;

INSTANTIATE_TEST_SUITE_P(
    Files, ChoosingAFile,
    ::testing::Values(ChosenFile{"program64.exe", testing::Pe32Plus(), "64"},
                      ChosenFile{"program32.exe", testing::Pe32(), "32"},
                      // A GBK file name: 中文.exe
                      ChosenFile{"\xD6\xD0\xCE\xC4.exe", testing::Pe32Plus(), "64"},
                      ChosenFile{"readme.txt", testing::BytesOf("just some text, long enough to be read\n"), "0"},
                      ChosenFile{"tool.elf", Truncated(testing::BytesOf("\x7f" "ELF\x02\x01\x01"), 400), "0"},
                      ChosenFile{"cut.exe", Truncated(testing::Pe32Plus(), 0x80 + 100), "0"}),
    [](const ::testing::TestParamInfo<ChosenFile>& param) { return "case" + std::to_string(param.index); });

TEST_F(RunningTool, ARealProgramIsRecognised) {
  const std::string self = testing::WindowsPathOf(QUORVEL_EXE);
  ChooseInDialog(self.c_str());
  const char* digits = sizeof(void*) == 8 ? "64" : "32";
  EXPECT_EQ(Title(), TitleFor(digits));
  EXPECT_EQ(Caption(), CaptionFor(digits));
}

TEST_F(RunningTool, CancellingFirstEmptiesTheTextBoxAndShowsZero) {
  SendMessageA(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("typed by hand"));
  ChooseInDialog(nullptr);
  EXPECT_EQ(TextOf(edit_), "");
  EXPECT_EQ(Title(), TitleFor("0"));
  EXPECT_EQ(Caption(), CaptionFor("0"));
}

TEST_F(RunningTool, CancellingLaterPutsTheLastConfirmedPathBackAndProbesItAgain) {
  const std::string path = dir_.Write("first.exe", testing::Pe32());
  ChooseInDialog(path.c_str());
  ASSERT_EQ(Title(), TitleFor("32"));

  // The file changes behind the tool's back; the cancelled click probes it afresh.
  dir_.Write("first.exe", testing::Pe32Plus());
  SendMessageA(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("something else"));
  ChooseInDialog(nullptr);

  EXPECT_EQ(TextOf(edit_), path);
  EXPECT_EQ(Title(), TitleFor("64"));
  EXPECT_EQ(Caption(), CaptionFor("64"));
}

// A path typed into the box is never probed as typed: the click replaces it first.
TEST_F(RunningTool, ATypedPathIsReplacedNotProbed) {
  const std::string typed = dir_.Write("typed.exe", testing::Pe32Plus());
  const std::string chosen = dir_.Write("chosen.exe", testing::Pe32());
  SendMessageA(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
  ChooseInDialog(chosen.c_str());
  EXPECT_EQ(TextOf(edit_), chosen);
  EXPECT_EQ(Title(), TitleFor("32"));
}

TEST_F(RunningTool, TheInitialTextsStayUntilTheFirstAnswer) {
  EXPECT_EQ(Title(), "Quorvel");
  EXPECT_EQ(Caption(), "     \xC4\xFA\xB5\xC4\xB3\xCC\xD0\xF2\xCE\xAA\xA3\xBA");  // "     您的程序为："
  EXPECT_EQ(TextOf(edit_), "");
}

}  // namespace
}  // namespace quorvel
