// One running quorvel.exe, started by the test and driven from the test's own process.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "main_window/main_window.h"
#include "main_window/window_description.h"
#include "pe_fixtures.h"
#include "temp_dir.h"
#include "texts.h"
#include "tool_driver.h"
#include "win32_process.h"

namespace quorvel {

using testing::ChildProcess;
using testing::TextOf;
using testing::WaitUntil;

inline std::string TitleFor(const char* digits) { return std::string(ui::kTitlePrefix) + digits + ui::kSuffix; }
inline std::string CaptionFor(const char* digits) { return std::string(ui::kCaptionPrefix) + digits + ui::kSuffix; }

class RunningTool : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tool_.Start("\"" + testing::WindowsPathOf(QUORVEL_EXE) + "\""));
    main_ = tool_.WaitForWindow(ui::kMainWindowClass);
    ASSERT_NE(main_, nullptr) << "quorvel.exe showed no main window";
    windows_ = e2e::ToolWindows::Of(main_);
    ASSERT_TRUE(windows_.complete());
    edit_ = windows_.edit;
    button_ = windows_.button;
    label_ = windows_.label;
  }

  void TearDown() override {
    if (IsWindow(main_)) {
      PostMessageA(main_, WM_CLOSE, 0, 0);
      EXPECT_EQ(tool_.WaitForExit(), 0u) << "closing the window must end the process with exit code 0";
    }
  }

  // Clicks the button and answers the dialog with the path, or cancels it when the path is null.
  void ChooseInDialog(const char* path) {
    const std::string trouble = e2e::ChooseInDialog(windows_, path);
    ASSERT_TRUE(trouble.empty()) << trouble;
  }

  std::string Title() const {
    char text[256] = {};
    GetWindowTextA(main_, text, sizeof text);
    return text;
  }
  std::string Caption() const {
    char text[256] = {};
    GetWindowTextA(label_, text, sizeof text);
    return text;
  }

  testing::TempDir dir_;
  ChildProcess tool_;
  e2e::ToolWindows windows_;
  HWND main_ = nullptr;
  HWND edit_ = nullptr;
  HWND button_ = nullptr;
  HWND label_ = nullptr;
};

}  // namespace quorvel
