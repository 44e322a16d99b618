// quorvel-probe against the floor: generates a set of files (PE32, PE32+, other files, files
// too short for a DOS header), then times whole runs of each program over the same list with a
// warm cache and prints the cost per file and the ratio. Run by hand (bench/run.sh), never by
// the test suite: the figures depend on the machine and on what else it is doing.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "pe_fixtures.h"

extern char** environ;

namespace {

struct Settings {
  std::string tool;
  std::string floor;
  std::string nothing;
  std::string file;  // empty: not installed
  std::string dir;
  int count = 20000;
  int runs = 9;
};

[[noreturn]] void Die(const std::string& message) {
  std::fprintf(stderr, "quorvel-bench: %s\n", message.c_str());
  std::exit(2);
}

Settings ParseSettings(int argc, char** argv) {
  Settings settings;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const std::string value = argv[i + 1];
    if (name == "--tool") settings.tool = value;
    else if (name == "--floor") settings.floor = value;
    else if (name == "--nothing") settings.nothing = value;
    else if (name == "--file") settings.file = value;
    else if (name == "--dir") settings.dir = value;
    else if (name == "--count") settings.count = std::stoi(value);
    else if (name == "--runs") settings.runs = std::stoi(value);
    else Die("unknown option " + name);
  }
  if (settings.tool.empty() || settings.floor.empty() || settings.nothing.empty() || settings.dir.empty()) {
    Die("usage: quorvel-bench --tool P --floor P --nothing P --dir D [--file P] [--count N] [--runs R]");
  }
  if (settings.count < 20000) Die("--count must be at least 20000");
  return settings;
}

void WriteFile(const std::string& path, const quorvel::testing::Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) Die("cannot write " + path);
}

// One file of the set: 35 % PE32+, 35 % PE32, 20 % other files, 10 % shorter than 64 bytes.
quorvel::testing::Bytes MakeFile(int index, std::mt19937& random) {
  using quorvel::testing::Bytes;
  quorvel::testing::PeShape shape;
  shape.e_lfanew = 0x40 + 8 * static_cast<std::int64_t>(random() % 32);
  shape.tail = 512 + random() % 8192;
  switch (index % 20) {
    case 0: case 1: case 2: case 3: case 4: case 5: case 6:
      shape.machine = 0x8664;
      shape.magic = 0x20B;
      shape.nt_headers_size = 264;
      return quorvel::testing::MakePe(shape);
    case 7: case 8: case 9: case 10: case 11: case 12: case 13:
      return quorvel::testing::MakePe(shape);
    case 14: case 15: case 16: case 17: {
      Bytes text(100 + random() % 4000);
      for (auto& byte : text) byte = static_cast<std::uint8_t>('a' + random() % 26);
      return text;
    }
    default: return Bytes(random() % 64, 0x4D);
  }
}

struct FileSet {
  std::vector<std::string> paths;
  long expected[3] = {0, 0, 0};  // 64, 32, 0
};

FileSet Generate(const Settings& settings) {
  FileSet set;
  std::mt19937 random(12345);
  const int per_folder = 250;
  const std::string root = settings.dir + "/set";
  ::mkdir(settings.dir.c_str(), 0755);
  ::mkdir(root.c_str(), 0755);
  for (int i = 0; i < settings.count; ++i) {
    char folder[64];
    std::snprintf(folder, sizeof folder, "/d%03d", i / per_folder);
    if (i % per_folder == 0) ::mkdir((root + folder).c_str(), 0755);
    static const char* const kExtensions[] = {".exe", ".dll", ".sys", ".txt"};
    const std::string path =
        root + folder + "/f" + std::to_string(i) + kExtensions[static_cast<std::size_t>(i) % 4];
    WriteFile(path, MakeFile(i, random));
    set.paths.push_back(path);
    const int kind = i % 20;
    ++set.expected[kind < 7 ? 0 : kind < 14 ? 1 : 2];
  }
  return set;
}

struct Command {
  std::vector<std::string> args;
  std::string stdin_path;
  std::string stdout_path = "/dev/null";
};

// Wall time of one run, from spawn to exit, in seconds.
double RunOnce(const Command& command) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, command.stdin_path.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, command.stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> argv;
  for (const std::string& arg : command.args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) Die("cannot start " + command.args[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  const auto stop = std::chrono::steady_clock::now();
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) Die(command.args[0] + " failed");
  return std::chrono::duration<double>(stop - start).count();
}

double Median(const Command& command, int runs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) times.push_back(RunOnce(command));
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

