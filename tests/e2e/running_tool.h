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
#include "win32_process.h"

namespace quorvel {

using testing::ChildProcess;
using testing::TextOf;
using testing::WaitUntil;

inline std::string TitleFor(const char* digits) { return std::string(ui::kTitlePrefix) + digits + ui::kSuffix; }
inline std::string CaptionFor(const char* digits) { return std::string(ui::kCaptionPrefix) + digits + ui::kSuffix; }

inline int ChildIdOf(std::uint32_t entry_number) {
  const auto& controls = ui::MainWindowDescription().controls;
  // Controls are created in the reverse of the list order, and numbered in creation order.
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (controls[i].number == entry_number) return ui::ChildIdForCreationIndex(controls.size() - 1 - i);
  }
  return -1;
}

// One running quorvel.exe with handles on the windows the tests look at.
class RunningTool : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tool_.Start("\"" + testing::WindowsPathOf(QUORVEL_EXE) + "\""));
    main_ = tool_.WaitForWindow(ui::kMainWindowClass);
    ASSERT_NE(main_, nullptr) << "quorvel.exe showed no main window";
    edit_ = GetDlgItem(main_, ChildIdOf(ui::entry::编辑框1));
    button_ = GetDlgItem(main_, ChildIdOf(ui::entry::按钮1));
    label_ = GetDlgItem(main_, ChildIdOf(ui::entry::透明标签1));
    ASSERT_TRUE(edit_ && button_ && label_);
  }

  void TearDown() override {
    if (IsWindow(main_)) {
      PostMessageA(main_, WM_CLOSE, 0, 0);
      EXPECT_EQ(tool_.WaitForExit(), 0u) << "closing the window must end the process with exit code 0";
    }
  }

  // The open-file dialog the button opened, owned by the main window.
  HWND WaitForDialog() {
    HWND dialog = nullptr;
    WaitUntil([&] {
      for (HWND window : testing::TopLevelWindowsOf(tool_.id(), "#32770")) {
        if (GetWindow(window, GW_OWNER) == main_ && IsWindowVisible(window)) {
          dialog = window;
          return true;
        }
      }
      return false;
    });
    return dialog;
  }

  // Clicks the button and answers the dialog: with a path typed into its file-name box and OK,
  // or with Cancel when the path is null. Returns once the handler has run to its end.
  void ChooseInDialog(const char* path) {
    // Posted, not sent: the click opens a modal dialog, and a sent message would wait for it.
    PostMessageA(button_, BM_CLICK, 0, 0);
    HWND dialog = WaitForDialog();
    ASSERT_NE(dialog, nullptr) << "the button opened no dialog";
    if (path != nullptr) {
      // The file-name box is a combo box (cmb13) in some versions of the dialog and an edit box
      // (edt1) in others, Wine's among them when a hook is set.
      HWND box = GetDlgItem(dialog, 0x47C);
      if (box == nullptr) box = GetDlgItem(dialog, 0x480);
      ASSERT_NE(box, nullptr) << "the dialog has no file-name box";
      SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path));
      PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    } else {
      PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    }
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); })) << "the dialog did not close";
    // The handler runs on the window's thread right after the dialog; a sent message is only
    // answered once it is done.
    SendMessageA(main_, WM_NULL, 0, 0);
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
  HWND main_ = nullptr;
  HWND edit_ = nullptr;
  HWND button_ = nullptr;
  HWND label_ = nullptr;
};

}  // namespace quorvel
