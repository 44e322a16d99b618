// Windows back end of the probe's file operations: the calls and arguments are exactly the ones
// the probe is documented to make.
#include <windows.h>

#include "file_access.h"

namespace quorvel::probe {
namespace {

// A 32-bit process on 64-bit Windows sees C:\Windows\System32 redirected to SysWOW64 and would
// probe a different file than the path names. Redirection is turned off around the open only.
// The functions are looked up at run time so that the program still starts where they are missing.
class Wow64Redirection {
 public:
  static const Wow64Redirection& Instance() {
    static const Wow64Redirection instance;
    return instance;
  }

  bool Disable(PVOID* previous) const { return disable_ != nullptr && disable_(previous) != FALSE; }
  void Revert(PVOID previous) const { (void)revert_(previous); }  // nothing useful to do on failure

 private:
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  using DisableFn = BOOL(WINAPI*)(PVOID*);
  using RevertFn = BOOL(WINAPI*)(PVOID);

  template <typename Fn>
  static Fn Lookup(HMODULE module, const char* name) {
    // Going through void(*)() is the cast GCC accepts between unrelated function types.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
  }

  Wow64Redirection() {
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    if (kernel32 == nullptr) return;
    const auto is_wow64_process = Lookup<IsWow64ProcessFn>(kernel32, "IsWow64Process");
    BOOL wow64 = FALSE;
    if (is_wow64_process == nullptr || !is_wow64_process(GetCurrentProcess(), &wow64) || !wow64) return;
    const auto disable = Lookup<DisableFn>(kernel32, "Wow64DisableWow64FsRedirection");
    const auto revert = Lookup<RevertFn>(kernel32, "Wow64RevertWow64FsRedirection");
    if (disable != nullptr && revert != nullptr) {
      disable_ = disable;
      revert_ = revert;
    }
  }

  DisableFn disable_ = nullptr;
  RevertFn revert_ = nullptr;
};

OpenFailure FailureFromError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_DRIVE: return OpenFailure::kNotFound;
    case ERROR_ACCESS_DENIED: return OpenFailure::kAccessDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return OpenFailure::kInUse;
    default: return OpenFailure::kOther;
  }
}

HANDLE ToHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

class Win32FileAccess final : public FileAccess {
 public:
  OpenResult Open(const char* path) override {
    OpenResult result;
    if (path == nullptr || *path == '\0') {
      result.failure = OpenFailure::kNotFound;
      return result;
    }
    const Wow64Redirection& redirection = Wow64Redirection::Instance();
    PVOID previous = nullptr;
    const bool redirection_off = redirection.Disable(&previous);
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = GetLastError();
    if (redirection_off) redirection.Revert(previous);

    if (file == INVALID_HANDLE_VALUE) {
      result.failure = FailureFromError(error);
      // Without FILE_FLAG_BACKUP_SEMANTICS a folder cannot be opened and reports access denied;
      // tell the two apart for the caller that explains its answers.
      if (result.failure == OpenFailure::kAccessDenied) {
        const DWORD attributes = GetFileAttributesA(path);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
          result.failure = OpenFailure::kFolder;
        }
      }
      return result;
    }
    result.opened = true;
    result.handle = reinterpret_cast<FileHandle>(file);
    return result;
  }

  std::size_t Read(FileHandle file, void* buffer, std::size_t count) override {
    DWORD got = 0;
    if (!ReadFile(ToHandle(file), buffer, static_cast<DWORD>(count), &got, nullptr)) return 0;
    return got;
  }

  bool Seek(FileHandle file, std::int32_t offset) override {
    // With no high part the offset is taken as signed, and a negative one is refused.
    return SetFilePointer(ToHandle(file), offset, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
  }

  void Close(FileHandle file) override { (void)CloseHandle(ToHandle(file)); }  // nothing to report

  void CopyIntoRecord(void* record, const void* bytes, std::size_t count) override {
    RtlMoveMemory(record, bytes, count);
  }
};

}  // namespace

FileAccess& SystemFileAccess() {
  static Win32FileAccess files;
  return files;
}

}  // namespace quorvel::probe
