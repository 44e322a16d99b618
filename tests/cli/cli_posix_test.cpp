// The POSIX walk: links are neither followed nor listed, nor are pipes; an unreadable folder
// is reported, not skipped.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "cli_harness.h"
#include "folder.h"
#include "temp_dir.h"

namespace quorvel {
namespace {

TEST(CliPosix, OnlyTheSlashSeparates) {
  const std::pair<const char*, bool> cases[] = {{"a/", true}, {"a", false}, {"/", true}, {"", false}, {"a\\", false}};
  for (const auto& [path, ends] : cases) EXPECT_EQ(cli::EndsWithSeparator(path), ends) << path;
  std::string path = "dir";
  cli::AppendSeparator(path);
  EXPECT_EQ(path, "dir/");
  cli::AppendSeparator(path);
  EXPECT_EQ(path, "dir/");
}

class CliPosixTree : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = testing::Join(dir_.path().string(), "tree");
    outside_ = testing::Join(dir_.path().string(), "outside");
    ASSERT_TRUE(testing::MakeFolder(root_));
    ASSERT_TRUE(testing::MakeFolder(outside_));
    ASSERT_TRUE(testing::WriteBytes(testing::Join(outside_, "far.exe"), testing::Pe32()));
    ASSERT_TRUE(testing::WriteBytes(At("real.exe"), testing::Pe32Plus()));
  }
  std::string At(const std::string& name) const { return testing::Join(root_, name); }

  testing::TempDir dir_;
  std::string root_;
  std::string outside_;
};

TEST_F(CliPosixTree, LinksAndPipesInsideTheTreeAreNotListed) {
  ASSERT_EQ(::symlink(outside_.c_str(), At("link-to-folder").c_str()), 0);
  ASSERT_EQ(::symlink(testing::Join(outside_, "far.exe").c_str(), At("link-to-file.exe").c_str()), 0);
  ASSERT_EQ(::symlink(root_.c_str(), At("loop").c_str()), 0);
  ASSERT_EQ(::symlink("nowhere", At("dangling.exe").c_str()), 0);
  ASSERT_EQ(::mkfifo(At("pipe").c_str(), 0600), 0);
  const testing::ToolResult result = testing::RunTool({"-r", "--require", "64", root_});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.out, "64\t" + At("real.exe") + "\n");
}

TEST_F(CliPosixTree, AFolderNamedThroughALinkIsWalked) {
  const std::string link = testing::Join(dir_.path().string(), "named-link");
  ASSERT_EQ(::symlink(outside_.c_str(), link.c_str()), 0);
  EXPECT_EQ(testing::RunTool({"-r", link}).out, "32\t" + link + "/far.exe\n");
}

TEST_F(CliPosixTree, PipeNamedOnTheCommandLineIsNotAFile) {
  ASSERT_EQ(::mkfifo(At("pipe").c_str(), 0600), 0);
  EXPECT_EQ(testing::RunTool({"--explain", "-r", At("pipe")}).out, "0\t" + At("pipe") + "\tcannot-open:not-a-file\n");
}

TEST_F(CliPosixTree, UnlistableFolderAnswersZeroOnItsOwnLine) {
  if (::geteuid() == 0) GTEST_SKIP() << "root lists every folder";
  const std::string locked = At("locked");
  ASSERT_TRUE(testing::MakeFolder(locked));
  ASSERT_TRUE(testing::WriteBytes(testing::Join(locked, "x.exe"), testing::Pe32Plus()));
  ASSERT_EQ(::chmod(locked.c_str(), 0300), 0);  // may be entered, not listed
  const testing::ToolResult result = testing::RunTool({"-r", "--explain", "--require", "64", root_});
  (void)::chmod(locked.c_str(), 0700);  // so that the temp folder can be removed
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.out, "0\t" + locked + "\tcannot-open:access-denied\n64\t" + At("real.exe") + "\tpe32+\n");
}

TEST_F(CliPosixTree, Utf8NamesGoIntoJsonAsTheyAre) {
  const std::string name = At("\xe7\xa8\x8b\xe5\xba\x8f.exe");  // 程序.exe
  ASSERT_TRUE(testing::WriteBytes(name, testing::Pe32()));
  std::string root_json;
  cli::AppendJsonString(root_json, root_, cli::PathEncoding::kUtf8);
  root_json.pop_back();
  EXPECT_EQ(testing::RunTool({"--format=jsonl", name}).out,
            "{\"path\":" + root_json + "/\xe7\xa8\x8b\xe5\xba\x8f.exe\",\"bitness\":32,\"reason\":\"pe32\"}\n");
}

}  // namespace
}  // namespace quorvel
