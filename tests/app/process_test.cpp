// The real quorvel.exe started from another process, as a user or a shortcut starts it, and
// checked from outside with Win32 calls.
#include <windows.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "main_window/main_window.h"
#include "main_window/window_description.h"
#include "temp_dir.h"

namespace quorvel::testing {
namespace {

using namespace std::chrono_literals;

// CMake hands over the build's paths; under Wine an absolute Unix path is the Z: drive.
std::string WindowsPath(std::string path) {
  if (!path.empty() && path.front() == '/') path = "Z:" + path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}
const std::string kQuorvel = WindowsPath(QUORVEL_EXE);
const std::string kFailingLoad = WindowsPath(QUORVEL_FAILING_LOAD_EXE);

// A started program; ended by force if a test leaves it running.
class Program {
 public:
  Program(const std::string& exe, const std::string& arguments, const std::string& folder) {
    std::string command = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              folder.empty() ? nullptr : folder.c_str(), &startup, &info_) != FALSE;
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  ~Program() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(info_.hProcess, 99);
      WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }

  bool Started() const { return started_; }
  DWORD Id() const { return info_.dwProcessId; }
  HANDLE Process() const { return info_.hProcess; }

  // The exit code, or nothing when the program is still running after the time given.
  std::optional<DWORD> Exit(std::chrono::milliseconds limit = 10s) const {
    if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }

  // The process's top-level windows of a class, once at least one is visible.
  std::vector<HWND> WaitForWindows(const char* class_name, std::chrono::milliseconds limit = 10s) const {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
      std::vector<HWND> found = Windows(class_name);
      if (!found.empty()) return found;
      if (std::chrono::steady_clock::now() > end) return {};
      if (WaitForSingleObject(info_.hProcess, 50) == WAIT_OBJECT_0) return {};
    }
  }

  std::vector<HWND> Windows(const char* class_name) const {
    Search search{info_.dwProcessId, class_name, {}};
    EnumWindows(&Collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

 private:
  struct Search {
    DWORD pid;
    const char* class_name;
    std::vector<HWND> found;
  };
  // A plain CALLBACK function: a lambda has the wrong calling convention on x86.
  static BOOL CALLBACK Collect(HWND hwnd, LPARAM lparam) {
    auto& s = *reinterpret_cast<Search*>(lparam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    if (pid == s.pid && lstrcmpA(name, s.class_name) == 0 && IsWindowVisible(hwnd)) s.found.push_back(hwnd);
    return TRUE;
  }

  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

// Another process's control text: GetWindowTextA does not reach across processes for an EDIT.
std::string RemoteText(HWND hwnd) {
  char buffer[512] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000,
                      &copied);
  return std::string(buffer, copied);
}

// Another process's current directory, read from its process parameters.
std::string RemoteCurrentDirectory(HANDLE process) {
  PROCESS_BASIC_INFORMATION basic{};
  ULONG length = 0;
  if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, &length) != 0) return "?";
  // Offsets of the process parameters in the PEB and of CurrentDirectory.DosPath in them.
  constexpr SIZE_T kParameters = sizeof(void*) == 8 ? 0x20 : 0x10;
  constexpr SIZE_T kCurrentDirectory = sizeof(void*) == 8 ? 0x38 : 0x24;
  void* parameters = nullptr;
  UNICODE_STRING dos_path{};
  SIZE_T read = 0;
  if (!ReadProcessMemory(process, static_cast<char*>(static_cast<void*>(basic.PebBaseAddress)) + kParameters,
                         &parameters, sizeof parameters, &read) ||
      !ReadProcessMemory(process, static_cast<char*>(parameters) + kCurrentDirectory, &dos_path, sizeof dos_path,
                         &read)) {
    return "?";
  }
  std::wstring wide(dos_path.Length / sizeof(wchar_t), L'\0');
  if (!ReadProcessMemory(process, dos_path.Buffer, wide.data(), dos_path.Length, &read)) return "?";
  char ansi[MAX_PATH * 2] = {};
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), ansi, sizeof ansi, nullptr, nullptr);
  std::string text = ansi;
  if (text.size() > 3 && text.back() == '\\') text.pop_back();
  return text;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

HWND ChildWithId(HWND parent, int id) { return GetDlgItem(parent, id); }

