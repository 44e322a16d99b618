// Helpers for tests that build real windows in the test process: a watchdog, a message pump
// that goes through the window layer's pre-translation as the program's loop does, and a
// window loaded from a copy of the description.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "main_window/main_window.h"
#include "main_window/window_description.h"

namespace quorvel::testing {

// Ends the whole test process with a clear message when a test hangs (a modal loop, a lost
// message), well before CTest's own time limit.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit) : thread_([this, limit] { Run(limit); }) {}
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;
  ~Watchdog() {
    done_ = true;
    thread_.join();
  }

 private:
  void Run(std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done_) {
      if (std::chrono::steady_clock::now() > end) {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::fprintf(stderr, "watchdog: %s.%s hung for %lld s; ending the test process\n",
                     info != nullptr ? info->test_suite_name() : "?", info != nullptr ? info->name() : "?",
                     static_cast<long long>(limit.count()));
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }

  std::atomic<bool> done_{false};
  std::thread thread_;
};

// Delivers the thread's messages as the program's loop does until `done` holds or the time is
// up; true when `done` held.
inline bool PumpUntil(ui::WindowLayer& layer, const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::milliseconds(3000)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE) {
      if (msg.message == WM_QUIT) continue;
      if (layer.PreTranslate(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (done()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    (void)MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

// Delivers whatever arrives for a while.
inline void Pump(ui::WindowLayer& layer, std::chrono::milliseconds time = std::chrono::milliseconds(100)) {
  (void)PumpUntil(layer, [] { return false; }, time);
}

inline std::string TextOf(HWND hwnd) {
  char buffer[1024] = {};
  const int n = GetWindowTextA(hwnd, buffer, static_cast<int>(sizeof buffer));
  return std::string(buffer, static_cast<std::size_t>(n > 0 ? n : 0));
}

// Sets or clears the modifier keys as the thread sees them, for posted key messages.
inline void HoldModifiers(bool ctrl, bool shift, bool alt) {
  BYTE state[256] = {};
  (void)GetKeyboardState(state);
  state[VK_CONTROL] = ctrl ? 0x80 : 0;
  state[VK_LCONTROL] = ctrl ? 0x80 : 0;
  state[VK_SHIFT] = shift ? 0x80 : 0;
  state[VK_LSHIFT] = shift ? 0x80 : 0;
  state[VK_MENU] = alt ? 0x80 : 0;
  state[VK_LMENU] = alt ? 0x80 : 0;
  (void)SetKeyboardState(state);
}

// A key press as the keyboard would post it to the focused window.
inline void PostKey(HWND target, WPARAM key, bool alt = false) {
  const UINT scan = MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
  const std::uint32_t down_bits = 1u | (scan << 16) | (alt ? (1u << 29) : 0u);
  const std::uint32_t up_bits = down_bits | (1u << 30) | (1u << 31);
  const auto down = static_cast<LPARAM>(static_cast<std::int32_t>(down_bits));
  const auto up = static_cast<LPARAM>(static_cast<std::int32_t>(up_bits));
  PostMessageA(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, down);
  PostMessageA(target, alt ? WM_SYSKEYUP : WM_KEYUP, key, up);
}

}  // namespace quorvel::testing

namespace quorvel::testing {

// Loads the main window from a description (by default the built-in one) with the test
// process as the module that holds DEFAULT_ICON, and waits until it is shown and active.
class MainWindowTest : public ::testing::Test {
 protected:
  void LoadWindow(const ui::WindowDescription& description = ui::MainWindowDescription()) {
    description_ = description;
    window_ = layer_.Load({&description_, 1}, ui::kMainWindowNumber);
    ASSERT_NE(window_, nullptr) << "the main window did not load";
    ASSERT_TRUE(PumpUntil(layer_, [this] { return GetForegroundWindow() == window_->Handle() && GetFocus() != nullptr; }))
        << "the main window was not activated";
  }
  void TearDown() override {
    layer_.Release();
    HoldModifiers(false, false, false);
    Pump(layer_, std::chrono::milliseconds(20));
  }

  HWND Main() const { return window_->Handle(); }
  HWND Control(std::uint32_t number) const { return window_->ControlHandle(number); }

  // Below CTest's limit of 180 s for each test, with room for a slow machine.
  Watchdog watchdog_{std::chrono::seconds(150)};
  ui::WindowLayer layer_{GetModuleHandleA(nullptr)};
  ui::WindowDescription description_ = ui::MainWindowDescription();
  ui::MainWindow* window_ = nullptr;
};

}  // namespace quorvel::testing
