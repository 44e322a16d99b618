// The process's standard streams as the tool's byte source and sinks.
#pragma once

#include <cstdio>

#include "cli.h"

namespace quorvel::cli {

class FileSource final : public ByteSource {
 public:
  explicit FileSource(std::FILE* file) : file_(file) {}
  std::size_t Read(char* buffer, std::size_t count) override;
  bool failed() const override;

 private:
  std::FILE* file_;
};

class FileSink final : public ByteSink {
 public:
  explicit FileSink(std::FILE* file) : file_(file) {}
  bool Write(std::string_view bytes) override;

 private:
  std::FILE* file_;
};

// Takes the C library's buffering off standard input and output (the tool has its own blocks),
// and puts the standard streams in binary mode on Windows: paths are read with their bytes exactly
// (a NUL, a carriage return), and lines, messages included, end with a line feed everywhere.
void PrepareStandardStreams();

}  // namespace quorvel::cli
