// Windows listing for the recursive walk, in the ANSI code page like every other path the tool
// handles: the names found are passed to CreateFileA unchanged.
#include <windows.h>

#include "folder.h"
#include "unique_handle.h"

namespace quorvel::cli {
namespace {

struct FindTraits {
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { (void)FindClose(h); }  // a listing that was read needs no report
};
using unique_find = ui::unique_handle<HANDLE, FindTraits>;

probe::OpenFailure FailureFromError(DWORD error) {
  switch (error) {
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_DRIVE: return probe::OpenFailure::kNotFound;
    case ERROR_ACCESS_DENIED: return probe::OpenFailure::kAccessDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return probe::OpenFailure::kInUse;
    default: return probe::OpenFailure::kOther;
  }
}

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Symbolic links, junctions and mount points carry a name-surrogate tag: following them could
// loop or leave the tree. Other reparse points (cloud placeholders, deduplicated files) are
// ordinary files and folders to their users.
bool IsLink(const WIN32_FIND_DATAA& found) {
  return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsReparseTagNameSurrogate(found.dwReserved0);
}

}  // namespace

probe::OpenFailure ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
  std::string pattern = folder;
  AppendSeparator(pattern);
  pattern += '*';
  WIN32_FIND_DATAA found{};
  unique_find find(FindFirstFileA(pattern.c_str(), &found));
  if (!find) {
    const DWORD error = GetLastError();
    // Only a drive's empty root lists nothing at all, not even "." and "..".
    return error == ERROR_FILE_NOT_FOUND ? probe::OpenFailure::kNone : FailureFromError(error);
  }
  do {
    if (IsDotOrDotDot(found.cFileName) || IsLink(found)) continue;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0) continue;
    // A name that the ANSI code page cannot spell comes back with '?' in it, a character no
    // Windows file name holds; the short name, where there is one, still opens the file.
    const char* name = found.cFileName;
    for (const char* c = found.cFileName; *c != '\0'; ++c) {
      if (*c == '?' && found.cAlternateFileName[0] != '\0') {
        name = found.cAlternateFileName;
        break;
      }
    }
    entries.push_back({name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileA(find.get(), &found));
  const DWORD error = GetLastError();
  return error == ERROR_NO_MORE_FILES ? probe::OpenFailure::kNone : FailureFromError(error);
}

bool EndsWithSeparator(std::string_view path) {
  bool separator = false;
  for (std::size_t i = 0; i < path.size();) {
    const auto byte = static_cast<BYTE>(path[i]);
    if (IsDBCSLeadByteEx(CP_ACP, byte) && i + 1 < path.size()) {
      separator = false;  // whatever the second byte is, it belongs to this character
      i += 2;
    } else {
      separator = byte == '\\' || byte == '/';
      i += 1;
    }
  }
  return separator;
}

void AppendSeparator(std::string& path) {
  // "C:" names the current folder of drive C; "C:\" would be its root.
  const bool bare_drive = path.size() == 2 && path[1] == ':';
  if (!bare_drive && !EndsWithSeparator(path)) path += '\\';
}

}  // namespace quorvel::cli