int main(int argc, char** argv) {
  const Settings settings = ParseSettings(argc, argv);
  std::printf("generating %d files in %s\n", settings.count, settings.dir.c_str());
  const FileSet set = Generate(settings);

  const std::string list0 = settings.dir + "/list0";
  const std::string lines = settings.dir + "/lines";
  const std::string empty = settings.dir + "/empty";
  {
    std::ofstream nul(list0, std::ios::binary), nl(lines, std::ios::binary), none(empty, std::ios::binary);
    for (const std::string& path : set.paths) {
      nul << path << '\0';
      nl << path << '\n';
    }
  }

  // Both programs must give the same answers, and the generator's, before their times mean anything.
  const std::string answers = settings.dir + "/answers";
  RunOnce({{settings.floor}, list0, answers});  // also warms the cache
  const std::string floor_counts = ReadAll(answers);
  RunOnce({{settings.tool, "-0"}, list0, answers});
  const std::string tool_output = ReadAll(answers);
  long tool_counts[3] = {0, 0, 0};
  for (std::size_t at = 0; at < tool_output.size(); at = tool_output.find('\n', at) + 1) {
    const char first = tool_output[at];
    ++tool_counts[first == '6' ? 0 : first == '3' ? 1 : 2];
  }
  char expected_counts[96];
  std::snprintf(expected_counts, sizeof expected_counts, "64 %ld 32 %ld 0 %ld\n", set.expected[0], set.expected[1],
                set.expected[2]);
  if (floor_counts != expected_counts) Die("the floor answered " + floor_counts + " instead of " + expected_counts);
  if (tool_counts[0] != set.expected[0] || tool_counts[1] != set.expected[1] || tool_counts[2] != set.expected[2]) {
    Die("quorvel-probe's answers differ from the generator's");
  }
  std::printf("answers agree: %s", expected_counts);

  const double n = settings.count;
  const int runs = settings.runs;
  // The programs take turns, round after round, so that whatever else the machine is doing
  // weighs on each of them alike; each figure is a median over the rounds.
  std::vector<Command> commands = {
      {{settings.nothing}, empty},                                  // 0
      {{settings.floor}, empty},                                    // 1
      {{settings.tool, "-0"}, empty},                               // 2
      {{settings.floor}, list0},                                    // 3
      {{settings.floor, "--fstat"}, list0},                         // 4
      {{settings.tool, "-0"}, list0},                               // 5
      {{settings.tool, "-0", "--format", "jsonl"}, list0},          // 6
      {{settings.tool, "-r", settings.dir + "/set"}, empty},        // 7
  };
  std::vector<std::vector<double>> times(commands.size());
  std::vector<double> ratios;
  for (int round = 0; round < runs; ++round) {
    for (std::size_t i = 0; i < commands.size(); ++i) times[i].push_back(RunOnce(commands[i]));
    ratios.push_back(times[5].back() / times[3].back());
  }
  const auto median = [](std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
  };
  const double nothing = median(times[0]);
  const double floor_start = median(times[1]);
  const double tool_start = median(times[2]);
  const double floor = median(times[3]);
  const double floor_fstat = median(times[4]);
  const double tool = median(times[5]);
  const double tool_explain = median(times[6]);
  const double tool_walk = median(times[7]);
  std::optional<double> file;
  if (!settings.file.empty()) file = Median({{settings.file, "-f", lines}, empty}, std::max(3, runs / 3));

  std::printf("\nstart-up, median of %d runs over an empty list\n", runs);
  std::printf("  %-36s %8.3f ms\n", "C program that does nothing", nothing * 1e3);
  std::printf("  %-36s %8.3f ms\n", "floor", floor_start * 1e3);
  std::printf("  %-36s %8.3f ms\n", "quorvel-probe -0", tool_start * 1e3);
  std::printf("\n%d files, warm cache, median of %d runs (whole run / files)\n", settings.count, runs);
  const auto row = [&](const char* name, double seconds) {
    std::printf("  %-36s %8.1f ms  %7.3f us/file  %6.2f x floor\n", name, seconds * 1e3, seconds / n * 1e6,
                seconds / floor);
  };
  row("floor (open, read, seek, read, close)", floor);
  row("floor with fstat after each open", floor_fstat);
  row("quorvel-probe -0", tool);
  row("quorvel-probe -0 --format jsonl", tool_explain);
  row("quorvel-probe -r (walks the folders)", tool_walk);
  if (file) row("file -f", *file);
  std::printf("\nratio quorvel-probe / floor: %.3f (target at most 1.15); median of the rounds' ratios %.3f\n",
              tool / floor, median(ratios));
  std::printf("without start-up: %.3f us/file against %.3f us/file, ratio %.3f\n", (tool - tool_start) / n * 1e6,
              (floor - floor_start) / n * 1e6, (tool - tool_start) / (floor - floor_start));
  std::printf("ratio quorvel-probe / floor with fstat: %.3f\n", tool / floor_fstat);
  return 0;
}
