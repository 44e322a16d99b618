// The system's own open-file dialog, driven from a second thread while `Open` runs it modally
// on the test's thread, as the program's button would.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "file_chooser.h"
#include "temp_dir.h"

namespace quorvel::ui {
namespace {

using namespace std::chrono_literals;

// The file-name box of the explorer-style dialog: cmb13 in some versions of the system's
// dialog, edt1 in others (Wine 8 among them).
constexpr int kFileNameCombo = 0x47C;
constexpr int kFileNameEdit = 0x480;
constexpr int kTypeList = 0x470;     // cmb1: the list of file types

ChooserSettings StoredSettings() {
  ChooserSettings s;
  s.Filter = "*.exe";
  s.FileMustExist = true;
  s.OverwritePrompt = true;
  s.PathMustExist = true;
  return s;
}

// Ends a test that a dialog keeps from returning: first it cancels every dialog of this
// process, and if even that does not help, it ends the process with a clear message.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit) : thread_([this, limit] { Watch(limit); }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  bool fired() const { return fired_; }

 private:
  void Watch(std::chrono::seconds limit) {
    std::unique_lock lock(mutex_);
    if (wake_.wait_for(lock, limit, [this] { return done_; })) return;
    fired_ = true;
    std::fprintf(stderr, "watchdog: the open-file dialog did not close within %lld s; cancelling it\n",
                 static_cast<long long>(limit.count()));
    (void)EnumWindows(&ReportAndCancel, 0);
    if (wake_.wait_for(lock, 10s, [this] { return done_; })) return;
    std::fprintf(stderr, "watchdog: the dialog is stuck; ending the test process\n");
    std::fflush(stderr);
    ExitProcess(3);
  }
  // Names what is in the way (a message box of the system's own, say) before cancelling it.
  static BOOL CALLBACK ReportAndCancel(HWND window, LPARAM) {
    DWORD process = 0;
    (void)GetWindowThreadProcessId(window, &process);
    char name[16] = {};
    (void)GetClassNameA(window, name, sizeof name);
    if (process == GetCurrentProcessId() && std::string(name) == "#32770" && IsWindowVisible(window)) {
      char caption[256] = {};
      (void)GetWindowTextA(window, caption, sizeof caption);
      std::fprintf(stderr, "watchdog: open dialog '%s'\n", caption);
      (void)EnumChildWindows(window, &ReportText, 0);
      (void)PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    }
    return TRUE;
  }
  static BOOL CALLBACK ReportText(HWND child, LPARAM) {
    char name[32] = {};
    (void)GetClassNameA(child, name, sizeof name);
    if (std::string(name) == "Static" || std::string(name) == "Edit") {
      char text[512] = {};
      (void)SendMessageA(child, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
      if (text[0] != '\0') std::fprintf(stderr, "watchdog:   %s '%s'\n", name, text);
    }
    return TRUE;
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  std::atomic<bool> fired_{false};
  std::thread thread_;
};

// What the driver saw of the dialog while it was open.
struct Seen {
  bool found = false;
  RECT dialog{};
  RECT owner{};
  bool owner_enabled = true;
  std::vector<std::string> types;
  std::string file_box;
  std::string file_path;  // the folder and the file-name box together, as the dialog reports them
};

HWND FileNameBox(HWND dialog) {
  const HWND combo = GetDlgItem(dialog, kFileNameCombo);
  return combo != nullptr ? combo : GetDlgItem(dialog, kFileNameEdit);
}

std::string WindowText(HWND window) {
  char text[1024] = {};
  (void)SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

struct FindDialog {
  HWND owner;
  HWND found = nullptr;
  static BOOL CALLBACK Visit(HWND window, LPARAM context) {
    auto* self = reinterpret_cast<FindDialog*>(context);
    DWORD process = 0;
    (void)GetWindowThreadProcessId(window, &process);
    char name[16] = {};
    (void)GetClassNameA(window, name, sizeof name);
    if (process == GetCurrentProcessId() && std::string(name) == "#32770" && IsWindowVisible(window) &&
        GetWindow(window, GW_OWNER) == self->owner) {
      self->found = window;
      return FALSE;
    }
    return TRUE;
  }
};

HWND WaitForDialog(HWND owner) {
  for (int i = 0; i < 300; ++i) {
    FindDialog find{owner};
    (void)EnumWindows(&FindDialog::Visit, reinterpret_cast<LPARAM>(&find));
    if (find.found != nullptr) {
      // Let the dialog finish its own start (the hook runs at CDN_INITDONE) before looking.
      std::this_thread::sleep_for(300ms);
      return find.found;
    }
    std::this_thread::sleep_for(50ms);
  }
  return nullptr;
}

// Runs `Open` on this thread while a second thread finds the dialog, records what it shows and
// then either confirms `choose` or, when it is empty, cancels.
class DialogRun {
 public:
  DialogRun(FileChooser& chooser, HWND owner) : chooser_(chooser), owner_(owner) {}

  bool Open(const std::string& choose) {
    seen_ = Seen{};
    std::thread driver([&] { Drive(choose); });
    bool confirmed = false;
    {
      Watchdog watchdog(40s);
      confirmed = chooser_.Open();
      EXPECT_FALSE(watchdog.fired()) << "the dialog had to be cancelled by the watchdog";
    }
    driver.join();
    return confirmed;
  }
  const Seen& seen() const { return seen_; }

 private:
  void Drive(const std::string& choose) {
    const HWND dialog = WaitForDialog(owner_);
    if (dialog == nullptr) return;  // the watchdog ends the modal call; `found` stays false
    seen_.found = true;
    (void)GetWindowRect(dialog, &seen_.dialog);
    (void)GetWindowRect(owner_, &seen_.owner);
    seen_.owner_enabled = IsWindowEnabled(owner_) != FALSE;
    const HWND types = GetDlgItem(dialog, kTypeList);
    const LRESULT count = SendMessageA(types, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      char entry[256] = {};
      (void)SendMessageA(types, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry));
      seen_.types.emplace_back(entry);
    }
    seen_.file_box = WindowText(FileNameBox(dialog));
    char path[MAX_PATH * 2] = {};
    if (SendMessageA(dialog, CDM_GETFILEPATH, sizeof path, reinterpret_cast<LPARAM>(path)) > 0) seen_.file_path = path;

    if (choose.empty()) {
      (void)PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    } else {
      (void)SendMessageA(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(choose.c_str()));
      (void)PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    }
  }

  FileChooser& chooser_;
  HWND owner_;
  Seen seen_;
};

class ChooserDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const int left = (GetSystemMetrics(SM_CXSCREEN) - 377) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - 197) / 2;
    owner_ = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, left, top, 377, 197, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(owner_, nullptr);
    edit_ = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 8, 32, 264, 48, owner_, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    (void)SetForegroundWindow(owner_);
    (void)SetFocus(edit_);
    ASSERT_EQ(GetFocus(), edit_);

