// Runs quorvel-probe's logic in-process over string streams, and builds small file trees with
// the platform's byte-path calls (fopen and mkdir take ANSI paths on Windows, raw bytes on
// POSIX), so that the same tests cover GBK names on both.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <direct.h>
#else
#include <sys/stat.h>
#endif

#include "cli.h"
#include "pe_fixtures.h"

namespace quorvel::testing {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

// Hands out its text in pieces of at most `piece` bytes, to put record boundaries anywhere.
class StringSource final : public cli::ByteSource {
 public:
  explicit StringSource(std::string text = {}, std::size_t piece = 1 << 20, bool fail_at_end = false)
      : text_(std::move(text)), piece_(piece), fail_at_end_(fail_at_end) {}
  std::size_t Read(char* buffer, std::size_t count) override {
    const std::size_t n = std::min({count, piece_, text_.size() - at_});
    text_.copy(buffer, n, at_);
    at_ += n;
    if (n == 0 && fail_at_end_) failed_ = true;
    return n;
  }
  bool failed() const override { return failed_; }

 private:
  std::string text_;
  std::size_t piece_;
  bool fail_at_end_;
  std::size_t at_ = 0;
  bool failed_ = false;
};

class StringSink final : public cli::ByteSink {
 public:
  explicit StringSink(bool refuse = false) : refuse_(refuse) {}
  bool Write(std::string_view bytes) override {
    ++writes;
    if (refuse_) return false;
    text.append(bytes);
    return true;
  }
  std::string text;
  int writes = 0;

 private:
  bool refuse_;
};

struct ToolResult {
  int exit_code = -1;
  std::string out;
  std::string err;
};

inline ToolResult RunTool(std::vector<std::string> args, probe::FileAccess& files, cli::ByteSource& in) {
  std::vector<const char*> argv{"quorvel-probe"};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  StringSink out;
  StringSink err;
  ToolResult result;
  result.exit_code = cli::Main(static_cast<int>(argv.size()), argv.data(), files, {in, out, err});
  result.out = out.text;
  result.err = err.text;
  return result;
}

inline ToolResult RunTool(std::vector<std::string> args, probe::FileAccess& files, std::string stdin_text = {}) {
  StringSource in(std::move(stdin_text));
  return RunTool(std::move(args), files, in);
}

inline ToolResult RunTool(std::vector<std::string> args, std::string stdin_text = {}) {
  return RunTool(std::move(args), probe::SystemFileAccess(), std::move(stdin_text));
}

inline std::string Join(const std::string& folder, const std::string& name) { return folder + kSeparator + name; }

inline bool WriteBytes(const std::string& path, const Bytes& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  // An empty vector may hold no buffer at all, and fwrite must not be given a null one.
  const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

inline bool MakeFolder(const std::string& path) {
#ifdef _WIN32
  return _mkdir(path.c_str()) == 0;
#else
  return ::mkdir(path.c_str(), 0700) == 0;
#endif
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start != text.size()) lines.push_back(text.substr(start) + "<no newline>");
  return lines;
}

}  // namespace quorvel::testing
