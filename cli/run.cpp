// Probing what the command line names, in order, and writing the answers.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "cli.h"
#include "folder.h"

namespace quorvel::cli {
namespace {

// Output goes out in large blocks: per-line writes would cost a system call per file, more than
// the probe's own work on a warm cache.
constexpr std::size_t kOutputBlock = 64 * 1024;
constexpr std::size_t kInputBlock = 64 * 1024;

class Runner {
 public:
  Runner(const Options& options, probe::FileAccess& files, const Streams& streams)
      : options_(options), files_(files), streams_(streams), encoding_(NativePathEncoding()) {
    buffer_.reserve(kOutputBlock + 4096);
  }

  int Go() {
    for (const Operand& operand : options_.operands) {
      if (operand.kind == Operand::Kind::kPath) {
        Probe(operand.path.c_str(), operand.path.size());
      } else {
        ReadPaths(operand.kind == Operand::Kind::kStdinNul ? '\0' : '\n');
      }
      if (output_failed_) break;
    }
    Flush();
    if (output_failed_) {
      (void)streams_.err.Write("quorvel-probe: cannot write to standard output\n");  // nowhere left to tell
      return kExitIoError;
    }
    if (input_failed_) {
      (void)streams_.err.Write("quorvel-probe: cannot read standard input\n");  // reported by the exit code
      return kExitIoError;
    }
    return mismatch_ ? kExitRequirementFailed : kExitOk;
  }

 private:
  // path is NUL-terminated at path[length].
  void Probe(const char* path, std::size_t length) {
    const probe::ProbeOutcome outcome = probe::ProbeExecutable(files_, path);
    // The probe's own open tells a folder apart at no extra cost: no stat for every file.
    if (options_.recursive && outcome.reason == probe::ProbeReason::kCannotOpen &&
        outcome.open_failure == probe::OpenFailure::kFolder) {
      std::string folder(path, length);
      Walk(folder);
      return;
    }
    Report(std::string_view(path, length), outcome);
  }

  // folder is used as scratch space for the children's paths and given back unchanged.
  void Walk(std::string& folder) {
    std::vector<FolderEntry> entries;
    const probe::OpenFailure failure = ListFolder(folder, entries);
    if (failure != probe::OpenFailure::kNone) {
      probe::ProbeOutcome outcome;
      outcome.open_failure = failure;
      Report(folder, outcome);
      return;
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    const std::size_t folder_length = folder.size();
    AppendSeparator(folder);
    const std::size_t prefix_length = folder.size();
    for (const FolderEntry& entry : entries) {
      if (output_failed_) break;
      folder.resize(prefix_length);
      folder += entry.name;
      if (entry.is_folder) {
        Walk(folder);
      } else {
        Report(folder, probe::ProbeExecutable(files_, folder.c_str()));
      }
    }
    folder.resize(folder_length);
  }

  // Paths from standard input, separated by separator, probed as each one is complete, so that
  // answers flow while a producer such as find is still running.
  void ReadPaths(char separator) {
    std::vector<char> block(kInputBlock);
    std::size_t filled = 0;
    for (;;) {
      if (filled == block.size()) block.resize(block.size() * 2);  // one path longer than a block
      const std::size_t got = streams_.in.Read(block.data() + filled, block.size() - filled);
      if (got == 0) break;
      const std::size_t scanned = filled;
      filled += got;
      std::size_t start = 0;
      for (std::size_t i = scanned; i < filled && !output_failed_; ++i) {
        if (block[i] != separator) continue;
        ProbeRecord(block.data() + start, i - start, separator);
        start = i + 1;
      }
      if (output_failed_) return;
      std::memmove(block.data(), block.data() + start, filled - start);
      filled -= start;
    }
    input_failed_ = input_failed_ || streams_.in.failed();
    if (filled != 0) {
      block.push_back('\0');  // room for the terminator of a last path with no separator after it
      ProbeRecord(block.data(), filled, separator);
    }
  }

  // record[length] is the separator's place and becomes the path's terminator.
  void ProbeRecord(char* record, std::size_t length, char separator) {
    if (separator == '\n' && length != 0 && record[length - 1] == '\r') --length;
    record[length] = '\0';
    // A NUL inside a line ends the path there, for the probe and for the report alike.
    length = std::strlen(record);
    if (length != 0) Probe(record, length);
  }

  void Report(std::string_view path, const probe::ProbeOutcome& outcome) {
    if (options_.required_bitness != 0 && outcome.bitness != options_.required_bitness) mismatch_ = true;
    const char* bitness = outcome.bitness == 64 ? "64" : outcome.bitness == 32 ? "32" : "0";
    if (options_.format == OutputFormat::kTsv) {
      buffer_ += bitness;
      buffer_ += '\t';
      buffer_ += path;
      if (options_.explain) {
        buffer_ += '\t';
        AppendReasonWord(buffer_, outcome);
      }
      buffer_ += '\n';
    } else {
      buffer_ += "{\"path\":";
      AppendJsonString(buffer_, path, encoding_);
      buffer_ += ",\"bitness\":";
      buffer_ += bitness;
      buffer_ += ",\"reason\":\"";
      AppendReasonWord(buffer_, outcome);  // plain ASCII without quotes or backslashes
      buffer_ += "\"}\n";
    }
    if (buffer_.size() >= kOutputBlock) Flush();
  }

  void Flush() {
    if (buffer_.empty() || output_failed_) return;
    if (!streams_.out.Write(buffer_)) output_failed_ = true;
    buffer_.clear();
  }

  const Options& options_;
  probe::FileAccess& files_;
  const Streams& streams_;
  const PathEncoding encoding_;
  std::string buffer_;
  bool mismatch_ = false;
  bool output_failed_ = false;
  bool input_failed_ = false;
};

}  // namespace

int Run(const Options& options, probe::FileAccess& files, const Streams& streams) {
  return Runner(options, files, streams).Go();
}

int Main(int argc, const char* const* argv, probe::FileAccess& files, const Streams& streams) {
  const ParsedArguments parsed = ParseArguments(argc, argv);
  if (!parsed.ok) {
    // The exit code tells the caller even when the message cannot be written.
    (void)streams.err.Write("quorvel-probe: " + parsed.error + " (see quorvel-probe --help)\n");
    return kExitUsage;
  }
  if (parsed.options.help || parsed.options.version) {
    const std::string_view text = parsed.options.help ? HelpText() : VersionText();
    return streams.out.Write(text) ? kExitOk : kExitIoError;
  }
  return Run(parsed.options, files, streams);
}

}  // namespace quorvel::cli
