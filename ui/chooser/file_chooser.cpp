#include "file_chooser.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <utility>

#include "chooser_filter.h"

namespace quorvel::ui {
namespace {

static_assert(sizeof(void*) == 8 ? kOpenFileNameSize == 136 : kOpenFileNameSize == 76,
              "OPENFILENAMEA without pvReserved, dwReserved and FlagsEx");
static_assert(kOpenFileNameSize == offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR));

std::string OrEmpty(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

const char* NullWhenEmpty(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

// Puts the dialog's frame in the middle of its owner's. The dialog is the hook dialog's parent
// (OFN_EXPLORER makes the hook dialog a child of the system's own).
void CentreOverOwner(HWND dialog, HWND owner) {
  RECT owner_rect{};
  RECT dialog_rect{};
  if (owner == nullptr || !GetWindowRect(owner, &owner_rect) || !GetWindowRect(dialog, &dialog_rect)) return;
  const LONG width = dialog_rect.right - dialog_rect.left;
  const LONG height = dialog_rect.bottom - dialog_rect.top;
  const LONG left = owner_rect.left + ((owner_rect.right - owner_rect.left) - width) / 2;
  const LONG top = owner_rect.top + ((owner_rect.bottom - owner_rect.top) - height) / 2;
  (void)SetWindowPos(dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

UINT_PTR CALLBACK DialogHook(HWND hook_dialog, UINT message, WPARAM, LPARAM lparam) {
  if (message == WM_NOTIFY) {
    const auto* notify = reinterpret_cast<const OFNOTIFYA*>(lparam);
    if (notify != nullptr && notify->hdr.code == CDN_INITDONE) {
      const HWND dialog = GetParent(hook_dialog);
      CentreOverOwner(dialog, GetWindow(dialog, GW_OWNER));
    }
  }
  // Zero everywhere: the system's dialog procedure does all the rest.
  return 0;
}

}  // namespace

FileChooser::FileChooser(const ChooserSettings& settings, HWND owner, HINSTANCE module, DialogFunction dialog)
    : dialog_title_(OrEmpty(settings.DialogTitle)),
      file_name_(OrEmpty(settings.FileName)),
      filter_(OrEmpty(settings.Filter)),
      filter_index_(settings.FilterIndex),
      initial_directory_(OrEmpty(settings.InitialDirectory)),
      default_extension_(OrEmpty(settings.DefaultExtension)),
      create_prompt_(settings.CreatePrompt),
      file_must_exist_(settings.FileMustExist),
      overwrite_prompt_(settings.OverwritePrompt),
      path_must_exist_(settings.PathMustExist),
      no_change_directory_(settings.NoChangeDirectory),
      owner_(owner),
      module_(module),
      dialog_(dialog ? std::move(dialog) : DialogFunction(&FileChooser::SystemDialog)) {}

DWORD FileChooser::Flags() const {
  DWORD flags = kAlwaysOpenFileFlags;
  if (create_prompt_) flags |= OFN_CREATEPROMPT;
  if (file_must_exist_) flags |= OFN_FILEMUSTEXIST;
  if (overwrite_prompt_) flags |= OFN_OVERWRITEPROMPT;
  if (path_must_exist_) flags |= OFN_PATHMUSTEXIST;
  if (no_change_directory_) flags |= OFN_NOCHANGEDIR;
  return flags;
}

bool FileChooser::Open() {
  const std::optional<std::string> filter = PrepareFilter(filter_);

  std::array<char, kFileBufferSize> file{};
  std::memcpy(file.data(), file_name_.data(), std::min(file_name_.size(), kFileBufferSize - 1));
  std::array<char, kFileTitleBufferSize> file_title{};

  OPENFILENAMEA record{};
  record.lStructSize = kOpenFileNameSize;
  record.hwndOwner = owner_;
  record.hInstance = module_;
  record.lpstrFilter = filter ? filter->c_str() : nullptr;
  // Unsigned arithmetic: FilterIndex may be the largest int32 without overflowing here.
  record.nFilterIndex = filter ? static_cast<DWORD>(std::max(filter_index_, std::int32_t{0})) + 1 : 0;
  record.lpstrFile = file.data();
  record.nMaxFile = static_cast<DWORD>(file.size());
  record.lpstrFileTitle = file_title.data();
  record.nMaxFileTitle = static_cast<DWORD>(file_title.size());
  record.lpstrInitialDir = NullWhenEmpty(initial_directory_);
  record.lpstrTitle = NullWhenEmpty(dialog_title_);
  record.Flags = Flags();
  record.lpstrDefExt = NullWhenEmpty(default_extension_);
  record.lpfnHook = &DialogHook;

  // While the dialog runs the owner must take no input; afterwards the user finds the focus
  // where it was before the button (or whatever) opened the dialog.
  const HWND focus = GetFocus();
  const bool disabled_here = owner_ != nullptr && IsWindowEnabled(owner_);
  if (disabled_here) (void)EnableWindow(owner_, FALSE);

  const BOOL confirmed = dialog_(record);

  if (disabled_here) (void)EnableWindow(owner_, TRUE);
  if (focus != nullptr && IsWindow(focus)) (void)SetFocus(focus);

  if (!confirmed) return false;
  // The buffer holds a NUL within its 260 bytes whenever the system reports success; the
  // bound guards against a dialog function that does not.
  file_name_.assign(file.data(), strnlen(file.data(), file.size()));
  return true;
}

}  // namespace quorvel::ui
