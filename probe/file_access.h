// The four file operations the probe is written over, plus the copy of read bytes into a record.
// Each platform's back end only translates these; the algorithm itself lives in probe.cpp, once.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quorvel::probe {

// An open file as the back end knows it: a HANDLE on Windows, a descriptor elsewhere.
using FileHandle = std::uintptr_t;

// Why an open was refused, as far as the platform tells the causes apart. The probe itself only
// cares that there is no handle; the command-line tool reports the cause.
enum class OpenFailure : std::uint8_t {
  kNone,
  kNotFound,       // empty path, no such file, a missing folder on the way
  kAccessDenied,
  kFolder,
  kInUse,          // another program holds the file without read sharing
  kNotRegularFile, // FIFO, device, socket: refused rather than risk blocking on it
  kOther,
};

struct OpenResult {
  bool opened = false;
  FileHandle handle = 0;
  OpenFailure failure = OpenFailure::kNone;
};

class FileAccess {
 public:
  FileAccess() = default;
  FileAccess(const FileAccess&) = delete;
  FileAccess& operator=(const FileAccess&) = delete;
  virtual ~FileAccess() = default;

  // Opens an existing file for reading, position 0, bytes untranslated, never creating or
  // truncating it, and letting other programs go on reading and writing it.
  [[nodiscard]] virtual OpenResult Open(const char* path) = 0;
  // Returns how many bytes were read: fewer than count at the end of the file, 0 on an error.
  [[nodiscard]] virtual std::size_t Read(FileHandle file, void* buffer, std::size_t count) = 0;
  // Moves to offset from the start; refuses a negative offset, accepts one past the end.
  [[nodiscard]] virtual bool Seek(FileHandle file, std::int32_t offset) = 0;
  // Releases the handle; whatever goes wrong is not reported.
  virtual void Close(FileHandle file) = 0;
  // Makes the record's first count bytes equal to the bytes read.
  virtual void CopyIntoRecord(void* record, const void* bytes, std::size_t count);
};

// The back end of the platform the program runs on.
FileAccess& SystemFileAccess();

}  // namespace quorvel::probe
