// SPDX-License-Identifier: GPL-3.0-or-later
// Every wait of the tool says who and what it waits for, at once, and ends after the time it
// named (--wait): an amplifier held by a program that names no socket (nor itself), an owner
// that takes the connection and never answers, a virtual amplifier's memory another program
// has locked. Each case runs the real tool with --wait 1 against a holder made here.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "owner/device_lock.h"

namespace mirelune {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int exit = -1;
  std::string out, err;
  qint64 ms = 0;
};

class CliWaitsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* base = std::getenv("MIRELUNE_TEST_TMP");
    static int n = 0;
    dir = fs::path(base ? base : fs::temp_directory_path().string()) / "cliw" / std::to_string(++n);
    fs::remove_all(dir);
    fs::create_directories(dir / "run");
    fs::permissions(dir / "run", fs::perms::owner_all);
    ::setenv("XDG_RUNTIME_DIR", (dir / "run").c_str(), 1);
    env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", QString::fromStdString(dir.string()));
    env.insert("XDG_DATA_HOME", QString::fromStdString((dir / "data").string()));
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString((dir / "run").string()));
    env.insert("LANG", "C.UTF-8");
  }
  void TearDown() override {
    for (int fd : fds) ::close(fd);
  }
  Outcome Cli(const QStringList& args) {
    QProcess p;
    p.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    p.start(MIRELUNE_CLI, args);
    Outcome r;
    if (!p.waitForFinished(20000)) {
      p.kill();
      p.waitForFinished();
      return r;
    }
    r.ms = t.elapsed();
    r.exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
  }
  // Holds an exclusive flock on `path` (created) with `text` in it, as another program would.
  void HoldFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0) << path;
    ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    fds.push_back(fd);
  }
  fs::path dir;
  QProcessEnvironment env;
  std::vector<int> fds;
};

void ExpectEndedWith(const Outcome& r, const std::vector<std::string>& texts) {
  EXPECT_EQ(r.exit, 1) << r.err;
  EXPECT_LT(r.ms, 8000) << "the wait did not end near its second: " << r.err;
  for (const std::string& t : texts) EXPECT_NE(r.err.find(t), std::string::npos) << "'" << t << "' in:\n" << r.err;
}

TEST_F(CliWaitsTest, AHolderThatNamesNothingIsNamedByItsLockFileAndTheWaitEnds) {
  const fs::path lock = dir / "run" / "mirelune" / "virtual-nameless.lock";
  HoldFile(lock, "");
  ExpectEndedWith(Cli({"--device", "virtual:nameless", "--wait", "1", "get", "1028"}),
                  {"waiting for another program (holding " + lock.string() + "), which is using virtual:nameless; "
                   "giving up after 1 s (--wait SECONDS to wait longer)",
                   "gave up after 1 s: another program (holding " + lock.string() + ") still holds virtual:nameless"});
}

TEST_F(CliWaitsTest, AnOwnerThatNeverAnswersIsGivenUpAfterTheLimit) {
  // A socket that takes connections into its queue and never answers them.
  const fs::path path = dir / "run" / "silent.sock";
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  fds.push_back(listener);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 8), 0);
  DeviceLock held;
  LockHolder holder;
  std::string error;
  ASSERT_EQ(held.TryAcquire("virtual-silent", "a silent owner", path.string(), holder, error),
            DeviceLock::Result::Acquired)
      << error;
  const std::string who = "a silent owner (PID " + std::to_string(::getpid()) + ")";
  ExpectEndedWith(Cli({"--device", "virtual:silent", "--wait", "1", "set", "1028=61"}),
                  {"waiting for " + who + ", which owns virtual:silent, to answer; giving up after 1 s",
                   "the owner did not answer within 1 s; the change may or may not have been made"});
}

TEST_F(CliWaitsTest, AVirtualAmplifiersMemoryLockedElsewhereIsNamedAndTheWaitEnds) {
  Outcome first = Cli({"--device", "virtual:mem", "set", "1028=61"});
  ASSERT_EQ(first.exit, 0) << first.err;
  fs::path state;
  for (const auto& e : fs::recursive_directory_iterator(dir / "data"))
    if (e.path().filename() == "mem.state") state = e.path();
  ASSERT_FALSE(state.empty());
  const fs::path lock = state.string() + ".lock";
  HoldFile(lock, "4242 stuck-tool\n");
  ExpectEndedWith(Cli({"--device", "virtual:mem", "--wait", "1", "get", "1028"}),
                  {"waiting for the virtual amplifier's memory (" + lock.string() +
                       "), which stuck-tool (PID 4242) has locked; giving up after 1 s",
                   "the virtual amplifier's memory is locked by stuck-tool (PID 4242); gave up after 1 s"});
  // The list does not wait: it names the lock in the amplifier's row.
  const Outcome list = Cli({"devices"});
  EXPECT_EQ(list.exit, 0) << list.err;
  EXPECT_LT(list.ms, 8000);
  EXPECT_NE(list.out.find("virtual:mem"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("locked by stuck-tool (PID 4242)"), std::string::npos) << list.out;
}

}  // namespace
}  // namespace mirelune
