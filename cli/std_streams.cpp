#include "std_streams.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace quorvel::cli {

std::size_t FileSource::Read(char* buffer, std::size_t count) { return std::fread(buffer, 1, count, file_); }

bool FileSource::failed() const { return std::ferror(file_) != 0; }

bool FileSink::Write(std::string_view bytes) {
  // The tool hands over whole blocks; flushing each one keeps the answers flowing into a pipe.
  return std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size() && std::fflush(file_) == 0;
}

void PrepareStandardStreams() {
  // The tool reads and writes in blocks of its own; the C library's buffers would only split
  // the reads into small ones (a system call per 4 KiB of paths) and copy the output once more.
  (void)std::setvbuf(stdin, nullptr, _IONBF, 0);   // nothing to do about a failure: slower, not wrong
  (void)std::setvbuf(stdout, nullptr, _IONBF, 0);
#ifdef _WIN32
  // Nothing to do about a failure: the streams then stay in text mode.
  (void)_setmode(_fileno(stdin), _O_BINARY);
  (void)_setmode(_fileno(stdout), _O_BINARY);
  (void)_setmode(_fileno(stderr), _O_BINARY);
#endif
}

}  // namespace quorvel::cli
