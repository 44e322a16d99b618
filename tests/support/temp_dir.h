// A folder of its own for each test, removed afterwards.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "pe_fixtures.h"

#ifdef _WIN32
#include <windows.h>
#endif

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

  // Writes the bytes to a file in the folder and returns its path as the probe takes it. The
  // name is bytes of the ANSI code page, as the program's own texts are.
  std::string Write(const std::string& name, const Bytes& bytes) const {
#ifdef _WIN32
    // The C++ library would read a narrow name as UTF-8; the program reads it as ANSI.
    const std::string file = path_.string() + "\\" + name;
    HANDLE out = CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
      CloseHandle(out);
    }
    return file;
#else
    const auto file = path_ / name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return file.string();
#endif
  }

  static Bytes Read(const std::string& file) {
#ifdef _WIN32
    Bytes bytes;
    HANDLE in = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (in == INVALID_HANDLE_VALUE) return bytes;
    unsigned char chunk[4096];
    DWORD got = 0;
    while (ReadFile(in, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    CloseHandle(in);
    return bytes;
#else
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
#endif
  }

 private:
  static long long Tick() {
    return static_cast<long long>(std::filesystem::file_time_type::clock::now().time_since_epoch().count());
  }
  std::filesystem::path path_;
};

}  // namespace quorvel::testing