    // "程序 1.exe": a GBK name with a space, in a folder of its own.
    file_ = folder_.path().string() + "\\\xB3\xCC\xD0\xF2 1.exe";
    const HANDLE file = CreateFileA(file_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    (void)CloseHandle(file);
  }
  void TearDown() override {
    (void)DeleteFileA(file_.c_str());
    if (owner_ != nullptr) (void)DestroyWindow(owner_);
  }

  void ExpectOwnerBackAsBefore() {
    EXPECT_TRUE(IsWindowEnabled(owner_));
    EXPECT_EQ(GetFocus(), edit_);
  }

  HWND owner_ = nullptr;
  HWND edit_ = nullptr;
  testing::TempDir folder_;
  std::string file_;
};

TEST_F(ChooserDialogTest, OpensCentredWithOneTypeEntryAndKeepsTheConfirmedPath) {
  FileChooser chooser(StoredSettings(), owner_, GetModuleHandleA(nullptr));
  DialogRun run(chooser, owner_);

  // The first dialog, cancelled: nothing confirmed yet.
  EXPECT_FALSE(run.Open(""));
  ASSERT_TRUE(run.seen().found) << "no open-file dialog owned by the window appeared";
  EXPECT_EQ(chooser.FileName(), "");
  ExpectOwnerBackAsBefore();

  const Seen& first = run.seen();
  EXPECT_FALSE(first.owner_enabled);
  EXPECT_EQ(first.types, std::vector<std::string>{"*.exe"});
  EXPECT_EQ(first.file_box, "");
  const LONG dialog_x = (first.dialog.left + first.dialog.right) / 2;
  const LONG dialog_y = (first.dialog.top + first.dialog.bottom) / 2;
  const LONG owner_x = (first.owner.left + first.owner.right) / 2;
  const LONG owner_y = (first.owner.top + first.owner.bottom) / 2;
  EXPECT_NEAR(dialog_x, owner_x, 1);
  EXPECT_NEAR(dialog_y, owner_y, 1);

  // Confirmed: the full path, the GBK name as it is.
  EXPECT_TRUE(run.Open(file_));
  ASSERT_TRUE(run.seen().found);
  EXPECT_EQ(chooser.FileName(), file_);
  ExpectOwnerBackAsBefore();

  // The next dialog starts on the path confirmed last; cancelling it keeps that path.
  EXPECT_FALSE(run.Open(""));
  ASSERT_TRUE(run.seen().found);
  EXPECT_EQ(CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, run.seen().file_path.c_str(), -1, file_.c_str(), -1),
            CSTR_EQUAL)
      << "dialog started on '" << run.seen().file_path << "' (file-name box '" << run.seen().file_box << "')";
  EXPECT_EQ(chooser.FileName(), file_);
  ExpectOwnerBackAsBefore();
}

}  // namespace
}  // namespace quorvel::ui
