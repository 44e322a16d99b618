// Where paths come from: standard input in its two modes, and the recursive walk of a small tree.
#include <gtest/gtest.h>

#include "cli.h"
#include "cli_harness.h"
#include "scripted_file_access.h"
#include "temp_dir.h"

namespace quorvel {
namespace {

using namespace std::string_literals;

struct StdinCase {
  const char* name;
  std::vector<std::string> args;
  std::string input;
  std::vector<std::string> paths;  // answered in this order
};

class StandardInput : public ::testing::TestWithParam<StdinCase> {};

// Whatever pieces the input arrives in, the same paths are answered in the same order.
TEST_P(StandardInput, PathsInOrderWhateverThePieces) {
  const StdinCase& c = GetParam();
  std::string expected;
  for (const std::string& path : c.paths) expected += (path == "a.exe" ? "64\t" : "0\t") + path + "\n";
  for (const std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{1} << 20}) {
    testing::ScriptedFileAccess files;
    files.Add("a.exe", testing::Pe32Plus());
    testing::StringSource in(c.input, piece);
    const testing::ToolResult result = testing::RunTool(c.args, files, in);
    EXPECT_EQ(result.exit_code, cli::kExitOk) << "pieces of " << piece;
    EXPECT_EQ(result.out, expected) << "pieces of " << piece;
    EXPECT_EQ(files.opens_asked(), static_cast<int>(c.paths.size()));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cli, StandardInput,
    ::testing::Values(
        StdinCase{"lines", {"-"}, "a.exe\nb c\nd\n", {"a.exe", "b c", "d"}},
        StdinCase{"last_line_unterminated", {"-"}, "a.exe\nd", {"a.exe", "d"}},
        StdinCase{"crlf_lines", {"-"}, "a.exe\r\nd\r\n", {"a.exe", "d"}},
        StdinCase{"only_the_last_cr_goes", {"-"}, "x\r\r\ny\rz\n", {"x\r", "y\rz"}},
        StdinCase{"empty_lines_skipped", {"-"}, "\n\na.exe\n\n\r\nd\n\n", {"a.exe", "d"}},
        StdinCase{"spaces_kept", {"-"}, " a.exe \n", {" a.exe "}},
        StdinCase{"nul_inside_a_line_ends_the_path", {"-"}, "a.exe\0junk\nd\n"s, {"a.exe", "d"}},
        StdinCase{"empty_input", {"-"}, "", {}},
        StdinCase{"nul_separated", {"-0"}, "a.exe\0b\nc\0"s, {"a.exe", "b\nc"}},
        StdinCase{"nul_keeps_carriage_returns", {"-0"}, "d\r\0"s, {"d\r"}},
        StdinCase{"nul_last_unterminated", {"-0"}, "a.exe\0d"s, {"a.exe", "d"}},
        StdinCase{"nul_empty_entries_skipped", {"-0"}, "\0\0a.exe\0\0"s, {"a.exe"}},
        StdinCase{"stdin_at_its_place", {"first", "-", "last"}, "a.exe\nd\n", {"first", "a.exe", "d", "last"}},
        StdinCase{"nul_at_its_place", {"first", "-0"}, "a.exe\0"s, {"first", "a.exe"}}),
    [](const auto& test_info) { return std::string(test_info.param.name); });

TEST(CliStdin, PathLongerThanTheReadBlock) {
  const std::string long_path(200000, 'p');
  testing::ScriptedFileAccess files;
  files.Add(long_path, testing::Pe32());
  const testing::ToolResult result = testing::RunTool({"-"}, files, "a\n" + long_path + "\nb");
  EXPECT_EQ(result.out, "0\ta\n32\t" + long_path + "\n0\tb\n");
}

TEST(CliStdin, ManyPathsAcrossBlocksKeepTheirOrder) {
  std::string input;
  std::string expected;
  for (int i = 0; i < 30000; ++i) {
    const std::string path = "dir/file-" + std::to_string(i) + ".dll";
    input += path + '\0';
    expected += "0\t" + path + "\n";
  }
  testing::ScriptedFileAccess files;
  testing::StringSource in(input, 4093);  // a prime, so that records straddle every boundary
  const testing::ToolResult result = testing::RunTool({"-0"}, files, in);
  EXPECT_EQ(result.exit_code, cli::kExitOk);
  EXPECT_TRUE(result.out == expected) << "the answers differ from the list";
}

TEST(CliStdin, ReadErrorIsExitThreeAfterWhatWasRead) {
  testing::ScriptedFileAccess files;
  files.Add("a.exe", testing::Pe32Plus());
  testing::StringSource in("a.exe\nb", 1 << 20, /*fail_at_end=*/true);
  const testing::ToolResult result = testing::RunTool({"-", "--require", "64"}, files, in);
  EXPECT_EQ(result.exit_code, cli::kExitIoError);
  EXPECT_EQ(result.out, "64\ta.exe\n0\tb\n");
  EXPECT_NE(result.err.find("standard input"), std::string::npos) << result.err;
}

// A small tree whose names sort differently by whole path than by name within each folder:
// "sub.dll" comes after everything in "sub", although '.' sorts before either separator.
class CliTree : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = testing::Join(dir_.path().string(), "tree");
    ASSERT_TRUE(testing::MakeFolder(root_));
    ASSERT_TRUE(testing::MakeFolder(At("sub")));
    ASSERT_TRUE(testing::MakeFolder(At("sub", "deeper")));
    ASSERT_TRUE(testing::MakeFolder(At("empty")));
    ASSERT_TRUE(testing::WriteBytes(At("b.exe"), testing::Pe32Plus()));
    ASSERT_TRUE(testing::WriteBytes(At("a.dll"), testing::Pe32()));
    ASSERT_TRUE(testing::WriteBytes(At("Z.EXE"), testing::Pe32Plus()));
    ASSERT_TRUE(testing::WriteBytes(At("_notes.txt"), testing::BytesOf("notes")));
    ASSERT_TRUE(testing::WriteBytes(At("sub.dll"), testing::Pe32Plus()));
    ASSERT_TRUE(testing::WriteBytes(At("sub", "z.exe"), testing::Pe32()));
    ASSERT_TRUE(testing::WriteBytes(At("sub", "m.txt"), testing::BytesOf("MZ")));
    ASSERT_TRUE(testing::WriteBytes(At("sub", "deeper", "x.sys"), testing::Pe32Plus()));
    ASSERT_TRUE(testing::WriteBytes(At(kGbkName), testing::Pe32()));
  }

