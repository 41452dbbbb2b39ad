// SPDX-License-Identifier: GPL-3.0-or-later
#include "owner/device_lock.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mirelune {

namespace {

LockHolder ParseHolder(const std::string& text) {
  LockHolder h;
  const size_t nl = text.find('\n');
  const std::string first = text.substr(0, nl);
  const size_t space = first.find(' ');
  h.pid = std::strtol(first.substr(0, space).c_str(), nullptr, 10);
  if (space != std::string::npos) h.program = first.substr(space + 1);
  if (nl != std::string::npos) {
    std::string second = text.substr(nl + 1);
    const size_t end = second.find('\n');
    h.socket = second.substr(0, end);
  }
  return h;
}

std::string ReadAll(int fd) {
  std::string text;
  char buf[512];
  ssize_t n;
  off_t at = 0;
  while ((n = ::pread(fd, buf, sizeof buf, at)) > 0 && text.size() < 4096) {
    text.append(buf, static_cast<size_t>(n));
    at += n;
  }
  return text;
}

}  // namespace

std::string LockHolder::Text() const {
  if (program.empty() && pid <= 0)
    return "another program" + (lockFile.empty() ? std::string() : " (holding " + lockFile + ")");
  return (program.empty() ? std::string("another program") : program) +
         (pid > 0 ? " (PID " + std::to_string(pid) + ")" : std::string());
}

std::string OwnerRuntimeFolder(std::string& error) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string dir = (runtime && *runtime) ? std::string(runtime) + "/mirelune"
                                          : "/tmp/mirelune-" + std::to_string(::getuid());
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    error = dir + ": cannot create the folder of amplifier locks (" + std::strerror(errno) + ")";
    return {};
  }
  struct stat st{};
  if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) {
    error = dir + ": the folder of amplifier locks is not a folder of this user";
    return {};
  }
  if ((st.st_mode & 077) != 0) ::chmod(dir.c_str(), 0700);
  return dir;
}

DeviceLock::~DeviceLock() { Release(); }

void DeviceLock::Release() {
  if (fd_ < 0) return;
  // Emptied first: a reader that opens it between our close and the next owner's write must
  // not name a program that has let go.
  if (::ftruncate(fd_, 0) != 0) {
  }
  ::close(fd_);  // drops the flock
  fd_ = -1;
}

void DeviceLock::WriteHolder() {
  const std::string text = std::to_string(::getpid()) + " " + program_ + "\n" + socket_ + "\n";
  if (::ftruncate(fd_, 0) == 0 && ::pwrite(fd_, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size()))
    return;
  // The lock holds without the text; a reader then names "another program".
}

void DeviceLock::SetSocket(const std::string& socket) {
  socket_ = socket;
  if (fd_ >= 0) WriteHolder();
}

DeviceLock::Result DeviceLock::Take(const std::string& key, const std::string& program,
                                    const std::string& socket, bool wait, LockHolder& holder,
                                    std::string& error,
                                    const std::function<void(const LockHolder&)>& onWait) {
  if (fd_ >= 0 && key == key_) return Result::Acquired;
  Release();
  const std::string dir = OwnerRuntimeFolder(error);
  if (dir.empty()) return Result::Error;
  const std::string path = dir + "/" + key + ".lock";
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0600);
  if (fd < 0) {
    error = path + ": cannot open the amplifier's lock (" + std::strerror(errno) + ")";
    return Result::Error;
  }
  int r = ::flock(fd, LOCK_EX | LOCK_NB);
  if (r != 0 && errno == EWOULDBLOCK) {
    holder = ParseHolder(ReadAll(fd));
    holder.lockFile = path;
    if (!wait) {
      ::close(fd);
      return Result::Busy;
    }
    if (onWait) onWait(holder);
    do r = ::flock(fd, LOCK_EX);
    while (r != 0 && errno == EINTR);
  }
  if (r != 0) {
    error = path + ": cannot lock the amplifier (" + std::strerror(errno) + ")";
    ::close(fd);
    return Result::Error;
  }
  fd_ = fd;
  key_ = key;
  path_ = path;
  program_ = program;
  socket_ = socket;
  WriteHolder();
  return Result::Acquired;
}

DeviceLock::Result DeviceLock::TryAcquire(const std::string& key, const std::string& program,
                                          const std::string& socket, LockHolder& holder,
                                          std::string& error) {
  return Take(key, program, socket, false, holder, error, {});
}

DeviceLock::Result DeviceLock::Acquire(const std::string& key, const std::string& program,
                                       const std::string& socket, std::string& error,
                                       const std::function<void(const LockHolder&)>& onWait) {
  LockHolder holder;
  return Take(key, program, socket, true, holder, error, onWait);
}

bool FindHolder(const std::string& key, LockHolder& holder) {
  std::string error;
  const std::string dir = OwnerRuntimeFolder(error);
  if (dir.empty()) return false;
  const std::string path = dir + "/" + key + ".lock";
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW);
  if (fd < 0) return false;
  // A shared lock is refused exactly while an owner holds the exclusive one.
  if (::flock(fd, LOCK_SH | LOCK_NB) == 0) {
    ::flock(fd, LOCK_UN);
    ::close(fd);
    return false;
  }
  holder = ParseHolder(ReadAll(fd));
  holder.lockFile = path;
  ::close(fd);
  return true;
}

}  // namespace mirelune
