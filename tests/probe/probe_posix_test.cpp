// The POSIX back end: paths that are not regular files must answer 0 without blocking.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "pe_fixtures.h"
#include "probe.h"
#include "temp_dir.h"

namespace quorvel {
namespace {

TEST(PosixBackEnd, FifoWithNoWriterAnswersZeroAtOnce) {
  testing::TempDir dir;
  const std::string fifo = (dir.path() / "pipe").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // A blocking open would wait here for a writer forever; CTest's time limit would catch it.
  EXPECT_EQ(GetProgramBitness(fifo.c_str()), 0);
  EXPECT_EQ(probe::ProbeExecutable(probe::SystemFileAccess(), fifo.c_str()).open_failure,
            probe::OpenFailure::kNotRegularFile);
}

TEST(PosixBackEnd, DevicesAnswerZero) {
  EXPECT_EQ(GetProgramBitness("/dev/zero"), 0);
  EXPECT_EQ(GetProgramBitness("/dev/null"), 0);
}

TEST(PosixBackEnd, SymbolicLinkToAProgramIsFollowed) {
  testing::TempDir dir;
  const std::string target = dir.Write("target.exe", testing::Pe32Plus());
  const std::string link = (dir.path() / "link.exe").string();
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  EXPECT_EQ(GetProgramBitness(link.c_str()), 64);
}

TEST(PosixBackEnd, OpensReadOnlyAndCloseOnExec) {
  testing::TempDir dir;
  const std::string path = dir.Write("a.exe", testing::Pe32());
  auto& files = probe::SystemFileAccess();
  const probe::OpenResult opened = files.Open(path.c_str());
  ASSERT_TRUE(opened.opened);
  const int fd = static_cast<int>(opened.handle);
  EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
  EXPECT_EQ(::fcntl(fd, F_GETFL) & O_ACCMODE, O_RDONLY);
  EXPECT_FALSE(files.Seek(opened.handle, -1));
  EXPECT_TRUE(files.Seek(opened.handle, 1 << 30));  // past the end is fine; the read then comes up short
  char byte = 0;
  EXPECT_EQ(files.Read(opened.handle, &byte, 1), 0u);
  files.Close(opened.handle);
}

TEST(PosixBackEnd, TheNativeToolItselfIsNoWindowsProgram) {
  char self[4096] = {};
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(n, 0);
  EXPECT_EQ(GetProgramBitness(self), 0);
}

}  // namespace
}  // namespace quorvel
