// The command line: options may stand anywhere among the paths until "--".
#include <string>

#include "cli.h"

#ifndef QUORVEL_PROBE_VERSION
#error "the build defines QUORVEL_PROBE_VERSION from the project's version"
#endif

namespace quorvel::cli {
namespace {

constexpr std::string_view kHelp =
    "Usage: quorvel-probe [OPTION]... PATH...\n"
    "Tells for each PATH whether it is a 64-bit or a 32-bit Windows program file (PE32+ or PE32)\n"
    "from its MS-DOS and PE headers, reading at most 312 bytes of it. One line per answer, in\n"
    "the order given: the bitness (64, 32, or 0 for anything else), a tab, the path exactly as\n"
    "given.\n"
    "\n"
    "Paths:\n"
    "  PATH             a file; without -r a folder answers 0 like any path that is not a file\n"
    "  -                read newline-separated paths from standard input, at this place in the\n"
    "                   order; a carriage return before the newline is dropped, empty lines skipped\n"
    "  -0               read NUL-separated paths from standard input (find -print0); empty\n"
    "                   entries skipped\n"
    "  --               every later argument is a path, even one that starts with '-'\n"
    "\n"
    "Options:\n"
    "  -r, --recursive  a folder stands for its files, walked recursively: within each folder\n"
    "                   entries go by name in byte order, a subfolder's files at its place.\n"
    "                   Symbolic links (and junctions) inside the tree are neither followed nor\n"
    "                   listed; devices, pipes and sockets are not listed. A folder that cannot\n"
    "                   be listed answers 0 on a line of its own. A folder named on the command\n"
    "                   line is walked even when it is reached through a link.\n"
    "  --explain        add a third column, a tab and the reason word (below)\n"
    "  --format FORMAT  tsv (the default): the columns above, the path's bytes unchanged;\n"
    "                   jsonl: one JSON object per line with \"path\", \"bitness\" and \"reason\".\n"
    "                   JSON paths are UTF-8 (on Windows converted from the ANSI code page);\n"
    "                   a byte that is not text there becomes \\udc80..\\udcff\n"
    "  --require BITS   BITS is 64 or 32: exit with 1 when any answer differs, after printing\n"
    "                   every line\n"
    "  -h, --help       print this text and exit\n"
    "  --version        print the version and exit\n"
    "\n"
    "Reason words (--explain, and \"reason\" in jsonl):\n"
    "  pe32+                      64: a PE32+ image (optional header magic 0x20b)\n"
    "  pe32                       32: a PE32 image (magic 0x10b)\n"
    "  cannot-open:missing        0: empty path, no such file or folder on the way\n"
    "  cannot-open:access-denied  0: the file may not be read\n"
    "  cannot-open:folder         0: a folder (without -r)\n"
    "  cannot-open:in-use         0: another program holds the file without read sharing\n"
    "  cannot-open:not-a-file     0: a device, pipe or socket, refused unread\n"
    "  cannot-open                0: the open failed for another reason\n"
    "  short-dos-header           0: fewer than 64 bytes, or the first read failed\n"
    "  no-mz-signature            0: the file does not start with \"MZ\"\n"
    "  negative-e_lfanew          0: the NT headers' offset e_lfanew is negative\n"
    "  short-nt-headers           0: fewer than 248 bytes from e_lfanew on\n"
    "  no-pe-signature            0: no \"PE\\0\\0\" at e_lfanew\n"
    "  rom-image                  0: a ROM image (magic 0x107)\n"
    "  unknown-magic:0xHHHH       0: any other magic, as four lower-case hex digits\n"
    "\n"
    "Exit codes:\n"
    "  0  every path was answered (and, with --require, every answer was BITS)\n"
    "  1  --require was given and some answer differed (0 included)\n"
    "  2  bad command line, with a one-line message naming the bad option; nothing probed\n"
    "  3  standard input could not be read or standard output could not be written\n"
    "\n"
    "Lines end with a line feed on every platform.\n"
    "\n"
    "Examples:\n"
    "  quorvel-probe -r --require 64 build/bin       fail unless every file is 64-bit\n"
    "  find . -name '*.dll' -print0 | quorvel-probe -0 --format jsonl\n";

constexpr std::string_view kVersion = "quorvel-probe " QUORVEL_PROBE_VERSION "\n";

// The value of an option given as "--name=value" or as "--name value".
struct ValueLookup {
  bool found = false;
  std::string_view value;
};

ValueLookup OptionValue(std::string_view name, std::string_view arg, int argc, const char* const* argv, int& i) {
  if (arg == name) {
    if (i + 1 >= argc) return {};
    ++i;
    return {true, argv[i]};
  }
  return {true, arg.substr(name.size() + 1)};
}

bool IsOption(std::string_view arg, std::string_view name) {
  return arg == name || (arg.size() > name.size() && arg.substr(0, name.size()) == name && arg[name.size()] == '=');
}

// Built by appending: GCC 12 at -O3 misreads "'" + std::string(text) as an overlapping copy.
std::string Quoted(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted += '\'';
  quoted += text;
  quoted += '\'';
  return quoted;
}

}  // namespace

std::string_view HelpText() { return kHelp; }
std::string_view VersionText() { return kVersion; }

ParsedArguments ParseArguments(int argc, const char* const* argv) {
  ParsedArguments parsed;
  Options& options = parsed.options;
  const auto fail = [&](std::string message) {
    parsed.error = std::move(message);
    return parsed;
  };
  bool paths_only = false;
  bool stdin_named = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (paths_only || arg.size() < 2 || arg[0] != '-') {
      if (!paths_only && arg == "-") {
        if (stdin_named) return fail("standard input ('-' or '-0') may be named only once");
        stdin_named = true;
        options.operands.push_back({Operand::Kind::kStdinLines, {}});
      } else {
        options.operands.push_back({Operand::Kind::kPath, std::string(arg)});
      }
      continue;
    }
    if (arg == "--") {
      paths_only = true;
    } else if (arg == "-0") {
      if (stdin_named) return fail("standard input ('-' or '-0') may be named only once");
      stdin_named = true;
      options.operands.push_back({Operand::Kind::kStdinNul, {}});
    } else if (arg == "-r" || arg == "--recursive") {
      options.recursive = true;
    } else if (arg == "--explain") {
      options.explain = true;
    } else if (arg == "-h" || arg == "--help") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (IsOption(arg, "--format")) {
      const ValueLookup value = OptionValue("--format", arg, argc, argv, i);
      if (!value.found) return fail("option '--format' needs a value: tsv or jsonl");
      if (value.value == "tsv") {
        options.format = OutputFormat::kTsv;
      } else if (value.value == "jsonl") {
        options.format = OutputFormat::kJsonl;
      } else {
        return fail("option '--format' takes tsv or jsonl, not " + Quoted(value.value));
      }
    } else if (IsOption(arg, "--require")) {
      const ValueLookup value = OptionValue("--require", arg, argc, argv, i);
      if (!value.found) return fail("option '--require' needs a value: 64 or 32");
      if (value.value == "64") {
        options.required_bitness = 64;
      } else if (value.value == "32") {
        options.required_bitness = 32;
      } else {
        return fail("option '--require' takes 64 or 32, not " + Quoted(value.value));
      }
    } else {
      return fail("unknown option " + Quoted(arg));
    }
  }
  if (options.operands.empty() && !options.help && !options.version) {
    return fail("no PATH given ('-' reads paths from standard input)");
  }
  parsed.ok = true;
  return parsed;
}

}  // namespace quorvel::cli
