// The executable header probe: whether a file is a 64-bit or a 32-bit Windows program.
#pragma once

#include <cstdint>

#include "file_access.h"

namespace quorvel {

// 64 for a PE32+ image, 32 for a PE32 image, 0 for anything else and for every failure.
// Reads at most 312 bytes of the file; a null path counts as the empty path.
[[nodiscard]] std::int32_t GetProgramBitness(const char* path);

namespace probe {

// What the probe found, in more detail than the bitness: the command-line tool explains its
// answers with it. Every reason but the first two goes with bitness 0.
enum class ProbeReason : std::uint8_t {
  kPe32Plus,
  kPe32,
  kCannotOpen,
  kShortDosHeader,   // fewer than 64 bytes, or the first read failed
  kNoMzSignature,
  kNegativeLfanew,   // the seek to e_lfanew was refused
  kShortNtHeaders,   // fewer than 248 bytes from e_lfanew on, or the second read failed
  kNoPeSignature,
  kRomImage,         // Magic 0x107
  kUnknownMagic,
};

struct ProbeOutcome {
  std::int32_t bitness = 0;
  ProbeReason reason = ProbeReason::kCannotOpen;
  std::uint16_t magic = 0;                        // OptionalHeader.Magic, when the PE signature matched
  OpenFailure open_failure = OpenFailure::kNone;  // with kCannotOpen
};

// The whole algorithm, over any back end. GetProgramBitness is this on SystemFileAccess().
[[nodiscard]] ProbeOutcome ProbeExecutable(FileAccess& files, const char* path);

}  // namespace probe
}  // namespace quorvel
