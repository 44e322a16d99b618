// The record the chooser hands to the system, seen through a dialog function of the test's own.
#include "file_chooser.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace quorvel::ui {
namespace {

using namespace std::string_literals;

ChooserSettings StoredSettings() {
  ChooserSettings s;
  s.DialogTitle = "";
  s.FileName = "";
  s.Filter = "*.exe";
  s.FilterIndex = 0;
  s.InitialDirectory = "";
  s.DefaultExtension = "";
  s.CreatePrompt = false;
  s.FileMustExist = true;
  s.OverwritePrompt = true;
  s.PathMustExist = true;
  s.NoChangeDirectory = false;
  return s;
}

// What the dialog function saw during the call: the record, and copies of what its pointers
// pointed at, since the buffers die with `Open`.
struct Seen {
  OPENFILENAMEA record{};
  std::string filter;  // up to and including the list's double NUL
  std::vector<char> file;
  std::vector<char> file_title;
  std::string title, initial_dir, def_ext;
  bool owner_enabled = true;
  int calls = 0;
};

// The type list as the dialog reads it: label and pattern pairs up to an empty label.
std::string ListBytes(const char* list) {
  if (list == nullptr) return {};
  const char* p = list;
  while (*p != '\0') {
    p += std::strlen(p) + 1;  // label
    p += std::strlen(p) + 1;  // pattern
  }
  return std::string(list, static_cast<std::size_t>(p - list) + 1);
}

std::string OrNull(const char* text) { return text == nullptr ? "(null)" : text; }

// A top-level owner with a text box that holds the focus, as the program's window has.
class OwnerWindow {
 public:
  OwnerWindow() {
    window_ = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 400, 377, 197,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    edit_ = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 8, 8, 200, 24, window_, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    other_ = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 8, 40, 200, 24, window_, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    (void)SetForegroundWindow(window_);
    (void)SetFocus(edit_);
  }
  ~OwnerWindow() { (void)DestroyWindow(window_); }
  OwnerWindow(const OwnerWindow&) = delete;
  OwnerWindow& operator=(const OwnerWindow&) = delete;

  HWND window() const { return window_; }
  HWND edit() const { return edit_; }
  HWND other() const { return other_; }

 private:
  HWND window_;
  HWND edit_;
  HWND other_;
};

class FileChooserTest : public ::testing::Test {
 protected:
  // A dialog function that records the record and then does what `act` says.
  FileChooser::DialogFunction Capture(std::function<BOOL(OPENFILENAMEA&)> act = nullptr) {
    return [this, act](OPENFILENAMEA& r) -> BOOL {
      ++seen_.calls;
      seen_.record = r;
      seen_.filter = ListBytes(r.lpstrFilter);
      seen_.file.assign(r.lpstrFile, r.lpstrFile + r.nMaxFile);
      seen_.file_title.assign(r.lpstrFileTitle, r.lpstrFileTitle + r.nMaxFileTitle);
      seen_.title = OrNull(r.lpstrTitle);
      seen_.initial_dir = OrNull(r.lpstrInitialDir);
      seen_.def_ext = OrNull(r.lpstrDefExt);
      seen_.owner_enabled = IsWindowEnabled(owner_.window()) != FALSE;
      return act ? act(r) : FALSE;
    };
  }

  static void WritePath(OPENFILENAMEA& r, const std::string& path) {
    ASSERT_LT(path.size(), r.nMaxFile);
    std::memcpy(r.lpstrFile, path.c_str(), path.size() + 1);
  }

