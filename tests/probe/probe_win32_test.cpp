// The Windows back end with real Windows handles: sharing, the build's own executables and
// WOW64 file-system redirection.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <string>

#include "pe_fixtures.h"
#include "probe.h"
#include "temp_dir.h"

namespace quorvel {
namespace {

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (valid()) CloseHandle(handle_);
  }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

Handle OpenHeld(const std::string& path, DWORD access, DWORD share) {
  return Handle(CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

TEST(Win32BackEnd, FileHeldWithoutReadSharingAnswersZero) {
  testing::TempDir dir;
  const std::string path = dir.Write("held.exe", testing::Pe32Plus());
  {
    Handle held = OpenHeld(path, GENERIC_READ, 0);
    ASSERT_TRUE(held.valid());
    EXPECT_EQ(GetProgramBitness(path.c_str()), 0);
    EXPECT_EQ(probe::ProbeExecutable(probe::SystemFileAccess(), path.c_str()).open_failure,
              probe::OpenFailure::kInUse);
  }
  EXPECT_EQ(GetProgramBitness(path.c_str()), 64);
}

TEST(Win32BackEnd, FileOpenForWritingWithReadSharingIsProbedNormally) {
  testing::TempDir dir;
  const std::string path = dir.Write("writing.exe", testing::Pe32());
  Handle writer = OpenHeld(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_TRUE(writer.valid());
  EXPECT_EQ(GetProgramBitness(path.c_str()), 32);
}

// The probe's share mode leaves out FILE_SHARE_DELETE: while it holds a file, nobody may delete
// it. Shown from the other side: a holder that insists on delete access cannot share with the
// mode the probe asks for, so such a file answers 0.
TEST(Win32BackEnd, HolderRequiringDeleteAccessExcludesTheProbe) {
  testing::TempDir dir;
  const std::string path = dir.Write("deleting.exe", testing::Pe32());
  Handle holder = OpenHeld(path, DELETE | GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  ASSERT_TRUE(holder.valid());
  EXPECT_EQ(GetProgramBitness(path.c_str()), 0);
}

std::string OwnPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

TEST(Win32BackEnd, TheBuildsOwnExecutablesAnswerTheirBitness) {
  const int expected = sizeof(void*) == 8 ? 64 : 32;
  const std::string self = OwnPath();
  EXPECT_EQ(GetProgramBitness(self.c_str()), expected);
  const std::string folder = self.substr(0, self.find_last_of('\\'));
  const std::string cli = folder + "\\..\\..\\cli\\quorvel-probe.exe";
  if (GetFileAttributesA(cli.c_str()) != INVALID_FILE_ATTRIBUTES) {
    EXPECT_EQ(GetProgramBitness(cli.c_str()), expected);
  }
}

// Reads Magic the ordinary way, through the C runtime, which is subject to redirection.
int MagicSeenThroughRedirection(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char dos[64] = {};
  in.read(reinterpret_cast<char*>(dos), 64);
  const long lfanew = dos[60] | dos[61] << 8 | dos[62] << 16 | dos[63] << 24;
  in.seekg(lfanew + 24);
  unsigned char magic[2] = {};
  in.read(reinterpret_cast<char*>(magic), 2);
  return magic[0] | magic[1] << 8;
}

// A 32-bit process on 64-bit Windows sees System32 redirected to SysWOW64. The probe must read
// the file the path names, and leave redirection on for everything else.
TEST(Win32BackEnd, System32IsReadUnredirected) {
  char windows[MAX_PATH] = {};
  ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
  const std::string notepad = std::string(windows) + "\\system32\\notepad.exe";
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  if (sizeof(void*) == 4 && !wow64) GTEST_SKIP() << "32-bit Windows: nothing is redirected";

  EXPECT_EQ(GetProgramBitness(notepad.c_str()), 64);
  EXPECT_EQ(MagicSeenThroughRedirection(notepad), sizeof(void*) == 8 ? 0x20B : 0x10B);
}

}  // namespace
}  // namespace quorvel
