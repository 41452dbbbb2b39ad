// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/standard_streams.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <unistd.h>

#include "cli/command.h"

namespace mirelune::cli {
namespace {
bool g_stdoutClosed = false;

bool Closed(int fd) { return ::fcntl(fd, F_GETFD) == -1 && errno == EBADF; }
}  // namespace

void GuardStandardStreams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (!Closed(fd)) continue;
    const int opened = ::open(fd == 1 ? "/dev/full" : "/dev/null", O_WRONLY);
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
    if (fd == 1) g_stdoutClosed = true;
  }
}

bool StandardStreamClosed() { return Closed(0) || Closed(1) || Closed(2); }

int CheckedExit(int status, const std::string& command) {
  std::cout.flush();
  errno = 0;
  bool ok = static_cast<bool>(std::cout) && std::fflush(stdout) == 0;
  int err = errno;
  if (ok && std::fclose(stdout) != 0) {
    ok = false;
    err = errno;
  }
  if (ok) return status;
  std::cerr << "mirelune-cli" << (command.empty() ? "" : " " + command)
            << ": standard output could not be written ("
            << (g_stdoutClosed ? "it is closed" : err ? std::strerror(err) : "write error")
            << "); what it printed is incomplete\n";
  return status == 0 ? kExitFailed : status;
}

}  // namespace mirelune::cli
