// A file-access back end over files held in memory, which counts what the probe does with them.
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "file_access.h"
#include "pe_fixtures.h"

namespace quorvel::testing {

class MemoryFileAccess final : public probe::FileAccess {
 public:
  struct Counts {
    int opens = 0;
    int reads = 0;
    int seeks = 0;
    int closes = 0;
    std::size_t bytes_read = 0;
    std::size_t largest_request = 0;
  };

  void Add(const std::string& path, Bytes bytes) { files_[path] = std::move(bytes); }
  const Counts& counts() const { return counts_; }
  int open_handles() const { return open_handles_; }

  probe::OpenResult Open(const char* path) override {
    probe::OpenResult result;
    const auto found = files_.find(path);
    if (found == files_.end()) {
      result.failure = probe::OpenFailure::kNotFound;
      return result;
    }
    ++counts_.opens;
    ++open_handles_;
    current_ = &found->second;
    position_ = 0;
    result.opened = true;
    result.handle = 1;
    return result;
  }

  std::size_t Read(probe::FileHandle, void* buffer, std::size_t count) override {
    ++counts_.reads;
    counts_.largest_request = std::max(counts_.largest_request, count);
    const std::size_t available = position_ < current_->size() ? current_->size() - position_ : 0;
    const std::size_t got = std::min(count, available);
    if (got != 0) std::memcpy(buffer, current_->data() + position_, got);
    position_ += got;
    counts_.bytes_read += got;
    return got;
  }

  bool Seek(probe::FileHandle, std::int32_t offset) override {
    ++counts_.seeks;
    if (offset < 0) return false;
    position_ = static_cast<std::size_t>(offset);
    return true;
  }

  void Close(probe::FileHandle) override {
    ++counts_.closes;
    --open_handles_;
  }

 private:
  std::map<std::string, Bytes> files_;
  const Bytes* current_ = nullptr;
  std::size_t position_ = 0;
  int open_handles_ = 0;
  Counts counts_;
};

}  // namespace quorvel::testing
