// The Windows console build: paths are ANSI text in code page 936 (GBK) here, where the second
// byte of a character may be a backslash; held files; JSON converted from the code page.
#include <gtest/gtest.h>

#include <windows.h>

#include "cli_harness.h"
#include "folder.h"
#include "temp_dir.h"

namespace quorvel {
namespace {

bool Gbk() { return GetACP() == 936; }

TEST(CliWin32, SeparatorIsFoundCharacterByCharacter) {
  if (!Gbk()) GTEST_SKIP() << "needs code page 936, has " << GetACP();
  const std::pair<const char*, bool> cases[] = {
      {"a\\", true},
      {"a/", true},
      {"a", false},
      {"\x81\x5c", false},      // 乗: a lead byte and a trail byte that is 0x5C
      {"\x81\x5c\\", true},     // 乗 and a real separator
      {"a\\\x81\x5c", false},
      {"\xd6\xd0\\", true},     // 中 then a separator
      {"\\\x81", false},        // a lead byte with nothing after it is a character of its own
  };
  for (const auto& [path, ends] : cases) EXPECT_EQ(cli::EndsWithSeparator(path), ends) << path;
}

TEST(CliWin32, BareDriveGetsNoSeparator) {
  std::string drive = "C:";
  cli::AppendSeparator(drive);
  EXPECT_EQ(drive, "C:");  // "C:\" would be the root, not the drive's current folder
  std::string folder = "C:\\dir";
  cli::AppendSeparator(folder);
  EXPECT_EQ(folder, "C:\\dir\\");
}

struct AnsiJsonCase {
  const char* name;
  std::string bytes;
  std::string json;
};

TEST(CliWin32, JsonConvertsTheAnsiCodePageToUtf8) {
  if (!Gbk()) GTEST_SKIP() << "needs code page 936, has " << GetACP();
  const AnsiJsonCase cases[] = {
      {"chinese", "C:\\\xd6\xd0\xce\xc4.exe", "C:\\\\\xe4\xb8\xad\xe6\x96\x87.exe"},  // C:\中文.exe
      {"trail_byte_0x5c_is_no_backslash", "\x81\x5c" "a", "\xe4\xb9\x97" "a"},          // 乗a
      {"program", "\xb3\xcc\xd0\xf2", "\xe7\xa8\x8b\xe5\xba\x8f"},                      // 程序
      {"escapes_still_apply", "a\tb\"", "a\\tb\\\""},
      {"lead_byte_at_the_end", "a\xd6", "a\\udcd6"},
      {"lead_byte_before_a_space", "\x81 x", "\\udc81 x"},
  };
  for (const AnsiJsonCase& c : cases) {
    std::string json;
    cli::AppendJsonString(json, c.bytes, cli::PathEncoding::kAnsiCodePage);
    EXPECT_EQ(json, "\"" + c.json + "\"") << c.name;
  }
}

TEST(CliWin32, FolderWhoseNameEndsInTrailByte0x5cIsWalked) {
  if (!Gbk()) GTEST_SKIP() << "needs code page 936, has " << GetACP();
  testing::TempDir dir;
  const std::string folder = testing::Join(dir.path().string(), "\x81\x5c");  // 乗
  ASSERT_TRUE(testing::MakeFolder(folder));
  const std::string inner = testing::Join(folder, "\xb3\xcc\xd0\xf2");  // 程序
  ASSERT_TRUE(testing::MakeFolder(inner));
  ASSERT_TRUE(testing::WriteBytes(testing::Join(inner, "a.exe"), testing::Pe32Plus()));
  ASSERT_TRUE(testing::WriteBytes(testing::Join(folder, "b.exe"), testing::Pe32()));
  const testing::ToolResult result = testing::RunTool({"-r", "--explain", folder});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.out, "32\t" + folder + "\\b.exe\tpe32\n64\t" + inner + "\\a.exe\tpe32+\n");
}

TEST(CliWin32, FileHeldWithoutReadSharingIsInUse) {
  testing::TempDir dir;
  const std::string path = testing::Join(dir.path().string(), "\xd6\xd0\xce\xc4.exe");  // 中文.exe
  ASSERT_TRUE(testing::WriteBytes(path, testing::Pe32Plus()));
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const testing::ToolResult result = testing::RunTool({"--explain", "--require", "64", path});
  CloseHandle(held);
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.out, "0\t" + path + "\tcannot-open:in-use\n");
  EXPECT_EQ(testing::RunTool({"--explain", "--require", "64", path}).out, "64\t" + path + "\tpe32+\n");
}

}  // namespace
}  // namespace quorvel
