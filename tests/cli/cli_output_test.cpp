// The lines the tool writes: the default columns, JSON strings for awkward paths, the gate's
// exit codes, and I/O failures.
#include <gtest/gtest.h>

#include <random>

#include "cli.h"
#include "cli_harness.h"
#include "scripted_file_access.h"

namespace quorvel {
namespace {

using cli::PathEncoding;

std::string Json(std::string_view bytes) {
  std::string out;
  cli::AppendJsonString(out, bytes, PathEncoding::kUtf8);
  return out;
}

struct JsonCase {
  const char* name;
  std::string bytes;
  std::string json;  // without the surrounding quotes
};

class JsonStrings : public ::testing::TestWithParam<JsonCase> {};

TEST_P(JsonStrings, EscapedAsUtf8) { EXPECT_EQ(Json(GetParam().bytes), "\"" + GetParam().json + "\""); }

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Cli, JsonStrings,
    ::testing::Values(
        JsonCase{"plain", "dir/plain.exe", "dir/plain.exe"},
        JsonCase{"empty", "", ""},
        JsonCase{"tab", "a\tb", "a\\tb"},
        JsonCase{"newlines", "line\nbreak\r", "line\\nbreak\\r"},
        JsonCase{"quotes", "say \"hi\"", "say \\\"hi\\\""},
        JsonCase{"backslashes", "C:\\dir\\x.exe", "C:\\\\dir\\\\x.exe"},
        JsonCase{"short_escapes", "\b\f", "\\b\\f"},
        JsonCase{"other_controls", "\x01\x1f"s, "\\u0001\\u001f"},
        JsonCase{"nul", "a\0b"s, "a\\u0000b"},
        JsonCase{"delete_is_no_control_to_json", "\x7f", "\x7f"},
        JsonCase{"slash_unescaped", "a/b", "a/b"},
        JsonCase{"two_byte", "caf\xc3\xa9", "caf\xc3\xa9"},
        JsonCase{"three_byte_chinese", "\xe4\xb8\xad\xe6\x96\x87.exe", "\xe4\xb8\xad\xe6\x96\x87.exe"},
        JsonCase{"four_byte", "\xf0\x9f\x98\x80", "\xf0\x9f\x98\x80"},
        JsonCase{"edges_that_are_valid", "\xed\x9f\xbf\xee\x80\x80\xef\xbf\xbf\xf4\x8f\xbf\xbf",
                 "\xed\x9f\xbf\xee\x80\x80\xef\xbf\xbf\xf4\x8f\xbf\xbf"},
        JsonCase{"lone_continuation", "a\x80z", "a\\udc80z"},
        JsonCase{"ff", "\xff", "\\udcff"},
        JsonCase{"latin1_name", "r\xe9sum\xe9.exe", "r\\udce9sum\\udce9.exe"},
        JsonCase{"overlong_slash", "\xc0\xaf", "\\udcc0\\udcaf"},
        JsonCase{"overlong_three_byte", "\xe0\x80\xaf", "\\udce0\\udc80\\udcaf"},
        JsonCase{"encoded_surrogate", "\xed\xa0\x80", "\\udced\\udca0\\udc80"},
        JsonCase{"past_u10ffff", "\xf4\x90\x80\x80", "\\udcf4\\udc90\\udc80\\udc80"},
        JsonCase{"cut_short_at_end", "\xe4\xb8", "\\udce4\\udcb8"},
        JsonCase{"cut_short_before_ascii", "\xe4\xb8\"", "\\udce4\\udcb8\\\""},
        JsonCase{"gbk_bytes", "\xd6\xd0\xce\xc4", "\\udcd6\\udcd0\\udcce\\udcc4"}),
    [](const auto& test_info) { return std::string(test_info.param.name); });

// Reads a JSON string back into the bytes it stands for, \udc80..\udcff as single bytes; fails
// the test on anything the escaper must never write.
std::string Unescape(const std::string& json) {
  EXPECT_GE(json.size(), 2u);
  EXPECT_EQ(json.front(), '"');
  EXPECT_EQ(json.back(), '"');
  std::string bytes;
  for (std::size_t i = 1; i + 1 < json.size(); ++i) {
    const auto c = static_cast<unsigned char>(json[i]);
    EXPECT_GE(c, 0x20) << "raw control byte in " << json;
    EXPECT_NE(c, '"') << "raw quote in " << json;
    if (c != '\\') {
      bytes += json[i];
      continue;
    }
    const char e = json[++i];
    switch (e) {
      case '"': bytes += '"'; break;
      case '\\': bytes += '\\'; break;
      case 'b': bytes += '\b'; break;
      case 'f': bytes += '\f'; break;
      case 'n': bytes += '\n'; break;
      case 'r': bytes += '\r'; break;
      case 't': bytes += '\t'; break;
      case 'u': {
        const unsigned value = static_cast<unsigned>(std::stoul(json.substr(i + 1, 4), nullptr, 16));
        i += 4;
        const bool control = value < 0x20;
        const bool undecodable_byte = value >= 0xDC80 && value <= 0xDCFF;
        EXPECT_TRUE(control || undecodable_byte) << std::hex << value;
        bytes += static_cast<char>(control ? value : value - 0xDC00);
        break;
      }
      default: ADD_FAILURE() << "bad escape " << e;
    }
  }
  return bytes;
}

// Any bytes at all come back unchanged: nothing is lost, and every undecodable byte is marked.
TEST(CliJson, RandomBytesRoundTrip) {
  std::mt19937 random(20240613);
  const std::string pieces[] = {"a", "\"", "\\", "\t", "\n", "\x01", "\xc3\xa9", "\xe4\xb8\xad", "\xf0\x9f\x98\x80",
                                "\x80", "\xbf", "\xc0", "\xe4", "\xed", "\xf4", "\xf5", "\xff", "\xe4\xb8"};
  for (int round = 0; round < 3000; ++round) {
    std::string bytes;
    const int count = static_cast<int>(random() % 8);
    for (int i = 0; i < count; ++i) bytes += pieces[random() % std::size(pieces)];
    const std::string json = Json(bytes);
    ASSERT_EQ(Unescape(json), bytes) << json;
    if (::testing::Test::HasFailure()) break;
  }
}

TEST(CliOutput, DefaultLinesAreBitnessTabPathExactlyAsGiven) {
  testing::ScriptedFileAccess files;
  files.Add("./a b/64.exe", testing::Pe32Plus());
  files.Add("32.dll", testing::Pe32());
  files.Add("x\ty.exe", testing::Pe32());
  const testing::ToolResult result = testing::RunTool({"./a b/64.exe", "32.dll", "32.dll", "x\ty.exe", "gone"}, files);
  EXPECT_EQ(result.exit_code, cli::kExitOk);
  EXPECT_EQ(result.out, "64\t./a b/64.exe\n32\t32.dll\n32\t32.dll\n32\tx\ty.exe\n0\tgone\n");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(files.open_handles(), 0);
}

TEST(CliOutput, JsonLinesForAwkwardPaths) {
  testing::ScriptedFileAccess files;
  const std::string awkward = "tab\there \"quoted\" back\\slash\nnew\xff";
  files.Add(awkward, testing::Pe32Plus());
  files.Refuse("held.exe", probe::OpenFailure::kInUse);
  const testing::ToolResult result = testing::RunTool({"--format", "jsonl", "--explain", awkward, "held.exe"}, files);
  EXPECT_EQ(result.exit_code, cli::kExitOk);
  EXPECT_EQ(result.out,
            "{\"path\":\"tab\\there \\\"quoted\\\" back\\\\slash\\nnew\\udcff\",\"bitness\":64,\"reason\":\"pe32+\"}\n"
            "{\"path\":\"held.exe\",\"bitness\":0,\"reason\":\"cannot-open:in-use\"}\n");
}

struct GateCase {
  const char* name;
  std::vector<std::string> args;
  int exit_code;
};

class Gate : public ::testing::TestWithParam<GateCase> {};

// Every line is printed whatever the verdict, and the verdict is the exit code alone.
TEST_P(Gate, ExitCodeAfterEveryLine) {
  testing::ScriptedFileAccess files;
  files.Add("64.exe", testing::Pe32Plus());
  files.Add("32.exe", testing::Pe32());
  files.Add("rom.bin", testing::MakePe([] { testing::PeShape s; s.magic = 0x107; return s; }()));
  files.Refuse("held.exe", probe::OpenFailure::kInUse);
  const testing::ToolResult result = testing::RunTool(GetParam().args, files);
  EXPECT_EQ(result.exit_code, GetParam().exit_code);
  EXPECT_EQ(result.err, "");
  std::vector<std::string> paths;
  for (const std::string& arg : GetParam().args) {
    if (arg[0] != '-' && arg != "64" && arg != "32") paths.push_back(arg);
  }
  const std::vector<std::string> lines = testing::Lines(result.out);
  ASSERT_EQ(lines.size(), paths.size()) << result.out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_NE(lines[i].find(paths[i]), std::string::npos) << lines[i];
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cli, Gate,
    ::testing::Values(GateCase{"no_gate_zeros_are_answers", {"64.exe", "gone.exe", "rom.bin", "held.exe"}, 0},
                      GateCase{"require_64_met", {"--require", "64", "64.exe", "64.exe"}, 0},
                      GateCase{"require_64_one_32", {"--require", "64", "64.exe", "32.exe"}, 1},
                      GateCase{"require_64_first_fails", {"--require", "64", "32.exe", "64.exe", "64.exe"}, 1},
                      GateCase{"require_64_missing", {"--require=64", "64.exe", "gone.exe"}, 1},
                      GateCase{"require_64_rom", {"--require=64", "rom.bin"}, 1},
                      GateCase{"require_64_in_use", {"--require=64", "held.exe", "64.exe"}, 1},
                      GateCase{"require_32_met", {"--require", "32", "32.exe"}, 0},
                      GateCase{"require_32_one_64", {"--require", "32", "32.exe", "64.exe"}, 1},
                      GateCase{"require_in_jsonl", {"--format=jsonl", "--require", "64", "32.exe", "64.exe"}, 1},
                      GateCase{"require_with_explain", {"--explain", "--require", "32", "32.exe"}, 0}),
    [](const auto& test_info) { return std::string(test_info.param.name); });

TEST(CliOutput, UnwritableOutputStopsTheRunWithExitThree) {
  testing::ScriptedFileAccess files;
  std::vector<std::string> args;
  for (int i = 0; i < 50000; ++i) args.push_back("file-" + std::to_string(i));
  std::vector<const char*> argv{"quorvel-probe"};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  testing::StringSource in;
  testing::StringSink out(/*refuse=*/true);
  testing::StringSink err;
  const int code = cli::Main(static_cast<int>(argv.size()), argv.data(), files, {in, out, err});
  EXPECT_EQ(code, cli::kExitIoError);
  EXPECT_NE(err.text.find("standard output"), std::string::npos) << err.text;
  // The first refused block ends the work: no point probing for a reader that is gone.
  EXPECT_EQ(out.writes, 1);
  EXPECT_LT(files.opens_asked(), 50000);
}

TEST(CliOutput, ManyAnswersGoOutInFewLargeWrites) {
  testing::ScriptedFileAccess files;
  std::string list;
  for (int i = 0; i < 20000; ++i) list += "f" + std::to_string(i) + '\n';
  testing::StringSource in(list);
  testing::StringSink out;
  testing::StringSink err;
  const char* argv[] = {"quorvel-probe", "-"};
  EXPECT_EQ(cli::Main(2, argv, files, {in, out, err}), cli::kExitOk);
  EXPECT_EQ(testing::Lines(out.text).size(), 20000u);
  EXPECT_LE(out.writes, static_cast<int>(out.text.size() / (32 * 1024)) + 1);
}

}  // namespace
}  // namespace quorvel
