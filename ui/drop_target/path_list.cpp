#include "path_list.h"

#include <cstdint>

namespace quorvel::ui {
namespace {

std::uint32_t LittleEndian32(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

}  // namespace

unsigned NamesInPathList(const unsigned char* block, std::size_t size) {
  if (block == nullptr || size < kDropFilesHeaderSize) return 0;
  const std::size_t unit = LittleEndian32(block + kDropFilesWideAt) != 0 ? 2 : 1;
  unsigned names = 0;
  std::size_t name_length = 0;
  for (std::size_t at = LittleEndian32(block + kDropFilesListOffsetAt); at <= size && size - at >= unit;
       at += unit) {
    const bool nul = block[at] == 0 && (unit == 1 || block[at + 1] == 0);
    if (!nul) {
      ++name_length;
    } else if (name_length == 0) {
      return names;  // the empty name closes the list
    } else {
      ++names;
      name_length = 0;
    }
  }
  return 0;
}

}  // namespace quorvel::ui