TEST(Program, StartedElsewhereItWorksInItsOwnFolderAndIgnoresItsCommandLine) {
  TempDir elsewhere;
  Program program(kQuorvel, "\"C:\\windows\\notepad.exe\" /x", elsewhere.path().string());
  ASSERT_TRUE(program.Started()) << kQuorvel;
  const std::vector<HWND> windows = program.WaitForWindows(ui::kMainWindowClass);
  ASSERT_EQ(windows.size(), 1u);
  HWND main = windows.front();

  EXPECT_EQ(lstrcmpiA(RemoteCurrentDirectory(program.Process()).c_str(), FolderOf(kQuorvel).c_str()), 0)
      << RemoteCurrentDirectory(program.Process());
  // Nothing from the command line: the box is empty and nothing was probed.
  EXPECT_EQ(RemoteText(main), "Quorvel");
  EXPECT_EQ(RemoteText(ChildWithId(main, 120)), "");  // 编辑框1, created third
  const auto& label = std::get<ui::LabelSettings>(ui::MainWindowDescription().Find(ui::entry::透明标签1)->settings);
  EXPECT_EQ(RemoteText(ChildWithId(main, 130)), label.Caption);

  RECT outer{};
  GetWindowRect(main, &outer);
  EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 377) / 2);
  EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - 197) / 2);

  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.Exit(), std::optional<DWORD>(0));
}

