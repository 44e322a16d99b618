// Every reason word, reached through a byte fixture written to disk (or, for the causes of a
// refused open that a test cannot stage on every platform, through a back end that refuses).
#include <gtest/gtest.h>

#include "cli.h"
#include "cli_harness.h"
#include "probe.h"
#include "scripted_file_access.h"
#include "temp_dir.h"

namespace quorvel {
namespace {

using testing::Bytes;
using testing::MakePe;
using testing::PeShape;

using testing::Truncated;
using testing::With;

struct ReasonCase {
  const char* name;
  Bytes bytes;
  const char* bitness;
  const char* word;
};

std::vector<ReasonCase> ReasonCases() {
  return {
      {"pe32plus", testing::Pe32Plus(), "64", "pe32+"},
      {"pe32", testing::Pe32(), "32", "pe32"},
      {"empty", Bytes{}, "0", "short-dos-header"},
      {"sixty_three_bytes", Truncated(testing::Pe32(), 63), "0", "short-dos-header"},
      {"zm", MakePe(With([](PeShape& s) { s.dos_magic = 0x4D5A; })), "0", "no-mz-signature"},
      {"text", testing::BytesOf(std::string(300, 't')), "0", "no-mz-signature"},
      {"negative_lfanew", MakePe(With([](PeShape& s) { s.e_lfanew = -8; })), "0", "negative-e_lfanew"},
      {"lfanew_past_end", [] { Bytes b(64, 0); testing::PutLe(b, 0, 0x5A4D, 2); testing::PutLe(b, 60, 4096, 4);
                               return b; }(), "0", "short-nt-headers"},
      {"nt_headers_247_bytes", Truncated(testing::Pe32(), 0x80 + 247), "0", "short-nt-headers"},
      {"lfanew_zero", [] { Bytes b(512, 0); testing::PutLe(b, 0, 0x5A4D, 2); return b; }(), "0", "no-pe-signature"},
      {"pe_then_nonzero", MakePe(With([](PeShape& s) { s.signature = 0x01004550; })), "0", "no-pe-signature"},
      {"rom", MakePe(With([](PeShape& s) { s.magic = 0x107; })), "0", "rom-image"},
      {"magic_zero", MakePe(With([](PeShape& s) { s.magic = 0; })), "0", "unknown-magic:0x0000"},
      {"magic_1234", MakePe(With([](PeShape& s) { s.magic = 0x1234; })), "0", "unknown-magic:0x1234"},
      {"magic_lower_case_hex", MakePe(With([](PeShape& s) { s.magic = 0xABCD; })), "0", "unknown-magic:0xabcd"},
      // The byte-swapped PE32+ magic: close, but no.
      {"magic_swapped", MakePe(With([](PeShape& s) { s.magic = 0x0B02; })), "0", "unknown-magic:0x0b02"},
  };
}

class ReasonWords : public ::testing::TestWithParam<ReasonCase> {};

TEST_P(ReasonWords, ExplainedInBothFormatsAndAgreeingWithTheProbe) {
  const ReasonCase& c = GetParam();
  testing::TempDir dir;
  const std::string path = testing::Join(dir.path().string(), std::string(c.name) + ".bin");
  ASSERT_TRUE(testing::WriteBytes(path, c.bytes));

  const testing::ToolResult tsv = testing::RunTool({"--explain", path});
  EXPECT_EQ(tsv.exit_code, cli::kExitOk);
  EXPECT_EQ(tsv.out, std::string(c.bitness) + "\t" + path + "\t" + c.word + "\n");
  EXPECT_EQ(std::to_string(GetProgramBitness(path.c_str())), c.bitness);

  // jsonl always carries the reason; the path here is plain ASCII apart from the separators.
  const testing::ToolResult jsonl = testing::RunTool({"--format", "jsonl", path});
  std::string json_path;
  cli::AppendJsonString(json_path, path, cli::NativePathEncoding());
  EXPECT_EQ(jsonl.out, "{\"path\":" + json_path + ",\"bitness\":" + c.bitness + ",\"reason\":\"" + c.word + "\"}\n");

  // Without --explain the line is the tool's original one.
  EXPECT_EQ(testing::RunTool({path}).out, std::string(c.bitness) + "\t" + path + "\n");
}

INSTANTIATE_TEST_SUITE_P(Cli, ReasonWords, ::testing::ValuesIn(ReasonCases()),
                         [](const auto& test_info) { return std::string(test_info.param.name); });

TEST(CliReasons, MissingFileAndFolderOnDisk) {
  testing::TempDir dir;
  const std::string folder = dir.path().string();
  const std::string missing = testing::Join(folder, "no-such.exe");
  const std::string below_missing = testing::Join(missing, "x.exe");
  const testing::ToolResult result = testing::RunTool({"--explain", missing, below_missing, folder, ""});
  EXPECT_EQ(result.exit_code, cli::kExitOk);
  EXPECT_EQ(result.out, "0\t" + missing + "\tcannot-open:missing\n" +   //
                            "0\t" + below_missing + "\tcannot-open:missing\n" +  //
                            "0\t" + folder + "\tcannot-open:folder\n" +          //
                            "0\t\tcannot-open:missing\n");
}

struct RefusalCase {
  probe::OpenFailure failure;
  const char* word;
};

TEST(CliReasons, EveryCauseOfARefusedOpenHasItsWord) {
  const RefusalCase cases[] = {
      {probe::OpenFailure::kNotFound, "cannot-open:missing"},
      {probe::OpenFailure::kAccessDenied, "cannot-open:access-denied"},
      {probe::OpenFailure::kFolder, "cannot-open:folder"},
      {probe::OpenFailure::kInUse, "cannot-open:in-use"},
      {probe::OpenFailure::kNotRegularFile, "cannot-open:not-a-file"},
      {probe::OpenFailure::kOther, "cannot-open"},
  };
  for (const RefusalCase& c : cases) {
    testing::ScriptedFileAccess files;
    files.Refuse("f.exe", c.failure);
    const testing::ToolResult result = testing::RunTool({"--explain", "f.exe"}, files);
    EXPECT_EQ(result.out, std::string("0\tf.exe\t") + c.word + "\n");
    const testing::ToolResult jsonl = testing::RunTool({"--format=jsonl", "f.exe"}, files);
    EXPECT_EQ(jsonl.out, std::string("{\"path\":\"f.exe\",\"bitness\":0,\"reason\":\"") + c.word + "\"}\n");
  }
}

// Scripts match the words the help text promises: every word the tool can write is there.
TEST(CliReasons, HelpDocumentsEveryWord) {
  std::vector<std::string> words = {"cannot-open:missing", "cannot-open:access-denied", "cannot-open:folder",
                                    "cannot-open:in-use",  "cannot-open:not-a-file",    "cannot-open "};
  for (const ReasonCase& c : ReasonCases()) {
    const std::string word = c.word;
    words.push_back(word.rfind("unknown-magic:", 0) == 0 ? "unknown-magic:0xHHHH" : word + " ");
  }
  for (const std::string& word : words) {
    EXPECT_NE(cli::HelpText().find("\n  " + word), std::string::npos) << word;
  }
}

}  // namespace
}  // namespace quorvel
