// The path list of a dropped file block, read with the block's size in hand. The layout is the
// one CF_HDROP data has on every Windows architecture: a 20-byte header whose first four bytes
// give where the list starts and whose bytes 16 to 19 say whether its names are UTF-16, then
// the names, each closed by a NUL, and an empty name closing the list.
#pragma once

#include <cstddef>

namespace quorvel::ui {

inline constexpr std::size_t kDropFilesHeaderSize = 20;
inline constexpr std::size_t kDropFilesListOffsetAt = 0;
inline constexpr std::size_t kDropFilesWideAt = 16;

// How many names the list holds, reading nothing outside the `size` bytes at `block`. A list
// that does not close inside the block, or a block too short for its header, holds none:
// whoever walks such a list by its NULs alone runs off the block's end.
[[nodiscard]] unsigned NamesInPathList(const unsigned char* block, std::size_t size);

}  // namespace quorvel::ui
