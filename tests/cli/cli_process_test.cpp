// The built executable itself, through a shell: the exit codes a script sees, standard input
// through a real redirection, and lines that end with a line feed on every platform.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "cli_harness.h"
#include "temp_dir.h"

namespace quorvel {
namespace {

// The tests run from build/tests/cli, the tool is built in build/cli.
std::string ToolPath() {
#ifdef _WIN32
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path = self;
  return path.substr(0, path.find_last_of('\\')) + "\\..\\..\\cli\\quorvel-probe.exe";
#else
  char self[4096] = {};
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  std::string path(self, n > 0 ? static_cast<std::size_t>(n) : 0);
  return path.substr(0, path.find_last_of('/')) + "/../../cli/quorvel-probe";
#endif
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class CliProcess : public ::testing::Test {
 protected:
  // Runs the tool with args (already quoted where needed) and the given bytes on its input.
  testing::ToolResult RunProcess(const std::string& args, const std::string& input = {}) {
    const std::string in = testing::Join(dir_.path().string(), "in");
    const std::string out = testing::Join(dir_.path().string(), "out");
    const std::string err = testing::Join(dir_.path().string(), "err");
    EXPECT_TRUE(testing::WriteBytes(in, testing::BytesOf(input)));
    std::string command = "\"" + ToolPath() + "\" " + args + " <\"" + in + "\" >\"" + out + "\" 2>\"" + err + "\"";
#ifdef _WIN32
    command = "\"" + command + "\"";  // cmd /c drops the outer pair of quotes
#endif
    const int status = std::system(command.c_str());
    testing::ToolResult result;
#ifdef _WIN32
    result.exit_code = status;
#else
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    result.out = ReadAll(out);
    result.err = ReadAll(err);
    return result;
  }

  std::string Write(const std::string& name, const testing::Bytes& bytes) {
    const std::string path = testing::Join(dir_.path().string(), name);
    EXPECT_TRUE(testing::WriteBytes(path, bytes));
    return path;
  }

  testing::TempDir dir_;
};

TEST_F(CliProcess, VersionLineEndsWithALineFeedOnly) {
  const testing::ToolResult result = RunProcess("--version");
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.out, "quorvel-probe 1.0.0\n");
}

TEST_F(CliProcess, UsageErrorIsExitTwoWithTheMessageOnStandardError) {
  const testing::ToolResult result = RunProcess("--format xml somefile");
  EXPECT_EQ(result.exit_code, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "quorvel-probe: option '--format' takes tsv or jsonl, not 'xml' (see quorvel-probe --help)\n");
}

TEST_F(CliProcess, GateExitCodes) {
  const std::string wide = Write("wide.exe", testing::Pe32Plus());
  const std::string narrow = Write("narrow.exe", testing::Pe32());
  const testing::ToolResult failed = RunProcess("--require 64 \"" + wide + "\" \"" + narrow + "\"");
  EXPECT_EQ(failed.exit_code, 1);
  EXPECT_EQ(failed.out, "64\t" + wide + "\n32\t" + narrow + "\n");
  EXPECT_EQ(RunProcess("--require 64 \"" + wide + "\"").exit_code, 0);
  EXPECT_EQ(RunProcess("--require 32 \"" + narrow + "\"").exit_code, 0);
}

// Standard input is read as bytes: a list written on Windows (CR LF) or by find -print0 works
// the same everywhere.
TEST_F(CliProcess, PathsFromStandardInput) {
  const std::string wide = Write("wide.exe", testing::Pe32Plus());
  const std::string narrow = Write("narrow.exe", testing::Pe32());
  const std::string expected = "64\t" + wide + "\n32\t" + narrow + "\n";
  EXPECT_EQ(RunProcess("-", wide + "\r\n" + narrow + "\r\n").out, expected);
  EXPECT_EQ(RunProcess("-0", wide + '\0' + narrow + '\0').out, expected);
  const testing::ToolResult gated = RunProcess("--require 64 -0", wide + '\0' + narrow);
  EXPECT_EQ(gated.exit_code, 1);
  EXPECT_EQ(gated.out, expected);
}

}  // namespace
}  // namespace quorvel