TEST(Program, EscOnTheFocusedButtonEndsItWithExitCodeZero) {
  Program program(kQuorvel, "", "");
  ASSERT_TRUE(program.Started());
  const std::vector<HWND> windows = program.WaitForWindows(ui::kMainWindowClass);
  ASSERT_EQ(windows.size(), 1u);
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  const DWORD thread = GetWindowThreadProcessId(windows.front(), nullptr);
  // The window is visible a moment before its activation has put the focus in place.
  HWND button = ChildWithId(windows.front(), 100);
  const auto end = std::chrono::steady_clock::now() + 5s;
  while ((!GetGUIThreadInfo(thread, &gui) || gui.hwndFocus != button) && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(20ms);
  }
  ASSERT_EQ(gui.hwndFocus, button) << "the focus starts on 按钮1";
  PostMessageA(gui.hwndFocus, WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_EQ(program.Exit(), std::optional<DWORD>(0));
}

TEST(Program, AFailedLoadShowsOneErrorBoxAndEndsWithMinusOne) {
  Program program(kFailingLoad, "", "");
  ASSERT_TRUE(program.Started()) << kFailingLoad;
  const std::vector<HWND> boxes = program.WaitForWindows("#32770");
  ASSERT_EQ(boxes.size(), 1u) << "one error box";
  EXPECT_TRUE(program.Windows(ui::kMainWindowClass).empty()) << "no window is shown";
  EXPECT_EQ(program.Exit(300ms), std::nullopt) << "the box waits for the user";
  PostMessageA(boxes.front(), WM_COMMAND, IDOK, 0);
  EXPECT_EQ(program.Exit(), std::optional<DWORD>(0xFFFFFFFFu));
}

// The names, sizes and times of the files in a folder and below it.
std::map<std::string, std::string> Listing(const std::filesystem::path& folder) {
  std::map<std::string, std::string> listing;
  std::error_code error;
  for (const auto& item : std::filesystem::recursive_directory_iterator(folder, error)) {
    std::ostringstream facts;
    if (item.is_regular_file(error)) {
      facts << item.file_size(error) << " " << item.last_write_time(error).time_since_epoch().count();
    }
    listing[item.path().string()] = facts.str();
  }
  return listing;
}


// Every key below a registry root with the time it was last written.
void SnapshotKeys(HKEY key, const std::string& path, std::map<std::string, unsigned long long>& out) {
  FILETIME written{};
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                   &written);
  out[path] = (static_cast<unsigned long long>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
  char name[512];
  for (DWORD i = 0;; ++i) {
    DWORD length = sizeof name;
    if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY sub = nullptr;
    if (RegOpenKeyExA(key, name, 0, KEY_READ, &sub) != ERROR_SUCCESS) continue;
    SnapshotKeys(sub, path + "\\" + name, out);
    RegCloseKey(sub);
  }
}

std::map<std::string, unsigned long long> RegistrySnapshot() {
  std::map<std::string, unsigned long long> keys;
  SnapshotKeys(HKEY_CURRENT_USER, "HKCU", keys);
  SnapshotKeys(HKEY_LOCAL_MACHINE, "HKLM", keys);
  return keys;
}

// Wine's display driver records the display devices afresh whenever a program with windows
// starts, whatever the program does; these keys are the system's, not the program's.
bool DisplayDeviceKey(const std::string& key) {
  static const char* const kPrefixes[] = {
      "HKLM\\Hardware\\DEVICEMAP\\VIDEO",
      "HKLM\\System\\CurrentControlSet\\Control\\Class\\",
      "HKLM\\System\\CurrentControlSet\\Control\\Video\\",
      "HKLM\\System\\CurrentControlSet\\Enum\\DISPLAY\\",
      "HKLM\\System\\CurrentControlSet\\Enum\\PCI\\",
      "HKLM\\System\\CurrentControlSet\\Hardware Profiles\\Current\\System\\CurrentControlSet\\Control\\Video\\",
  };
  return std::any_of(std::begin(kPrefixes), std::end(kPrefixes),
                     [&key](const char* prefix) { return key.rfind(prefix, 0) == 0; });
}

std::vector<std::string> ChangedKeys(const std::map<std::string, unsigned long long>& before,
                                     const std::map<std::string, unsigned long long>& after) {
  std::vector<std::string> changed;
  for (const auto& [key, written] : after) {
    const auto old = before.find(key);
    if ((old == before.end() || old->second != written) && !DisplayDeviceKey(key)) changed.push_back(key);
  }
  for (const auto& [key, written] : before) {
    if (after.count(key) == 0 && !DisplayDeviceKey(key)) changed.push_back(key + " (gone)");
  }
  return changed;
}

TEST(Program, WritesNothingToTheRegistryOrToFiles) {
  TempDir started_in;
  const std::filesystem::path exe_folder = FolderOf(kQuorvel);
  const auto exe_before = Listing(exe_folder);
  const auto cwd_before = Listing(started_in.path());
  const auto registry_before = RegistrySnapshot();
  ASSERT_GT(registry_before.size(), 100u);

  {
    Program program(kQuorvel, "", started_in.path().string());
    ASSERT_TRUE(program.Started());
    const std::vector<HWND> windows = program.WaitForWindows(ui::kMainWindowClass);
    ASSERT_EQ(windows.size(), 1u);
    std::this_thread::sleep_for(300ms);
    PostMessageA(windows.front(), WM_CLOSE, 0, 0);
    ASSERT_EQ(program.Exit(), std::optional<DWORD>(0));
  }

  const std::vector<std::string> changed = ChangedKeys(registry_before, RegistrySnapshot());
  EXPECT_TRUE(changed.empty()) << changed.size() << " keys written, the first " << changed.front();
  EXPECT_EQ(Listing(exe_folder), exe_before);
  EXPECT_EQ(Listing(started_in.path()), cwd_before);
}

TEST(ProgramFile, VersionResourceNamesTheProductAndVersion) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(kQuorvel.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(GetFileVersionInfoA(kQuorvel.c_str(), 0, size, data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);

  struct Translation {
    WORD language;
    WORD code_page;
  }* translation = nullptr;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
  ASSERT_GE(length, sizeof(Translation));
  char block[64];
  for (const char* name : {"FileDescription", "ProductName"}) {
    std::snprintf(block, sizeof block, "\\StringFileInfo\\%04x%04x\\%s", translation->language, translation->code_page,
                  name);
    char* value = nullptr;
    ASSERT_TRUE(VerQueryValueA(data.data(), block, reinterpret_cast<void**>(&value), &length)) << block;
    EXPECT_STREQ(value, "Quorvel") << name;
  }
}

TEST(ProgramFile, ManifestAsksForCommonControlsSixAndNothingElse) {
  HMODULE file = LoadLibraryExA(kQuorvel.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(file, nullptr);
  HRSRC found = FindResourceA(file, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
  ASSERT_NE(found, nullptr);
  const auto* bytes = static_cast<const char*>(LockResource(LoadResource(file, found)));
  const std::string manifest(bytes, SizeofResource(file, found));
  FreeLibrary(file);
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos)
      << manifest;
  const auto count = [&manifest](const char* what) {
    std::size_t n = 0;
    for (auto at = manifest.find(what); at != std::string::npos; at = manifest.find(what, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("<dependentAssembly>"), 1u);
  EXPECT_EQ(count("<assemblyIdentity"), 1u) << "only the dependency is named";
  for (const char* other : {"trustInfo", "compatibility", "application", "dpiAware", "file "}) {
    EXPECT_EQ(count(other), 0u) << other;
  }
}

// The common controls the running program loaded: version 6, as the manifest asks.
TEST(Program, LoadsCommonControlsSix) {
  Program program(kQuorvel, "", "");
  ASSERT_TRUE(program.Started());
  ASSERT_EQ(program.WaitForWindows(ui::kMainWindowClass).size(), 1u);
  std::string comctl32;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, program.Id());
  ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
  MODULEENTRY32 module{};
  module.dwSize = sizeof module;
  for (BOOL more = Module32First(snapshot, &module); more; more = Module32Next(snapshot, &module)) {
    if (lstrcmpiA(module.szModule, "comctl32.dll") == 0) comctl32 = module.szExePath;
  }
  CloseHandle(snapshot);
  ASSERT_FALSE(comctl32.empty()) << "comctl32 is not loaded";
  // Version 6 is the side-by-side assembly, never the system folder's comctl32 (version 5).
  std::string lower = comctl32;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  EXPECT_NE(lower.find("\\winsxs\\"), std::string::npos) << comctl32;
  EXPECT_NE(lower.find("microsoft.windows.common-controls_6595b64144ccf1df_6.0."), std::string::npos) << comctl32;
  PostMessageA(program.WaitForWindows(ui::kMainWindowClass).front(), WM_CLOSE, 0, 0);
  EXPECT_EQ(program.Exit(), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace quorvel::testing