  OwnerWindow owner_;
  HINSTANCE module_ = GetModuleHandleA(nullptr);
  Seen seen_;
};

TEST_F(FileChooserTest, StoredSettingsFillTheRecordField_ByField) {
  FileChooser chooser(StoredSettings(), owner_.window(), module_, Capture());
  EXPECT_FALSE(chooser.Open());
  ASSERT_EQ(seen_.calls, 1);
  const OPENFILENAMEA& r = seen_.record;

  // The record without pvReserved, dwReserved and FlagsEx, on this build's own architecture.
  EXPECT_EQ(r.lStructSize, sizeof(void*) == 8 ? 136u : 76u);
  EXPECT_EQ(r.hwndOwner, owner_.window());
  EXPECT_EQ(r.hInstance, module_);
  EXPECT_EQ(seen_.filter, "*.exe\0\0\0"s);
  EXPECT_EQ(r.lpstrCustomFilter, nullptr);
  EXPECT_EQ(r.nMaxCustFilter, 0u);
  EXPECT_EQ(r.nFilterIndex, 1u);
  EXPECT_EQ(r.nMaxFile, 260u);
  EXPECT_EQ(seen_.file, std::vector<char>(260, '\0'));
  EXPECT_EQ(r.nMaxFileTitle, 64u);
  EXPECT_EQ(seen_.file_title, std::vector<char>(64, '\0'));
  EXPECT_EQ(r.lpstrInitialDir, nullptr);
  EXPECT_EQ(r.lpstrTitle, nullptr);
  EXPECT_EQ(r.Flags, 0x00881826u);
  EXPECT_EQ(r.nFileOffset, 0u);
  EXPECT_EQ(r.nFileExtension, 0u);
  EXPECT_EQ(r.lpstrDefExt, nullptr);
  EXPECT_EQ(r.lCustData, 0);
  EXPECT_NE(r.lpfnHook, nullptr);
  EXPECT_EQ(r.lpTemplateName, nullptr);
  EXPECT_EQ(r.Flags & OFN_ALLOWMULTISELECT, 0u);
}

struct SettingsCase {
  const char* name;
  void (*change)(ChooserSettings&);
  DWORD flags;
  DWORD filter_index;
  std::string filter;  // "(null)" when no filter is given
  std::string title, initial_dir, def_ext;
};

class FileChooserSettingsTest : public FileChooserTest, public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(FileChooserSettingsTest, SettingsReachTheRecord) {
  const SettingsCase& c = GetParam();
  ChooserSettings settings = StoredSettings();
  c.change(settings);
  FileChooser chooser(settings, owner_.window(), module_, Capture());
  EXPECT_FALSE(chooser.Open());
  EXPECT_EQ(seen_.record.Flags, c.flags);
  EXPECT_EQ(seen_.record.nFilterIndex, c.filter_index);
  EXPECT_EQ(seen_.record.lpstrFilter == nullptr ? "(null)"s : seen_.filter, c.filter);
  EXPECT_EQ(seen_.title, c.title);
  EXPECT_EQ(seen_.initial_dir, c.initial_dir);
  EXPECT_EQ(seen_.def_ext, c.def_ext);
}

constexpr DWORD kAlways = 0x00880024;  // OFN_HIDEREADONLY | OFN_ENABLEHOOK | OFN_EXPLORER | OFN_ENABLESIZING

INSTANTIATE_TEST_SUITE_P(
    Table, FileChooserSettingsTest,
    ::testing::Values(
        SettingsCase{"Stored", [](ChooserSettings&) {}, 0x00881826, 1, "*.exe\0\0\0"s, "(null)", "(null)", "(null)"},
        SettingsCase{"NoFlagSettings",
                     [](ChooserSettings& s) { s.FileMustExist = s.OverwritePrompt = s.PathMustExist = false; },
                     kAlways, 1, "*.exe\0\0\0"s, "(null)", "(null)", "(null)"},
        SettingsCase{"CreatePrompt", [](ChooserSettings& s) { s.CreatePrompt = true; }, 0x00881826 | OFN_CREATEPROMPT,
                     1, "*.exe\0\0\0"s, "(null)", "(null)", "(null)"},
        SettingsCase{"NoChangeDirectory", [](ChooserSettings& s) { s.NoChangeDirectory = true; },
                     0x00881826 | OFN_NOCHANGEDIR, 1, "*.exe\0\0\0"s, "(null)", "(null)", "(null)"},
        SettingsCase{"Texts",
                     [](ChooserSettings& s) {
                       s.DialogTitle = "\xB4\xF2\xBF\xAA";  // "打开"
                       s.InitialDirectory = "C:\\windows";
                       s.DefaultExtension = "exe";
                     },
                     0x00881826, 1, "*.exe\0\0\0"s, "\xB4\xF2\xBF\xAA", "C:\\windows", "exe"},
        SettingsCase{"ThirdEntry", [](ChooserSettings& s) { s.Filter = "A|*.a|B|*.b|C|*.c"; s.FilterIndex = 2; },
                     0x00881826, 3, "A\0*.a\0B\0*.b\0C\0*.c\0\0"s, "(null)", "(null)", "(null)"},
        SettingsCase{"NegativeIndexCountsAsFirst", [](ChooserSettings& s) { s.FilterIndex = -5; }, 0x00881826, 1,
                     "*.exe\0\0\0"s, "(null)", "(null)", "(null)"},
        SettingsCase{"LargestIndex", [](ChooserSettings& s) { s.FilterIndex = 0x7FFFFFFF; }, 0x00881826,
                     0x80000000, "*.exe\0\0\0"s, "(null)", "(null)", "(null)"},
        SettingsCase{"NoFilterNoIndex", [](ChooserSettings& s) { s.Filter = "   "; s.FilterIndex = 3; }, 0x00881826,
                     0, "(null)", "(null)", "(null)", "(null)"},
        SettingsCase{"NullTexts",
                     [](ChooserSettings& s) {
                       s.DialogTitle = s.FileName = s.Filter = s.InitialDirectory = s.DefaultExtension = nullptr;
                     },
                     0x00881826, 0, "(null)", "(null)", "(null)", "(null)"}),
    [](const ::testing::TestParamInfo<SettingsCase>& row) { return std::string(row.param.name); });

TEST_F(FileChooserTest, FileBufferHoldsFileNameCutTo259Bytes) {
  struct Case {
    std::string file_name;
    std::size_t kept;
  };
  for (const Case& c : {Case{"C:\\a.exe", 8}, Case{std::string(259, 'x'), 259}, Case{std::string(300, 'y'), 259}}) {
    SCOPED_TRACE(c.file_name.size());
    std::string given = c.file_name;
    ChooserSettings settings = StoredSettings();
    settings.FileName = given.c_str();
    FileChooser chooser(settings, owner_.window(), module_, Capture());
    EXPECT_FALSE(chooser.Open());
    std::vector<char> expected(260, '\0');
    std::memcpy(expected.data(), c.file_name.data(), c.kept);
    EXPECT_EQ(seen_.file, expected);
  }
}

TEST_F(FileChooserTest, FileNameIsReplacedOnlyWhenTheUserConfirms) {
  const std::string first = "C:\\Program Files\\\xB3\xCC\xD0\xF2.exe";  // "程序.exe"
  const std::string second = "D:\\tools\\b.exe";
  BOOL answer = TRUE;
  std::string written = first;
  FileChooser chooser(StoredSettings(), owner_.window(), module_, Capture([&](OPENFILENAMEA& r) {
                        WritePath(r, written);
                        return answer;
                      }));
  EXPECT_EQ(chooser.FileName(), "");

  EXPECT_TRUE(chooser.Open());
  EXPECT_EQ(chooser.FileName(), first);

  // A cancelled dialog may leave anything in the buffer; none of it is taken.
  answer = FALSE;
  written = second;
  EXPECT_FALSE(chooser.Open());
  EXPECT_EQ(chooser.FileName(), first);
  // The next dialog starts from the path confirmed last.
  EXPECT_EQ(std::string(seen_.file.data()), first);

  answer = TRUE;
  EXPECT_TRUE(chooser.Open());
  EXPECT_EQ(chooser.FileName(), second);
  EXPECT_EQ(std::string(seen_.file.data()), first);
}

TEST_F(FileChooserTest, APathLongerThan259BytesIsRefusedAndFileNameKept) {
  bool too_long = false;
  FileChooser chooser(StoredSettings(), owner_.window(), module_, Capture([&](OPENFILENAMEA& r) -> BOOL {
                        if (!too_long) {
                          WritePath(r, "C:\\kept.exe");
                          return TRUE;
                        }
                        // What the system does when the chosen path does not fit: the size it
                        // would need in the first two bytes of the buffer, FNERR_BUFFERTOOSMALL,
                        // and a zero result.
                        const WORD needed = 301;
                        std::memcpy(r.lpstrFile, &needed, sizeof needed);
                        return FALSE;
                      }));
  ASSERT_TRUE(chooser.Open());
  too_long = true;
  EXPECT_FALSE(chooser.Open());
  EXPECT_EQ(chooser.FileName(), "C:\\kept.exe");
}

TEST_F(FileChooserTest, OwnerIsDisabledDuringTheCallAndFocusComesBack) {
  FileChooser chooser(StoredSettings(), owner_.window(), module_, Capture([&](OPENFILENAMEA&) {
                        // A dialog takes the focus while it runs.
                        (void)EnableWindow(owner_.window(), TRUE);
                        (void)SetFocus(owner_.other());
                        (void)EnableWindow(owner_.window(), FALSE);
                        return FALSE;
                      }));
  ASSERT_EQ(GetFocus(), owner_.edit());
  EXPECT_FALSE(chooser.Open());
  EXPECT_FALSE(seen_.owner_enabled);
  EXPECT_TRUE(IsWindowEnabled(owner_.window()));
  EXPECT_EQ(GetFocus(), owner_.edit());
}

TEST_F(FileChooserTest, AnOwnerDisabledBeforehandStaysDisabled) {
  (void)EnableWindow(owner_.window(), FALSE);
  FileChooser chooser(StoredSettings(), owner_.window(), module_, Capture());
  EXPECT_FALSE(chooser.Open());
  EXPECT_FALSE(seen_.owner_enabled);
  EXPECT_FALSE(IsWindowEnabled(owner_.window()));
}

TEST_F(FileChooserTest, FocusIsNotGivenToAWindowThatIsGone) {
  HWND focused = owner_.edit();
  FileChooser chooser(StoredSettings(), owner_.window(), module_, Capture([&](OPENFILENAMEA&) {
                        (void)EnableWindow(owner_.window(), TRUE);
                        (void)SetFocus(owner_.other());
                        (void)DestroyWindow(focused);
                        return FALSE;
                      }));
  ASSERT_EQ(GetFocus(), focused);
  EXPECT_FALSE(chooser.Open());
  EXPECT_FALSE(IsWindow(focused));
  EXPECT_EQ(GetFocus(), owner_.other());
}

TEST_F(FileChooserTest, WithoutAnOwnerTheRecordHasNone) {
  FileChooser chooser(StoredSettings(), nullptr, module_, Capture());
  EXPECT_FALSE(chooser.Open());
  EXPECT_EQ(seen_.record.hwndOwner, nullptr);
  EXPECT_TRUE(IsWindowEnabled(owner_.window()));
  chooser.SetOwner(owner_.window());
  EXPECT_FALSE(chooser.Open());
  EXPECT_EQ(seen_.record.hwndOwner, owner_.window());
}

// The hook, called as the system calls it: the explorer-style dialog is the parent of the
// hook's dialog, and CDN_INITDONE arrives as WM_NOTIFY.
TEST_F(FileChooserTest, HookCentresTheDialogOverItsOwnerWhenInitialisationIsDone) {
  HWND dialog = nullptr;
  FileChooser chooser(StoredSettings(), owner_.window(), module_, Capture([&](OPENFILENAMEA& r) {
                        dialog = CreateWindowExA(0, "STATIC", "dialog", WS_POPUP | WS_VISIBLE, 10, 20, 563, 417,
                                                 owner_.window(), nullptr, module_, nullptr);
                        HWND hook_dialog = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, dialog,
                                                           nullptr, module_, nullptr);
                        OFNOTIFYA other{};
                        other.hdr = NMHDR{hook_dialog, 0, static_cast<UINT>(CDN_SELCHANGE)};
                        other.lpOFN = &r;
                        (void)r.lpfnHook(hook_dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&other));
                        RECT unmoved{};
                        (void)GetWindowRect(dialog, &unmoved);
                        EXPECT_EQ(unmoved.left, 10);
                        EXPECT_EQ(unmoved.top, 20);

                        OFNOTIFYA done = other;
                        done.hdr.code = static_cast<UINT>(CDN_INITDONE);
                        EXPECT_EQ(r.lpfnHook(hook_dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&done)), 0u);
                        return FALSE;
                      }));
  EXPECT_FALSE(chooser.Open());
  ASSERT_NE(dialog, nullptr);
  RECT owner_rect{};
  RECT dialog_rect{};
  ASSERT_TRUE(GetWindowRect(owner_.window(), &owner_rect));
  ASSERT_TRUE(GetWindowRect(dialog, &dialog_rect));
  EXPECT_EQ(dialog_rect.right - dialog_rect.left, 563);
  EXPECT_EQ(dialog_rect.bottom - dialog_rect.top, 417);
  // 700 + (377 - 563) / 2 and 400 + (197 - 417) / 2, rounded toward zero.
  EXPECT_EQ(dialog_rect.left, owner_rect.left + (377 - 563) / 2);
  EXPECT_EQ(dialog_rect.top, owner_rect.top + (197 - 417) / 2);
  (void)DestroyWindow(dialog);
}

}  // namespace
}  // namespace quorvel::ui
