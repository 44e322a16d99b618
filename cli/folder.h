// The platform part of the recursive walk: listing one folder and joining a name to its path.
// One implementation per platform (folder_posix.cpp, folder_win32.cpp); the order and the
// recursion live in run.cpp, once.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "file_access.h"

namespace quorvel::cli {

struct FolderEntry {
  std::string name;
  bool is_folder = false;
};

// Appends the folder's regular files and subfolders to entries, in no particular order. Links
// (symbolic links, and on Windows junctions and other name-surrogate reparse points) are left
// out, so that the walk never follows one: no cycles, no files from outside the tree. Devices,
// pipes and sockets are left out too. Returns kNone, or why the folder could not be listed.
[[nodiscard]] probe::OpenFailure ListFolder(const std::string& folder, std::vector<FolderEntry>& entries);

// Appends a separator to path unless it already ends in one (or, on Windows, is a bare drive
// such as "C:", where one would change its meaning), so that the name can follow.
void AppendSeparator(std::string& path);

// Whether the last character of path is a separator. On Windows this reads the path as text in
// the ANSI code page: in GBK the second byte of a two-byte character may be 0x5C, the
// backslash, without being one.
[[nodiscard]] bool EndsWithSeparator(std::string_view path);

}  // namespace quorvel::cli
