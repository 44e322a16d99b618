// The file chooser component: the system's open-file dialog over an owner window, keeping the
// path the user confirmed last.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <cstddef>
#include <functional>
#include <string>

#include "chooser_settings.h"

namespace quorvel::ui {

// The size the dialog is told its record has: OPENFILENAMEA without its last three fields
// (pvReserved, dwReserved, FlagsEx). That record is 76 bytes on a 32-bit build and 136 on a
// 64-bit one; a fixed 76 on x86-64 makes GetOpenFileNameA fail with CDERR_STRUCTSIZE.
inline constexpr DWORD kOpenFileNameSize = static_cast<DWORD>(offsetof(OPENFILENAMEA, pvReserved));

// The flags the dialog always gets, whatever the settings say.
inline constexpr DWORD kAlwaysOpenFileFlags = OFN_HIDEREADONLY | OFN_ENABLEHOOK | OFN_EXPLORER | OFN_ENABLESIZING;

inline constexpr std::size_t kFileBufferSize = 260;   // MAX_PATH: a path of at most 259 bytes
inline constexpr std::size_t kFileTitleBufferSize = 64;

class FileChooser {
 public:
  // Runs the modal dialog over the filled record; nonzero when the user confirmed a file.
  // Tests put a function of their own here to see the record without a dialog on screen.
  using DialogFunction = std::function<BOOL(OPENFILENAMEA&)>;

  static BOOL SystemDialog(OPENFILENAMEA& record) { return GetOpenFileNameA(&record); }

  FileChooser(const ChooserSettings& settings, HWND owner, HINSTANCE module,
              DialogFunction dialog = &FileChooser::SystemDialog);

  // The owner can come into being after the chooser (the window creates its components
  // before it is fully built); the dialog is owned by whatever window is set at `Open`.
  void SetOwner(HWND owner) { owner_ = owner; }
  HWND Owner() const { return owner_; }
  // Puts another dialog function in place, as tests of the chooser's callers do.
  void SetDialogFunction(DialogFunction dialog) { dialog_ = std::move(dialog); }

  // Shows the dialog modally. True when the user confirmed a file, whose full path `FileName`
  // then holds; false otherwise, with `FileName` as it was.
  [[nodiscard]] bool Open();

  // The path confirmed last; the stored text until the first confirmed `Open`.
  const std::string& FileName() const { return file_name_; }

  // The flags that the settings give (0x00881826 for the stored ones).
  [[nodiscard]] DWORD Flags() const;

 private:
  std::string dialog_title_;
  std::string file_name_;
  std::string filter_;
  std::int32_t filter_index_;
  std::string initial_directory_;
  std::string default_extension_;
  bool create_prompt_;
  bool file_must_exist_;
  bool overwrite_prompt_;
  bool path_must_exist_;
  bool no_change_directory_;

  HWND owner_;
  HINSTANCE module_;
  DialogFunction dialog_;
};

}  // namespace quorvel::ui
