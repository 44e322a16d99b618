// A folder of its own for each test, removed afterwards.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "pe_fixtures.h"

namespace quorvel::testing {

class TempDir {
 public:
  TempDir() {
    static std::atomic<int> serial{0};
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0;; ++attempt) {
      path_ = base / ("quorvel-test-" + std::to_string(Tick()) + "-" + std::to_string(serial++));
      std::error_code error;
      if (std::filesystem::create_directory(path_, error)) break;
      if (attempt > 100) throw std::filesystem::filesystem_error("no temp dir", path_, error);
    }
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

  const std::filesystem::path& path() const { return path_; }

  // Writes the bytes to a file in the folder and returns its path as the probe takes it.
  std::string Write(const std::string& name, const Bytes& bytes) const {
    const auto file = path_ / name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return file.string();
  }

  static Bytes Read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  static long long Tick() {
    return static_cast<long long>(std::filesystem::file_time_type::clock::now().time_since_epoch().count());
  }
  std::filesystem::path path_;
};

}  // namespace quorvel::testing
