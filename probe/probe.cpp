#include "probe.h"

#include <bit>
#include <cstring>
#include <type_traits>

#include "pe_records.h"

namespace quorvel {
namespace probe {
namespace {

constexpr std::size_t kDosHeaderSize = sizeof(pe::IMAGE_DOS_HEADER);   // 64
constexpr std::size_t kNtHeadersSize = sizeof(pe::IMAGE_NT_HEADERS32); // 248

// The records hold the file's bytes as they were read; on a big-endian host each field must be
// turned around before it means anything.
template <typename T>
T FromLittleEndian(T stored) {
  static_assert(std::is_integral_v<T>);
  if constexpr (std::endian::native == std::endian::little) {
    return stored;
  } else {
    using U = std::make_unsigned_t<T>;
    U value = static_cast<U>(stored);
    U swapped = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
      swapped = static_cast<U>((swapped << 8) | (value & 0xFFu));
      value = static_cast<U>(value >> 8);
    }
    return static_cast<T>(swapped);
  }
}

// Closes the file exactly once: explicitly before the result is decided, or on the way out
// should anything ever leave early.
class OpenFile {
 public:
  OpenFile(FileAccess& files, FileHandle handle) : files_(files), handle_(handle) {}
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  ~OpenFile() { Close(); }

  FileHandle handle() const { return handle_; }
  void Close() {
    if (open_) {
      open_ = false;
      files_.Close(handle_);
    }
  }

 private:
  FileAccess& files_;
  FileHandle handle_;
  bool open_ = true;
};

// Steps 3 to 9: reads the headers and says how far it got. The magic is only set once the PE
// signature has matched.
ProbeReason ReadHeaders(FileAccess& files, FileHandle file, std::uint16_t& magic) {
  unsigned char bytes[kNtHeadersSize];

  if (files.Read(file, bytes, kDosHeaderSize) != kDosHeaderSize) return ProbeReason::kShortDosHeader;
  pe::IMAGE_DOS_HEADER dos;
  files.CopyIntoRecord(&dos, bytes, kDosHeaderSize);
  if (FromLittleEndian(dos.e_magic) != pe::IMAGE_DOS_SIGNATURE) return ProbeReason::kNoMzSignature;

  if (!files.Seek(file, FromLittleEndian(dos.e_lfanew))) return ProbeReason::kNegativeLfanew;
  if (files.Read(file, bytes, kNtHeadersSize) != kNtHeadersSize) return ProbeReason::kShortNtHeaders;
  pe::IMAGE_NT_HEADERS32 nt;
  files.CopyIntoRecord(&nt, bytes, kNtHeadersSize);
  // A 32-bit comparison: "PE" followed by anything but two zero bytes is no signature.
  if (FromLittleEndian(nt.Signature) != pe::IMAGE_NT_SIGNATURE) return ProbeReason::kNoPeSignature;

  magic = FromLittleEndian(nt.OptionalHeader.Magic);
  switch (magic) {
    case pe::IMAGE_NT_OPTIONAL_HDR64_MAGIC: return ProbeReason::kPe32Plus;
    case pe::IMAGE_NT_OPTIONAL_HDR32_MAGIC: return ProbeReason::kPe32;
    case pe::IMAGE_ROM_OPTIONAL_HDR_MAGIC: return ProbeReason::kRomImage;
    default: return ProbeReason::kUnknownMagic;
  }
}

}  // namespace

void FileAccess::CopyIntoRecord(void* record, const void* bytes, std::size_t count) {
  std::memcpy(record, bytes, count);
}

ProbeOutcome ProbeExecutable(FileAccess& files, const char* path) {
  ProbeOutcome outcome;
  const OpenResult opened = files.Open(path != nullptr ? path : "");
  if (!opened.opened) {
    outcome.open_failure = opened.failure;
    return outcome;  // nothing to close
  }

  OpenFile file(files, opened.handle);
  outcome.reason = ReadHeaders(files, file.handle(), outcome.magic);
  file.Close();

  switch (outcome.reason) {
    case ProbeReason::kPe32Plus: outcome.bitness = 64; break;
    case ProbeReason::kPe32: outcome.bitness = 32; break;
    default: outcome.bitness = 0; break;
  }
  return outcome;
}

}  // namespace probe

std::int32_t GetProgramBitness(const char* path) {
  return probe::ProbeExecutable(probe::SystemFileAccess(), path).bitness;
}

}  // namespace quorvel
