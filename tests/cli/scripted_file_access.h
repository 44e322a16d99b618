// A file-access back end over files in memory that can also refuse an open with a chosen cause,
// and counts every open asked for, refused ones included.
#pragma once

#include <map>
#include <string>

#include "memory_file_access.h"

namespace quorvel::testing {

class ScriptedFileAccess final : public probe::FileAccess {
 public:
  void Add(const std::string& path, Bytes bytes) { files_.Add(path, std::move(bytes)); }
  void Refuse(const std::string& path, probe::OpenFailure failure) { refusals_[path] = failure; }
  int opens_asked() const { return opens_asked_; }
  int open_handles() const { return files_.open_handles(); }

  probe::OpenResult Open(const char* path) override {
    ++opens_asked_;
    if (const auto refusal = refusals_.find(path); refusal != refusals_.end()) {
      probe::OpenResult result;
      result.failure = refusal->second;
      return result;
    }
    return files_.Open(path);
  }
  std::size_t Read(probe::FileHandle file, void* buffer, std::size_t count) override {
    return files_.Read(file, buffer, count);
  }
  bool Seek(probe::FileHandle file, std::int32_t offset) override { return files_.Seek(file, offset); }
  void Close(probe::FileHandle file) override { files_.Close(file); }

 private:
  MemoryFileAccess files_;
  std::map<std::string, probe::OpenFailure> refusals_;
  int opens_asked_ = 0;
};

}  // namespace quorvel::testing
