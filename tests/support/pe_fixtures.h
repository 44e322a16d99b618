// Byte fixtures for the probe's tests, built in memory: the smallest files that show each case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quorvel::testing {

using Bytes = std::vector<std::uint8_t>;

inline void PutLe(Bytes& bytes, std::size_t offset, std::uint64_t value, std::size_t width) {
  if (bytes.size() < offset + width) bytes.resize(offset + width, 0);
  for (std::size_t i = 0; i < width; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

struct PeShape {
  std::uint16_t dos_magic = 0x5A4D;       // "MZ"
  std::int64_t e_lfanew = 0x80;
  std::uint32_t signature = 0x00004550;   // "PE\0\0"
  std::uint16_t machine = 0x014C;         // i386
  std::uint16_t magic = 0x10B;
  std::size_t nt_headers_size = 248;      // 264 for a well-formed PE32+
  std::size_t tail = 0;                   // bytes after the NT headers
};

// An MS-DOS header with the given magic and e_lfanew, NT headers at e_lfanew with the given
// signature, machine and optional-header magic, filled to nt_headers_size and then tail bytes.
inline Bytes MakePe(const PeShape& shape) {
  Bytes bytes(64, 0);
  PutLe(bytes, 0, shape.dos_magic, 2);
  PutLe(bytes, 60, static_cast<std::uint32_t>(shape.e_lfanew), 4);
  if (shape.e_lfanew < 0) return bytes;
  const auto at = static_cast<std::size_t>(shape.e_lfanew);
  if (bytes.size() < at + shape.nt_headers_size + shape.tail) {
    bytes.resize(at + shape.nt_headers_size + shape.tail, 0);
  }
  PutLe(bytes, at, shape.signature, 4);
  PutLe(bytes, at + 4, shape.machine, 2);
  PutLe(bytes, at + 4 + 16, shape.nt_headers_size - 24, 2);  // SizeOfOptionalHeader
  PutLe(bytes, at + 24, shape.magic, 2);
  return bytes;
}

inline Bytes Pe32() { return MakePe({}); }

inline Bytes Pe32Plus() {
  PeShape shape;
  shape.machine = 0x8664;
  shape.magic = 0x20B;
  shape.nt_headers_size = 264;
  return MakePe(shape);
}

// The shape of a well-formed PE32 with one thing changed.
inline PeShape With(void (*change)(PeShape&)) {
  PeShape shape;
  change(shape);
  return shape;
}

inline Bytes Truncated(Bytes bytes, std::size_t size) {
  bytes.resize(size);
  return bytes;
}

inline Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

}  // namespace quorvel::testing