  std::string At(const std::string& a, const std::string& b = {}, const std::string& c = {}) const {
    std::string path = testing::Join(root_, a);
    if (!b.empty()) path = testing::Join(path, b);
    if (!c.empty()) path = testing::Join(path, c);
    return path;
  }

  // "中文.exe" in GBK: after every ASCII name in byte order.
  static constexpr const char* kGbkName = "\xd6\xd0\xce\xc4.exe";

  std::string ExpectedWalk() const {
    return "64\t" + At("Z.EXE") + "\tpe32+\n" +            //
           "0\t" + At("_notes.txt") + "\tshort-dos-header\n" +  //
           "32\t" + At("a.dll") + "\tpe32\n" +                  //
           "64\t" + At("b.exe") + "\tpe32+\n" +                 //
           "64\t" + At("sub", "deeper", "x.sys") + "\tpe32+\n" +  //
           "0\t" + At("sub", "m.txt") + "\tshort-dos-header\n" +  //
           "32\t" + At("sub", "z.exe") + "\tpe32\n" +             //
           "64\t" + At("sub.dll") + "\tpe32+\n" +                 //
           "32\t" + At(kGbkName) + "\tpe32\n";
  }

  testing::TempDir dir_;
  std::string root_;
};

TEST_F(CliTree, RecursiveWalkIsSortedByNameWithinEachFolder) {
  const testing::ToolResult result = testing::RunTool({"-r", "--explain", root_});
  EXPECT_EQ(result.exit_code, cli::kExitOk);
  EXPECT_EQ(result.out, ExpectedWalk());
}

TEST_F(CliTree, TrailingSeparatorIsNotDoubled) {
  EXPECT_EQ(testing::RunTool({"--explain", "--recursive", root_ + testing::kSeparator}).out, ExpectedWalk());
#ifdef _WIN32
  // Windows takes either separator.
  const std::string expected_slash = [&] {
    std::string text = ExpectedWalk();
    const std::string with_backslash = root_ + "\\";
    for (std::size_t at; (at = text.find(with_backslash)) != std::string::npos;) text.replace(at, with_backslash.size(), root_ + "/");
    return text;
  }();
  EXPECT_EQ(testing::RunTool({"--explain", "-r", root_ + "/"}).out, expected_slash);
#endif
}

