// Driving a running quorvel.exe from another process, as the end-to-end tests and the screenshot
// script do: its windows, and a click on its button answered in the open-file dialog.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "main_window/main_window.h"
#include "main_window/window_description.h"
#include "win32_process.h"

namespace quorvel::e2e {

// The child-window identifier of a control: controls are created in the reverse of the list
// order and numbered in creation order.
inline int ChildIdOf(std::uint32_t entry_number) {
  const auto& controls = ui::MainWindowDescription().controls;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (controls[i].number == entry_number) return ui::ChildIdForCreationIndex(controls.size() - 1 - i);
  }
  return -1;
}

struct ToolWindows {
  HWND main = nullptr;
  HWND edit = nullptr;
  HWND button = nullptr;
  HWND label = nullptr;

  static ToolWindows Of(HWND main_window) {
    return {main_window, GetDlgItem(main_window, ChildIdOf(ui::entry::编辑框1)),
            GetDlgItem(main_window, ChildIdOf(ui::entry::按钮1)),
            GetDlgItem(main_window, ChildIdOf(ui::entry::透明标签1))};
  }
  bool complete() const { return main && edit && button && label; }
  DWORD process() const {
    DWORD id = 0;
    GetWindowThreadProcessId(main, &id);
    return id;
  }
};

// The open-file dialog that the button opened, owned by the main window; null when none came.
inline HWND WaitForOpenDialog(const ToolWindows& tool) {
  HWND dialog = nullptr;
  testing::WaitUntil([&] {
    for (HWND window : testing::TopLevelWindowsOf(tool.process(), "#32770")) {
      if (GetWindow(window, GW_OWNER) == tool.main && IsWindowVisible(window)) {
        dialog = window;
        return true;
      }
    }
    return false;
  });
  return dialog;
}

// Clicks the button and answers the dialog: with the path typed into its file-name box and OK,
// or with Cancel when the path is null. Returns once the click's handler has run to its end; the
// text says what went wrong, empty when nothing did.
inline std::string ChooseInDialog(const ToolWindows& tool, const char* path) {
  // Posted, not sent: the click opens a modal dialog, and a sent message would wait for it.
  PostMessageA(tool.button, BM_CLICK, 0, 0);
  HWND dialog = WaitForOpenDialog(tool);
  if (dialog == nullptr) return "the button opened no dialog";
  if (path != nullptr) {
    // The file-name box is a combo box (cmb13) in some versions of the dialog and an edit box
    // (edt1) in others, Wine's among them when a hook is set.
    HWND box = GetDlgItem(dialog, 0x47C);
    if (box == nullptr) box = GetDlgItem(dialog, 0x480);
    if (box == nullptr) return "the dialog has no file-name box";
    SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path));
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  } else {
    PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
  }
  if (!testing::WaitUntil([&] { return !IsWindow(dialog); })) return "the dialog did not close";
  // The handler runs on the window's thread right after the dialog; a sent message is only
  // answered once it is done.
  SendMessageA(tool.main, WM_NULL, 0, 0);
  return {};
}

}  // namespace quorvel::e2e
