// POSIX listing for the recursive walk.
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

#include "folder.h"

namespace quorvel::cli {
namespace {

probe::OpenFailure FailureFromErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return probe::OpenFailure::kNotFound;
    case EACCES:
    case EPERM: return probe::OpenFailure::kAccessDenied;
    default: return probe::OpenFailure::kOther;
  }
}

class Dir {
 public:
  explicit Dir(const char* path) : dir_(::opendir(path)) {}
  Dir(const Dir&) = delete;
  Dir& operator=(const Dir&) = delete;
  ~Dir() {
    if (dir_ != nullptr) (void)::closedir(dir_);  // a listing that was read needs no report
  }
  DIR* get() const { return dir_; }

 private:
  DIR* dir_;
};

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace

probe::OpenFailure ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
  Dir dir(folder.c_str());
  if (dir.get() == nullptr) return FailureFromErrno(errno);
  std::string path;  // reused for the rare entry whose type the listing leaves open
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir.get());
    if (entry == nullptr) {
      return errno == 0 ? probe::OpenFailure::kNone : FailureFromErrno(errno);
    }
    if (IsDotOrDotDot(entry->d_name)) continue;
    unsigned char type = entry->d_type;
    // Most file systems fill d_type, which saves a stat per file; some leave it unknown.
    if (type == DT_UNKNOWN) {
      path = folder;
      AppendSeparator(path);
      path += entry->d_name;
      struct stat info {};
      if (::lstat(path.c_str(), &info) != 0) continue;  // gone since the listing
      type = S_ISREG(info.st_mode) ? DT_REG : S_ISDIR(info.st_mode) ? DT_DIR : DT_LNK;
    }
    if (type == DT_REG || type == DT_DIR) entries.push_back({entry->d_name, type == DT_DIR});
  }
}

bool EndsWithSeparator(std::string_view path) { return !path.empty() && path.back() == '/'; }

void AppendSeparator(std::string& path) {
  if (!EndsWithSeparator(path)) path += '/';
}

}  // namespace quorvel::cli
