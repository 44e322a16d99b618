// Starting a Windows program from a test and finding its windows, with time limits everywhere:
// a test that waits for a window that never comes fails with a message instead of hanging.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace quorvel::testing {

// Polls until the condition holds or the time is up; pumps this thread's messages meanwhile so
// that a window of the test's own stays responsive.
inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

// The Windows path of a file of the Linux build tree, as Wine maps it (drive Z: is "/").
inline std::string WindowsPathOf(std::string linux_path) {
  for (char& c : linux_path) {
    if (c == '/') c = '\\';
  }
  return "Z:" + linux_path;
}

// The folder of the running test executable, without a trailing backslash.
inline std::string OwnFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  return folder.substr(0, folder.find_last_of('\\'));
}

struct WindowSearch {
  DWORD process_id;
  const char* class_name;
  std::vector<HWND> found;
};

inline BOOL CALLBACK CollectWindowOf(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->process_id) return TRUE;
  if (search->class_name != nullptr) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpiA(name, search->class_name) != 0) return TRUE;
  }
  search->found.push_back(window);
  return TRUE;
}

// Top-level windows of a process, optionally of one class.
inline std::vector<HWND> TopLevelWindowsOf(DWORD process_id, const char* class_name = nullptr) {
  WindowSearch search{process_id, class_name, {}};
  EnumWindows(&CollectWindowOf, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A child process that is ended at the end of the test if it is still running.
class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() {
    if (info_.hProcess != nullptr) {
      if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 0xDEAD);
        WaitForSingleObject(info_.hProcess, 5000);
      }
      CloseHandle(info_.hProcess);
      CloseHandle(info_.hThread);
    }
  }

  // Starts `command_line` in `folder` (nullptr: the test's own current folder).
  bool Start(const std::string& command_line, const char* folder = nullptr) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string line = command_line;
    return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &info_) != 0;
  }

  DWORD id() const { return info_.dwProcessId; }
  HANDLE handle() const { return info_.hProcess; }

  // The exit code once the process has ended within the limit; STILL_ACTIVE otherwise.
  DWORD WaitForExit(std::chrono::milliseconds limit = std::chrono::seconds(10)) const {
    if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }

  // The process's first top-level window of the class, once it exists and is visible.
  HWND WaitForWindow(const char* class_name, std::chrono::milliseconds limit = std::chrono::seconds(15)) const {
    HWND found = nullptr;
    WaitUntil(
        [&] {
          for (HWND window : TopLevelWindowsOf(info_.dwProcessId, class_name)) {
            if (IsWindowVisible(window)) {
              found = window;
              return true;
            }
          }
          return false;
        },
        limit);
    return found;
  }

 private:
  PROCESS_INFORMATION info_{};
};

// Text of a window of another process: WM_GETTEXT reaches every control, EDIT included, where
// GetWindowTextA only sees the text the system keeps for the window.
inline std::string TextOf(HWND window) {
  const auto length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(text.size()), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

}  // namespace quorvel::testing
