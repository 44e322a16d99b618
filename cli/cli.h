// quorvel-probe's logic, kept out of main() so that every part of it runs in-process under test:
// argument parsing, where the paths come from, the folder walk, the output formats and the
// exit codes. main.cpp only wires the process's standard streams to Main().
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "probe.h"

namespace quorvel::cli {

// Exit codes, documented in the help text; scripts branch on them.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRequirementFailed = 1;  // --require and some answer differed
inline constexpr int kExitUsage = 2;              // bad command line: nothing was probed
inline constexpr int kExitIoError = 3;            // standard input or output failed

enum class OutputFormat : std::uint8_t { kTsv, kJsonl };

// One item of the command line's list of things to probe, kept in the order given.
struct Operand {
  enum class Kind : std::uint8_t {
    kPath,        // a path, probed (or walked, with --recursive) as given
    kStdinLines,  // "-": newline-separated paths from standard input, at this place in the order
    kStdinNul,    // "-0": NUL-separated paths from standard input
  };
  Kind kind = Kind::kPath;
  std::string path;

  friend bool operator==(const Operand&, const Operand&) = default;
};

struct Options {
  bool recursive = false;
  bool explain = false;
  OutputFormat format = OutputFormat::kTsv;
  std::int32_t required_bitness = 0;  // 0: every answer is acceptable
  bool help = false;
  bool version = false;
  std::vector<Operand> operands;
};

struct ParsedArguments {
  bool ok = false;
  Options options;
  std::string error;  // one line naming the bad option, without the program's name, when !ok
};

// argv[0] is the program's name and is skipped.
[[nodiscard]] ParsedArguments ParseArguments(int argc, const char* const* argv);

[[nodiscard]] std::string_view HelpText();
[[nodiscard]] std::string_view VersionText();

// The fixed word for an outcome: "pe32+", "pe32", "cannot-open:missing", ..., "unknown-magic:0x1234".
void AppendReasonWord(std::string& out, const probe::ProbeOutcome& outcome);
[[nodiscard]] std::string ReasonWord(const probe::ProbeOutcome& outcome);

// How the bytes of a path are to be read as text when they go into JSON.
enum class PathEncoding : std::uint8_t {
  kUtf8,          // POSIX file names, taken as UTF-8
  kAnsiCodePage,  // Windows: the process's ANSI code page (936 on a Chinese system)
};
[[nodiscard]] PathEncoding NativePathEncoding();

// Appends bytes as one JSON string, quotes included. The result is always valid UTF-8 JSON:
// text that decodes is written as UTF-8 with the JSON escapes where needed, and each byte that
// does not decode is written as the lone surrogate \udc80..\udcff, so the original bytes can be
// recovered (the convention of Python's "surrogateescape" for file names).
void AppendJsonString(std::string& out, std::string_view bytes, PathEncoding encoding);

// Where the tool reads paths from and writes its lines to; the process's streams in main(),
// strings in the tests.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to count bytes; 0 at the end of the input or on an error (then failed() says which).
  [[nodiscard]] virtual std::size_t Read(char* buffer, std::size_t count) = 0;
  [[nodiscard]] virtual bool failed() const = 0;
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // False when the bytes could not all be written.
  [[nodiscard]] virtual bool Write(std::string_view bytes) = 0;
};

struct Streams {
  ByteSource& in;
  ByteSink& out;
  ByteSink& err;
};

// Probes what the options name, in order, and writes one line per answer. Returns the exit code.
[[nodiscard]] int Run(const Options& options, probe::FileAccess& files, const Streams& streams);

// The whole tool: parses argv, answers --help and --version, reports usage errors, runs.
[[nodiscard]] int Main(int argc, const char* const* argv, probe::FileAccess& files, const Streams& streams);

}  // namespace quorvel::cli
