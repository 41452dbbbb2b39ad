// SPDX-License-Identifier: GPL-3.0-or-later
// One owner per amplifier: the lock names its holder, a second taker is told who, and the lock
// of an owner that was killed is taken over.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "owner/device_lock.h"

namespace mirelune {
namespace {

namespace fs = std::filesystem;

class DeviceLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* base = std::getenv("MIRELUNE_TEST_TMP");
    dir = fs::path(base ? base : fs::temp_directory_path().string()) / "device_lock_test" /
          ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir);
    fs::create_directories(dir);
    ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  }
  fs::path dir;
};

TEST_F(DeviceLockTest, SecondTakerLearnsWhoHoldsItAndItsSocket) {
  DeviceLock first, second;
  LockHolder holder;
  std::string error;
  ASSERT_EQ(first.TryAcquire("virtual-a", "mirelune", "/run/x.sock", holder, error),
            DeviceLock::Result::Acquired) << error;
  // Another amplifier is another lock.
  EXPECT_EQ(second.TryAcquire("virtual-b", "mirelune-cli set", "", holder, error),
            DeviceLock::Result::Acquired);
  DeviceLock third;
  EXPECT_EQ(third.TryAcquire("virtual-a", "mirelune-cli set", "", holder, error), DeviceLock::Result::Busy);
  EXPECT_EQ(holder.pid, static_cast<long>(::getpid()));
  EXPECT_EQ(holder.program, "mirelune");
  EXPECT_EQ(holder.socket, "/run/x.sock");
  EXPECT_EQ(holder.Text(), "mirelune (PID " + std::to_string(::getpid()) + ")");
  LockHolder found;
  EXPECT_TRUE(FindHolder("virtual-a", found));
  EXPECT_EQ(found.socket, "/run/x.sock");
  // The folder is the user's alone.
  struct stat st{};
  ASSERT_EQ(::stat((dir / "mirelune").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  first.Release();
  EXPECT_FALSE(FindHolder("virtual-a", found));
  EXPECT_EQ(third.TryAcquire("virtual-a", "mirelune-cli set", "", holder, error), DeviceLock::Result::Acquired);
}

TEST_F(DeviceLockTest, LockOfAKilledOwnerIsTakenOver) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    DeviceLock lock;
    LockHolder h;
    std::string e;
    const bool ok = lock.TryAcquire("hid-serial-42", "mirelune", "", h, e) == DeviceLock::Result::Acquired;
    const char c = ok ? 'y' : 'n';
    (void)!::write(ready[1], &c, 1);
    ::pause();
    ::_exit(0);
  }
  char c = 0;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');
  DeviceLock mine;
  LockHolder holder;
  std::string error;
  EXPECT_EQ(mine.TryAcquire("hid-serial-42", "mirelune-cli", "", holder, error), DeviceLock::Result::Busy);
  EXPECT_EQ(holder.pid, static_cast<long>(child));
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_EQ(mine.TryAcquire("hid-serial-42", "mirelune-cli", "", holder, error), DeviceLock::Result::Acquired)
      << error;
  LockHolder now;
  ASSERT_TRUE(FindHolder("hid-serial-42", now));
  EXPECT_EQ(now.pid, static_cast<long>(::getpid()));
  ::close(ready[0]);
  ::close(ready[1]);
}

TEST_F(DeviceLockTest, RuntimeFolderOfAnotherKindIsRefused) {
  // A file where the folder should be: named in the error, nothing taken.
  fs::remove_all(dir / "mirelune");
  { FILE* f = std::fopen((dir / "mirelune").c_str(), "w"); ASSERT_NE(f, nullptr); std::fclose(f); }
  DeviceLock lock;
  LockHolder holder;
  std::string error;
  EXPECT_EQ(lock.TryAcquire("virtual", "mirelune", "", holder, error), DeviceLock::Result::Error);
  EXPECT_NE(error.find((dir / "mirelune").string()), std::string::npos) << error;
}

}  // namespace
}  // namespace mirelune