TEST_F(CliTree, WithoutRecursionAFolderAnswersZero) {
  const testing::ToolResult result = testing::RunTool({"--explain", root_, At("sub")});
  EXPECT_EQ(result.exit_code, cli::kExitOk);
  EXPECT_EQ(result.out, "0\t" + root_ + "\tcannot-open:folder\n0\t" + At("sub") + "\tcannot-open:folder\n");
  EXPECT_EQ(testing::RunTool({"--require", "64", root_}).exit_code, cli::kExitRequirementFailed);
}

TEST_F(CliTree, FoldersFilesAndMissingPathsMixInTheOrderGiven) {
  const std::string missing = At("missing");
  const testing::ToolResult result = testing::RunTool({"-r", At("b.exe"), At("sub"), missing, At("empty"), At("a.dll")});
  EXPECT_EQ(result.out, "64\t" + At("b.exe") + "\n" +           //
                            "64\t" + At("sub", "deeper", "x.sys") + "\n" +  //
                            "0\t" + At("sub", "m.txt") + "\n" +             //
                            "32\t" + At("sub", "z.exe") + "\n" +            //
                            "0\t" + missing + "\n" +                        //
                            "32\t" + At("a.dll") + "\n");
}

TEST_F(CliTree, FoldersFromStandardInputAreWalkedToo) {
  const testing::ToolResult result = testing::RunTool({"-r", "-0"}, At("sub", "deeper") + '\0' + At("b.exe") + '\0');
  EXPECT_EQ(result.out, "64\t" + At("sub", "deeper", "x.sys") + "\n64\t" + At("b.exe") + "\n");
}

TEST_F(CliTree, GateOverATree) {
  EXPECT_EQ(testing::RunTool({"-r", "--require", "64", At("sub", "deeper")}).exit_code, cli::kExitOk);
  EXPECT_EQ(testing::RunTool({"-r", "--require", "64", root_}).exit_code, cli::kExitRequirementFailed);
  // An empty folder has nothing to fail.
  const testing::ToolResult empty = testing::RunTool({"-r", "--require", "32", At("empty")});
  EXPECT_EQ(empty.exit_code, cli::kExitOk);
  EXPECT_EQ(empty.out, "");
}

TEST_F(CliTree, JsonLinesOfAWalk) {
  const testing::ToolResult result = testing::RunTool({"-r", "--format", "jsonl", At("sub")});
  std::string expected;
  for (const auto& [path, bitness, reason] : {std::tuple{At("sub", "deeper", "x.sys"), "64", "pe32+"},
                                              std::tuple{At("sub", "m.txt"), "0", "short-dos-header"},
                                              std::tuple{At("sub", "z.exe"), "32", "pe32"}}) {
    std::string json;
    cli::AppendJsonString(json, path, cli::NativePathEncoding());
    expected += "{\"path\":" + json + ",\"bitness\":" + bitness + ",\"reason\":\"" + reason + "\"}\n";
  }
  EXPECT_EQ(result.out, expected);
}

// The GBK name goes into JSON as text where the platform says the bytes are GBK (the Windows
// code page 936), and as undecodable bytes where names are taken as UTF-8.
TEST_F(CliTree, GbkNameInJson) {
  const testing::ToolResult result = testing::RunTool({"--format=jsonl", At(kGbkName)});
  std::string folder_json;
  cli::AppendJsonString(folder_json, root_ + testing::kSeparator, cli::NativePathEncoding());
  folder_json.pop_back();  // the closing quote
#ifdef _WIN32
  const std::string name_json = "\xe4\xb8\xad\xe6\x96\x87.exe";  // 中文.exe in UTF-8
#else
  const std::string name_json = "\\udcd6\\udcd0\\udcce\\udcc4.exe";
#endif
  EXPECT_EQ(result.out, "{\"path\":" + folder_json + name_json + "\",\"bitness\":32,\"reason\":\"pe32\"}\n");
}

}  // namespace
}  // namespace quorvel
