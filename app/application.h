// The life of the process: window-layer set-up, the start routine, the message loop and exit
// processing. One ApplicationState per process, owned by RunProgram.
#pragma once

#include <windows.h>

#include <span>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "main_window/main_window.h"
#include "main_window/window_description.h"

namespace quorvel::app {

using ExitHook = void (*)();

struct ApplicationState {
  explicit ApplicationState(HINSTANCE instance) : window_layer(instance) {}

  bool ole_started = false;
  DWORD ui_thread = 0;
  // Holds the loaded windows and the loop-running flag, which the quit rule reads.
  ui::WindowLayer window_layer;
  std::vector<ExitHook> exit_hooks;
  bool ended = false;
};

// The part of an executable path before its last backslash, read as text of the ANSI code page
// (a double-byte character's second byte is never taken for a backslash); empty without one.
std::string ExecutableFolder(std::string_view path);
// The folder to make current, from GetModuleFileNameA's buffer of MAX_PATH bytes and its answer:
// none when the call failed or the path filled the buffer and so was cut short.
std::optional<std::string> FolderToWorkIn(const char* module_path, DWORD length);

// OleInitialize, the executable's folder as current directory, the thread id.
void SetUpWindowLayer(ApplicationState& state);
// Appends the routine unless it is already registered.
void RegisterExitHook(ApplicationState& state, ExitHook hook);
// Runs until WM_QUIT; returns its wParam. Returns 0 at once when no loaded window is alive.
int RunMessageLoop(ApplicationState& state);
// The exit hooks in order of registration (then forgotten), the window layer's leftovers, and
// OleUninitialize when OLE was started.
void ExitProcessing(ApplicationState& state);

// The whole life of the program with these window descriptions: the exit code, 0 after the main
// window has closed, -1 (after an error box) when it cannot be loaded.
int RunProgram(HINSTANCE instance, std::span<const ui::WindowDescription> descriptions);

}  // namespace quorvel::app
