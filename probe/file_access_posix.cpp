// POSIX back end of the probe's file operations.
#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_access.h"

namespace quorvel::probe {
namespace {

OpenFailure FailureFromErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return OpenFailure::kNotFound;
    case EACCES:
    case EPERM: return OpenFailure::kAccessDenied;
    case EISDIR: return OpenFailure::kFolder;
    case ETXTBSY: return OpenFailure::kInUse;
    default: return OpenFailure::kOther;
  }
}

// A seek only records where the next read starts, and that read is a pread at the recorded place:
// the same results as lseek followed by read, with one system call less per file. The position is
// kept per descriptor, and per thread, since a descriptor belongs to the one call that opened it.
class Positions {
 public:
  off_t& At(int fd) {
    const auto index = static_cast<std::size_t>(fd);
    if (index >= positions_.size()) positions_.resize(index + 16, 0);
    return positions_[index];
  }

 private:
  std::vector<off_t> positions_;
};

thread_local Positions positions;

class PosixFileAccess final : public FileAccess {
 public:
  OpenResult Open(const char* path) override {
    OpenResult result;
    if (path == nullptr || *path == '\0') {
      result.failure = OpenFailure::kNotFound;
      return result;
    }
    // O_NONBLOCK so that opening a FIFO with no writer returns at once instead of waiting; such
    // a path is refused just below. It changes nothing for a regular file.
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
      result.failure = FailureFromErrno(errno);
      return result;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      const bool folder = S_ISDIR(info.st_mode);
      ::close(fd);
      result.failure = folder ? OpenFailure::kFolder : OpenFailure::kNotRegularFile;
      return result;
    }
    positions.At(fd) = 0;
    result.opened = true;
    result.handle = static_cast<FileHandle>(fd);
    return result;
  }

  std::size_t Read(FileHandle file, void* buffer, std::size_t count) override {
    auto* bytes = static_cast<unsigned char*>(buffer);
    off_t& position = positions.At(Descriptor(file));
    std::size_t total = 0;
    while (total < count) {
      const ssize_t got = ::pread(Descriptor(file), bytes + total, count - total, position);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return 0;  // a read error counts as nothing read
      if (got == 0) break;    // end of file
      total += static_cast<std::size_t>(got);
      position += static_cast<off_t>(got);
    }
    return total;
  }

  bool Seek(FileHandle file, std::int32_t offset) override {
    if (offset < 0) return false;
    positions.At(Descriptor(file)) = static_cast<off_t>(offset);
    return true;
  }

  void Close(FileHandle file) override { (void)::close(Descriptor(file)); }  // nothing to report

 private:
  static int Descriptor(FileHandle file) { return static_cast<int>(file); }
};

}  // namespace

FileAccess& SystemFileAccess() {
  static PosixFileAccess files;
  return files;
}

}  // namespace quorvel::probe
