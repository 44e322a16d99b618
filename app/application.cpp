#include "application.h"

#include <algorithm>

namespace quorvel::app {
namespace {

// The program keeps nothing that needs releasing at exit.
void ProgramExitHook() {}

// The program has no start-up work of its own.
int ProgramStartUp() { return 0; }

void ShowLoadFailure() {
  (void)MessageBoxA(nullptr,
                    "\xCE\xDE\xB7\xA8\xBC\xD3\xD4\xD8\xD6\xF7\xB4\xB0\xBF\xDA\xA1\xA3",  // "无法加载主窗口。"
                    "Quorvel", MB_OK | MB_ICONERROR);
}

}  // namespace

std::string ExecutableFolder(std::string_view path) {
  const std::string text(path);
  const char* last_backslash = nullptr;
  for (const char* p = text.c_str(); *p != '\0'; p = CharNextA(p)) {
    if (*p == '\\') last_backslash = p;
  }
  if (last_backslash == nullptr) return {};
  return std::string(text.c_str(), last_backslash);
}

std::optional<std::string> FolderToWorkIn(const char* module_path, DWORD length) {
  // A path that filled the whole buffer was cut short, and cutting it at its last backslash
  // could name some other folder.
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  return ExecutableFolder(std::string_view(module_path, length));
}

void SetUpWindowLayer(ApplicationState& state) {
  // The drop target needs OLE on this thread; start-up goes on whatever it answers.
  (void)OleInitialize(nullptr);
  state.ole_started = true;

  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (const auto folder = FolderToWorkIn(path, length)) {
    // Started from anywhere, the program works in its own folder; a failure changes nothing.
    (void)SetCurrentDirectoryA(folder->c_str());
  }

  state.ui_thread = GetCurrentThreadId();
}

void RegisterExitHook(ApplicationState& state, ExitHook hook) {
  if (std::find(state.exit_hooks.begin(), state.exit_hooks.end(), hook) == state.exit_hooks.end()) {
    state.exit_hooks.push_back(hook);
  }
}

int RunMessageLoop(ApplicationState& state) {
  state.window_layer.SetLoopRunning();
  if (!state.window_layer.AnyWindowAlive()) return 0;
  MSG message{};
  for (;;) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got == -1) return 0;
    if (state.window_layer.PreTranslate(message)) continue;
    (void)TranslateMessage(&message);
    (void)DispatchMessageA(&message);
  }
}

void ExitProcessing(ApplicationState& state) {
  state.ended = true;
  std::vector<ExitHook> hooks;
  hooks.swap(state.exit_hooks);
  for (ExitHook hook : hooks) hook();
  state.window_layer.Release();
  if (state.ole_started) OleUninitialize();
}

int RunProgram(HINSTANCE instance, std::span<const ui::WindowDescription> descriptions) {
  ApplicationState state(instance);
  SetUpWindowLayer(state);
  // Program-wide state: the program keeps none.
  RegisterExitHook(state, &ProgramExitHook);
  (void)ProgramStartUp();  // no work, and its 0 is not used
  if (state.window_layer.Load(descriptions, ui::kMainWindowNumber) == nullptr) {
    // Ends at once: the exit hooks are not run.
    ShowLoadFailure();
    return -1;
  }
  const int exit_code = RunMessageLoop(state);
  ExitProcessing(state);
  return exit_code;
}

}  // namespace quorvel::app
