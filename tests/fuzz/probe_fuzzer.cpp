// Drives the probe's algorithm over one in-memory file per input and checks it against a second,
// deliberately plain reading of the same bytes. Also holds it to its read budget.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "memory_file_access.h"
#include "probe.h"

namespace {

std::uint32_t Le(const std::uint8_t* p, std::size_t width) {
  std::uint32_t value = 0;
  for (std::size_t i = width; i-- > 0;) value = value << 8 | p[i];
  return value;
}

// The documented rule, written straight from the byte layout with no records and no file access.
int PlainBitness(const std::uint8_t* data, std::size_t size) {
  if (size < 64 || data[0] != 'M' || data[1] != 'Z') return 0;
  const auto lfanew = static_cast<std::int32_t>(Le(data + 60, 4));
  if (lfanew < 0) return 0;
  const auto at = static_cast<std::size_t>(lfanew);
  if (at > size || size - at < 248) return 0;
  if (Le(data + at, 4) != 0x00004550) return 0;
  const std::uint32_t magic = Le(data + at + 24, 2);
  return magic == 0x20B ? 64 : magic == 0x10B ? 32 : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  quorvel::testing::MemoryFileAccess files;
  files.Add("input", quorvel::testing::Bytes(data, data + size));
  const quorvel::probe::ProbeOutcome outcome = quorvel::probe::ProbeExecutable(files, "input");

  const auto& counts = files.counts();
  const bool sane = (outcome.bitness == 0 || outcome.bitness == 32 || outcome.bitness == 64) &&
                    outcome.bitness == PlainBitness(data, size) && counts.bytes_read <= 312 &&
                    counts.reads <= 2 && counts.seeks <= 1 && counts.opens == 1 && counts.closes == 1;
  if (!sane) std::abort();
  return 0;
}
