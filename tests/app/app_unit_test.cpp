// The start routine's pieces, run in the test process.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "application.h"
#include "main_window/window_description.h"
#include "temp_dir.h"
#include "window_test_support.h"

namespace quorvel::app {
namespace {

TEST(ExecutableFolder, CutsAtTheLastBackslash) {
  struct Case {
    const char* path;
    const char* folder;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Quorvel\\quorvel.exe", "C:\\Program Files\\Quorvel"},
      {"C:\\quorvel.exe", "C:"},
      {"\\\\server\\share\\quorvel.exe", "\\\\server\\share"},
      {"quorvel.exe", ""},
      {"", ""},
      {"C:\\dir\\", "C:\\dir"},
  };
  for (const Case& c : cases) EXPECT_EQ(ExecutableFolder(c.path), c.folder) << c.path;
}

TEST(ExecutableFolder, ASecondByteIsNeverTakenForABackslash) {
  if (GetACP() != 936) GTEST_SKIP() << "needs the GBK code page, not " << GetACP();
  // 0x81 0x5C is one GBK character whose second byte is the backslash's value.
  EXPECT_EQ(ExecutableFolder("C:\\\xD6\xD0\\a\x81\x5C" "b.exe"), "C:\\\xD6\xD0");
  EXPECT_EQ(ExecutableFolder("a\x81\x5C" "b.exe"), "");
  EXPECT_EQ(ExecutableFolder("C:\\a\x81\x5C\\b.exe"), "C:\\a\x81\x5C");
}

// A module path that filled GetModuleFileNameA's whole buffer was cut short; its cut would
// name another folder, so the current directory is left alone.
TEST(FolderToWorkIn, OnlyACompletePathGivesAFolder) {
  const std::string whole = "C:\\tools\\quorvel.exe";
  EXPECT_EQ(FolderToWorkIn(whole.c_str(), static_cast<DWORD>(whole.size())), std::optional<std::string>("C:\\tools"));
  EXPECT_EQ(FolderToWorkIn("", 0), std::nullopt);
  const std::string cut = "C:\\" + std::string(200, 'd') + "\\" + std::string(MAX_PATH - 205, 'e');
  ASSERT_EQ(cut.size(), static_cast<std::size_t>(MAX_PATH - 1));
  EXPECT_EQ(FolderToWorkIn(cut.c_str(), MAX_PATH), std::nullopt);
  EXPECT_EQ(FolderToWorkIn(cut.c_str(), MAX_PATH - 1), std::optional<std::string>("C:\\" + std::string(200, 'd')));
}

std::vector<int> calls;
void HookA() { calls.push_back(1); }
void HookB() { calls.push_back(2); }

TEST(ExitProcessing, HooksRunOnceInOrderOfRegistrationThenAreForgotten) {
  calls.clear();
  ApplicationState state(GetModuleHandleA(nullptr));
  RegisterExitHook(state, &HookB);
  RegisterExitHook(state, &HookA);
  RegisterExitHook(state, &HookB);  // already there
  EXPECT_EQ(state.exit_hooks.size(), 2u);
  ExitProcessing(state);
  EXPECT_EQ(calls, (std::vector<int>{2, 1}));
  EXPECT_TRUE(state.ended);
  EXPECT_TRUE(state.exit_hooks.empty());
  ExitProcessing(state);
  EXPECT_EQ(calls.size(), 2u);
}

// Whether OLE is still initialised on this thread: a further initialisation then answers S_FALSE.
bool OleStillInitialised() {
  const HRESULT again = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (SUCCEEDED(again)) CoUninitialize();
  return again == S_FALSE;
}

TEST(ExitProcessing, OleIsUninitialisedOnlyWhenItWasStarted) {
  for (const bool started : {false, true}) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ApplicationState state(GetModuleHandleA(nullptr));
    state.ole_started = started;
    ExitProcessing(state);
    EXPECT_EQ(OleStillInitialised(), !started) << "started " << started;
    if (!started) OleUninitialize();
  }
}

TEST(WindowLayerSetUp, StartsOleAndWorksInTheExecutablesFolder) {
  testing::TempDir elsewhere;
  ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.path().string().c_str()));
  ApplicationState state(GetModuleHandleA(nullptr));
  SetUpWindowLayer(state);
  EXPECT_TRUE(state.ole_started);
  EXPECT_TRUE(OleStillInitialised());
  EXPECT_EQ(state.ui_thread, GetCurrentThreadId());

  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, current);
  EXPECT_EQ(lstrcmpiA(current, ExecutableFolder(exe).c_str()), 0) << current;
  ExitProcessing(state);
  EXPECT_FALSE(OleStillInitialised());
}

TEST(MessageLoop, ReturnsAtOnceWhenNoWindowIsAlive) {
  ApplicationState state(GetModuleHandleA(nullptr));
  PostQuitMessage(9);  // would be taken if the loop waited for messages
  EXPECT_EQ(RunMessageLoop(state), 0);
  EXPECT_TRUE(state.window_layer.LoopRunning());
  MSG left{};
  EXPECT_TRUE(PeekMessageA(&left, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(MessageLoop, EndsWhenTheWindowIsClosedWithTheQuitCode) {
  testing::Watchdog watchdog(std::chrono::seconds(30));  // a lost quit message would hang here
  ApplicationState state(GetModuleHandleA(nullptr));
  ui::MainWindow* window = state.window_layer.Load(ui::BuiltInDescriptions(), ui::kMainWindowNumber);
  ASSERT_NE(window, nullptr);
  PostMessageA(window->Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(RunMessageLoop(state), 0);
  EXPECT_FALSE(state.window_layer.AnyWindowAlive());

  // The loop's result is the quit message's code.
  window = state.window_layer.Load(ui::BuiltInDescriptions(), ui::kMainWindowNumber);
  ASSERT_NE(window, nullptr);
  PostQuitMessage(5);
  EXPECT_EQ(RunMessageLoop(state), 5);
  ExitProcessing(state);
  MSG left{};
  (void)PeekMessageA(&left, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

}  // namespace
}  // namespace quorvel::app
