// The command line: what each spelling means, and what a bad one does (exit 2, one line that
// names the option, nothing probed).
#include <gtest/gtest.h>

#include "cli.h"
#include "cli_harness.h"
#include "memory_file_access.h"

namespace quorvel {
namespace {

using cli::Operand;
using cli::OutputFormat;

Operand PathOperand(std::string path) { return {Operand::Kind::kPath, std::move(path)}; }
const Operand kLines{Operand::Kind::kStdinLines, {}};
const Operand kNul{Operand::Kind::kStdinNul, {}};

cli::ParsedArguments Parse(const std::vector<std::string>& args) {
  std::vector<const char*> argv{"quorvel-probe"};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  return cli::ParseArguments(static_cast<int>(argv.size()), argv.data());
}

struct Accepted {
  const char* name;
  std::vector<std::string> args;
  bool recursive;
  bool explain;
  OutputFormat format;
  std::int32_t required;
  std::vector<Operand> operands;
};

class AcceptedArguments : public ::testing::TestWithParam<Accepted> {};

TEST_P(AcceptedArguments, Parse) {
  const Accepted& c = GetParam();
  const cli::ParsedArguments parsed = Parse(c.args);
  ASSERT_TRUE(parsed.ok) << parsed.error;
  EXPECT_EQ(parsed.options.recursive, c.recursive);
  EXPECT_EQ(parsed.options.explain, c.explain);
  EXPECT_EQ(parsed.options.format, c.format);
  EXPECT_EQ(parsed.options.required_bitness, c.required);
  EXPECT_EQ(parsed.options.operands, c.operands);
}

const auto kTsv = OutputFormat::kTsv;
const auto kJsonl = OutputFormat::kJsonl;

INSTANTIATE_TEST_SUITE_P(
    Cli, AcceptedArguments,
    ::testing::Values(
        Accepted{"paths_in_order", {"b.exe", "a.exe", "b.exe"}, false, false, kTsv, 0,
                 {PathOperand("b.exe"), PathOperand("a.exe"), PathOperand("b.exe")}},
        Accepted{"options_anywhere", {"x", "-r", "y", "--explain"}, true, true, kTsv, 0,
                 {PathOperand("x"), PathOperand("y")}},
        Accepted{"long_recursive", {"--recursive", "x"}, true, false, kTsv, 0, {PathOperand("x")}},
        Accepted{"format_separate", {"--format", "jsonl", "x"}, false, false, kJsonl, 0, {PathOperand("x")}},
        Accepted{"format_joined", {"--format=jsonl", "x"}, false, false, kJsonl, 0, {PathOperand("x")}},
        Accepted{"last_format_wins", {"--format=jsonl", "--format", "tsv", "x"}, false, false, kTsv, 0,
                 {PathOperand("x")}},
        Accepted{"require_64", {"--require", "64", "x"}, false, false, kTsv, 64, {PathOperand("x")}},
        Accepted{"require_32_joined", {"--require=32", "x"}, false, false, kTsv, 32, {PathOperand("x")}},
        // The value of an option is taken whatever it looks like; "64" is no path here.
        Accepted{"value_not_a_path", {"x", "--require", "64"}, false, false, kTsv, 64, {PathOperand("x")}},
        Accepted{"stdin_lines_in_place", {"a", "-", "b"}, false, false, kTsv, 0,
                 {PathOperand("a"), kLines, PathOperand("b")}},
        Accepted{"stdin_nul", {"-0"}, false, false, kTsv, 0, {kNul}},
        Accepted{"double_dash_ends_options", {"--", "-r", "--explain", "-", "-0"}, false, false, kTsv, 0,
                 {PathOperand("-r"), PathOperand("--explain"), PathOperand("-"), PathOperand("-0")}},
        Accepted{"empty_path_is_a_path", {""}, false, false, kTsv, 0, {PathOperand("")}},
        Accepted{"windows_style_paths", {"C:\\a b\\c.exe", "\\\\server\\share\\d.dll"}, false, false, kTsv, 0,
                 {PathOperand("C:\\a b\\c.exe"), PathOperand("\\\\server\\share\\d.dll")}}),
    [](const auto& test_info) { return std::string(test_info.param.name); });

struct Rejected {
  const char* name;
  std::vector<std::string> args;
  const char* named;  // what the message must name
};

class RejectedArguments : public ::testing::TestWithParam<Rejected> {};

TEST_P(RejectedArguments, ExitTwoWithOneLineNamingTheOptionAndProbeNothing) {
  const Rejected& c = GetParam();
  testing::MemoryFileAccess files;
  files.Add("a.exe", testing::Pe32Plus());
  std::vector<std::string> args = c.args;
  args.insert(args.begin(), "a.exe");
  const testing::ToolResult result = testing::RunTool(args, files);
  EXPECT_EQ(result.exit_code, cli::kExitUsage);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(files.counts().opens, 0);
  ASSERT_FALSE(result.err.empty());
  EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "one line: " << result.err;
  EXPECT_EQ(result.err.rfind("quorvel-probe: ", 0), 0u) << result.err;
  EXPECT_NE(result.err.find(c.named), std::string::npos) << result.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cli, RejectedArguments,
    ::testing::Values(Rejected{"unknown_long", {"--recurse"}, "'--recurse'"},
                      Rejected{"unknown_short", {"-x"}, "'-x'"},
                      Rejected{"bundled_shorts_are_not_supported", {"-r0"}, "'-r0'"},
                      Rejected{"format_missing_value", {"--format"}, "--format"},
                      Rejected{"format_bad_value", {"--format", "csv"}, "'csv'"},
                      Rejected{"format_empty_value", {"--format="}, "--format"},
                      Rejected{"require_missing_value", {"--require"}, "--require"},
                      Rejected{"require_bad_value", {"--require=16"}, "'16'"},
                      Rejected{"require_zero", {"--require", "0"}, "--require"},
                      Rejected{"stdin_twice", {"-", "-0"}, "'-'"},
                      Rejected{"unknown_after_good_options", {"-r", "--explain", "--jsonl"}, "'--jsonl'"}),
    [](const auto& test_info) { return std::string(test_info.param.name); });

TEST(Cli, NoPathIsAUsageError) {
  const testing::ToolResult result = testing::RunTool({"--explain"});
  EXPECT_EQ(result.exit_code, cli::kExitUsage);
  EXPECT_NE(result.err.find("no PATH"), std::string::npos) << result.err;
  EXPECT_EQ(result.out, "");
}

TEST(Cli, VersionPrintsTheReleaseAndProbesNothing) {
  testing::MemoryFileAccess files;
  files.Add("a.exe", testing::Pe32Plus());
  const testing::ToolResult result = testing::RunTool({"a.exe", "--version"}, files);
  EXPECT_EQ(result.exit_code, cli::kExitOk);
  EXPECT_EQ(result.out, "quorvel-probe 1.0.0\n");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(files.counts().opens, 0);
}

TEST(Cli, HelpGoesToStandardOutputAndDocumentsEveryOptionAndExitCode) {
  const testing::ToolResult result = testing::RunTool({"--help"});
  EXPECT_EQ(result.exit_code, cli::kExitOk);
  EXPECT_EQ(result.out, cli::HelpText());
  EXPECT_EQ(testing::RunTool({"-h"}).out, cli::HelpText());
  for (const char* option : {"-r, --recursive", "--explain", "--format FORMAT", "tsv", "jsonl",
                             "--require BITS", "-h, --help", "--version", "\n  -  ", "\n  -0 ", "\n  --  "}) {
    EXPECT_NE(cli::HelpText().find(option), std::string::npos) << option;
  }
  for (const char* code : {"\n  0  ", "\n  1  ", "\n  2  ", "\n  3  "}) {
    EXPECT_NE(cli::HelpText().find(code), std::string::npos) << code;
  }
}

TEST(Cli, HelpWinsOverVersion) {
  EXPECT_EQ(testing::RunTool({"--version", "--help"}).out, cli::HelpText());
}

}  // namespace
}  // namespace quorvel
