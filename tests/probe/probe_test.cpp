#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "memory_file_access.h"
#include "pe_fixtures.h"
#include "probe.h"
#include "temp_dir.h"

namespace quorvel {
namespace {

using probe::ProbeReason;
using testing::Bytes;
using testing::MakePe;
using testing::PeShape;

using testing::Truncated;
using testing::With;

struct Case {
  const char* name;
  Bytes bytes;
  std::int32_t bitness;
  ProbeReason reason;
};

std::vector<Case> Cases() {
  std::vector<Case> cases = {
      {"pe32", testing::Pe32(), 32, ProbeReason::kPe32},
      // Only 248 of its 264 bytes of NT headers are read, and that is enough.
      {"pe32plus_264_byte_headers", testing::Pe32Plus(), 64, ProbeReason::kPe32Plus},
      {"pe32plus_ending_right_after_248_bytes",
       MakePe(With([](PeShape& s) { s.magic = 0x20B; s.nt_headers_size = 248; })), 64, ProbeReason::kPe32Plus},
      {"pe32_whatever_its_machine", MakePe(With([](PeShape& s) { s.machine = 0x8664; })), 32, ProbeReason::kPe32},
      {"pe32plus_whatever_its_machine",
       MakePe(With([](PeShape& s) { s.machine = 0x014C; s.magic = 0x20B; s.nt_headers_size = 264; })), 64,
       ProbeReason::kPe32Plus},
      {"unaligned_lfanew_inside_dos_header", MakePe(With([](PeShape& s) { s.e_lfanew = 0x41; })), 32,
       ProbeReason::kPe32},
      {"empty_file", Bytes{}, 0, ProbeReason::kShortDosHeader},
      {"mz_and_62_bytes", Truncated(testing::Pe32(), 63), 0, ProbeReason::kShortDosHeader},
      {"zm", MakePe(With([](PeShape& s) { s.dos_magic = 0x4D5A; })), 0, ProbeReason::kNoMzSignature},
      {"text", testing::BytesOf(std::string(400, 'x')), 0, ProbeReason::kNoMzSignature},
      {"elf", Truncated(testing::BytesOf("\x7f" "ELF\x02\x01\x01"), 512), 0, ProbeReason::kNoMzSignature},
      // e_lfanew 0: the 248 bytes begin with the DOS header itself, whose "MZ" is no signature.
      {"lfanew_zero", [] { Bytes b(512, 0); testing::PutLe(b, 0, 0x5A4D, 2); return b; }(), 0,
       ProbeReason::kNoPeSignature},
      {"lfanew_negative", MakePe(With([](PeShape& s) { s.e_lfanew = -8; })), 0, ProbeReason::kNegativeLfanew},
      {"lfanew_top_bit_only",
       [] { Bytes b(512, 0); testing::PutLe(b, 0, 0x5A4D, 2); testing::PutLe(b, 60, 0x80000000u, 4); return b; }(),
       0, ProbeReason::kNegativeLfanew},
      {"lfanew_at_end_of_file", Truncated(testing::Pe32(), 0x80), 0, ProbeReason::kShortNtHeaders},
      {"lfanew_past_end_of_file",
       [] { Bytes b(64, 0); testing::PutLe(b, 0, 0x5A4D, 2); testing::PutLe(b, 60, 0x7FFFFFFF, 4); return b; }(), 0,
       ProbeReason::kShortNtHeaders},
      // Signature and Magic are in the file, but the file ends before 248 bytes of NT headers.
      {"nt_headers_cut_short_after_magic", Truncated(testing::Pe32Plus(), 0x80 + 100), 0,
       ProbeReason::kShortNtHeaders},
      {"nt_headers_one_byte_short", Truncated(testing::Pe32(), 0x80 + 247), 0, ProbeReason::kShortNtHeaders},
      {"signature_pe_0_1", MakePe(With([](PeShape& s) { s.signature = 0x01004550; })), 0,
       ProbeReason::kNoPeSignature},
      {"signature_pe_1_0", MakePe(With([](PeShape& s) { s.signature = 0x00014550; })), 0,
       ProbeReason::kNoPeSignature},
      {"signature_lowercase_pe", MakePe(With([](PeShape& s) { s.signature = 0x00006570; })), 0,
       ProbeReason::kNoPeSignature},
      {"signature_ne", MakePe(With([](PeShape& s) { s.signature = 0x0000454E; s.magic = 0x20B; })), 0,
       ProbeReason::kNoPeSignature},
      {"rom_image", MakePe(With([](PeShape& s) { s.magic = 0x107; })), 0, ProbeReason::kRomImage},
      {"unknown_magic", MakePe(With([](PeShape& s) { s.magic = 0x30B; })), 0, ProbeReason::kUnknownMagic},
      {"magic_bytes_swapped", MakePe(With([](PeShape& s) { s.magic = 0x0B02; })), 0, ProbeReason::kUnknownMagic},
      {"zero_magic", MakePe(With([](PeShape& s) { s.magic = 0; })), 0, ProbeReason::kUnknownMagic},
  };
  for (std::size_t size = 1; size < 64; size += 13) {
    cases.push_back({"short_file", Truncated(testing::Pe32(), size), 0, ProbeReason::kShortDosHeader});
  }
  return cases;
}

class ProbeCases : public ::testing::TestWithParam<Case> {};

// The algorithm over the counting fake: the answer, and how little it did to get it.
TEST_P(ProbeCases, AnswersAndStaysWithinItsBudget) {
  const Case& c = GetParam();
  testing::MemoryFileAccess files;
  files.Add("file", c.bytes);

  const probe::ProbeOutcome outcome = probe::ProbeExecutable(files, "file");

  EXPECT_EQ(outcome.bitness, c.bitness);
  EXPECT_EQ(outcome.reason, c.reason);
  const auto& counts = files.counts();
  EXPECT_EQ(counts.opens, 1);
  EXPECT_EQ(counts.closes, 1);
  EXPECT_EQ(files.open_handles(), 0);
  EXPECT_LE(counts.reads, 2);
  EXPECT_LE(counts.seeks, 1);
  EXPECT_LE(counts.bytes_read, 312u);
  EXPECT_LE(counts.largest_request, 248u);
}

// The same bytes as a real file, through the platform's back end.
TEST_P(ProbeCases, RealFileGivesTheSameAnswerAndIsLeftUnchanged) {
  const Case& c = GetParam();
  testing::TempDir dir;
  const std::string path = dir.Write("case.bin", c.bytes);

  EXPECT_EQ(GetProgramBitness(path.c_str()), c.bitness);
  EXPECT_EQ(testing::TempDir::Read(path), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ProbeCases, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case>& param) {
                           return std::string(param.param.name) + "_" + std::to_string(param.index);
                         });

TEST(ProbeFailures, PathsThatCannotBeOpenedAnswerZero) {
  testing::TempDir dir;
  EXPECT_EQ(GetProgramBitness(""), 0);
  EXPECT_EQ(GetProgramBitness(nullptr), 0);
  EXPECT_EQ(GetProgramBitness((dir.path() / "missing.exe").string().c_str()), 0);
  EXPECT_EQ(GetProgramBitness((dir.path() / "no-such-folder" / "a.exe").string().c_str()), 0);
  EXPECT_EQ(GetProgramBitness(dir.path().string().c_str()), 0);
}

TEST(ProbeFailures, OpenFailureIsReportedWithNothingToClose) {
  testing::MemoryFileAccess files;
  const probe::ProbeOutcome outcome = probe::ProbeExecutable(files, "missing");
  EXPECT_EQ(outcome.bitness, 0);
  EXPECT_EQ(outcome.reason, ProbeReason::kCannotOpen);
  EXPECT_EQ(outcome.open_failure, probe::OpenFailure::kNotFound);
  EXPECT_EQ(files.counts().closes, 0);
}

TEST(ProbeFailures, FolderIsToldApartFromMissingFile) {
  testing::TempDir dir;
  auto& files = probe::SystemFileAccess();
  EXPECT_EQ(probe::ProbeExecutable(files, dir.path().string().c_str()).open_failure, probe::OpenFailure::kFolder);
  EXPECT_EQ(probe::ProbeExecutable(files, (dir.path() / "x").string().c_str()).open_failure,
            probe::OpenFailure::kNotFound);
}

// The file is read afresh on every call: nothing is remembered between two probes of one path.
TEST(ProbeState, SecondCallSeesTheFileAsItIsNow) {
  testing::TempDir dir;
  const std::string path = dir.Write("changing.exe", testing::Pe32());
  EXPECT_EQ(GetProgramBitness(path.c_str()), 32);
  dir.Write("changing.exe", testing::Pe32Plus());
  EXPECT_EQ(GetProgramBitness(path.c_str()), 64);
}

}  // namespace
}  // namespace quorvel
