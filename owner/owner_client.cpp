// SPDX-License-Identifier: GPL-3.0-or-later
// A plain POSIX stream socket on the owner's socket file (the owner listens with Qt's local
// server, which is such a socket): the command-line tool talks to the owner without loading Qt
// Network.
#include "owner/owner_client.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace mirelune {
namespace {

using Clock = std::chrono::steady_clock;

int ElapsedMs(Clock::time_point since) {
  return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

// Waits at most `ms` for `events` on `fd`; the events that came (0 on time-out).
short WaitFor(int fd, short events, int ms) {
  pollfd p{fd, events, 0};
  while (true) {
    const int n = ::poll(&p, 1, std::max(0, ms));
    if (n > 0) return p.revents;
    if (n == 0) return 0;
    if (errno != EINTR) return POLLERR;
  }
}

}  // namespace

struct OwnerClient::Impl {
  int fd = -1;
  std::string buffer;  // bytes read after the last whole line
  ~Impl() {
    if (fd >= 0) ::close(fd);
  }
};

std::string LimitText(int ms) {
  if (ms % 1000 == 0) return std::to_string(ms / 1000) + " s";
  const std::string tenths = std::to_string((ms + 50) / 100);
  return (tenths.size() > 1 ? tenths.substr(0, tenths.size() - 1) : "0") + "." + tenths.back() + " s";
}

OwnerClient::~OwnerClient() { delete impl_; }

bool OwnerClient::Connect(const std::string& path, std::string& error, int limitMs) {
  path_ = path;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof(address.sun_path)) {
    error = path + ": not a usable socket path";
    return false;
  }
  std::memcpy(address.sun_path, path.data(), path.size());
  const Clock::time_point start = Clock::now();
  bool told = false;
  while (true) {
    delete impl_;
    impl_ = new Impl;
    impl_->fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (impl_->fd < 0) {
      error = path + ": " + std::strerror(errno);
      return false;
    }
    if (::connect(impl_->fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) return true;
    const int e = errno;
    // A socket file without a listener, or none at all: the owner is gone, no use waiting.
    if (e == ENOENT || e == ECONNREFUSED || e == EACCES || e == ENOTDIR || e == EPERM) {
      error = path + ": " + std::strerror(e);
      return false;
    }
    // Otherwise (EAGAIN: the socket does not block, so a full queue is said at once) its queue
    // of connections is full (many programs at once): try again.
    if (e != EAGAIN && e != EINTR) {
      error = path + ": " + std::strerror(e);
      return false;
    }
    if (ElapsedMs(start) >= limitMs) {
      error = "the owner did not accept the connection within " + LimitText(limitMs);
      return false;
    }
    if (!told && ElapsedMs(start) >= kNoticeMs && onWaiting) onWaiting("to accept the connection");
    told = told || ElapsedMs(start) >= kNoticeMs;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

bool OwnerClient::Request(const std::string& request, std::string& reply, std::string& error,
                          int limitMs) {
  if (!impl_ || impl_->fd < 0) {
    error = "not connected to the owner";
    return false;
  }
  const Clock::time_point start = Clock::now();
  const std::string line = request + "\n";
  for (size_t sent = 0; sent < line.size();) {
    const ssize_t n = ::send(impl_->fd, line.data() + sent, line.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      sent += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    const int left = limitMs - ElapsedMs(start);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && left > 0 &&
        (WaitFor(impl_->fd, POLLOUT, left) & POLLOUT))
      continue;
    error = path_ + ": the request could not be sent (" +
            (n < 0 && errno != EAGAIN ? std::string(std::strerror(errno)) : "the owner does not read") + ")";
    return false;
  }
  bool told = false;
  size_t end;
  while ((end = impl_->buffer.find('\n')) == std::string::npos) {
    const int elapsed = ElapsedMs(start);
    if (elapsed >= limitMs) {
      error = "the owner did not answer within " + LimitText(limitMs);
      return false;
    }
    if (!told && elapsed >= kNoticeMs) {
      told = true;
      if (onWaiting) onWaiting("to answer");
    }
    const int step = told ? limitMs - elapsed : std::min(limitMs, kNoticeMs) - elapsed;
    if (!WaitFor(impl_->fd, POLLIN, std::max(1, step))) continue;
    char chunk[4096];
    const ssize_t n = ::recv(impl_->fd, chunk, sizeof chunk, MSG_DONTWAIT);
    if (n > 0) {
      impl_->buffer.append(chunk, static_cast<size_t>(n));
    } else if (n == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
      error = "the owner closed the connection before answering";
      return false;
    }
  }
  reply = impl_->buffer.substr(0, end);
  impl_->buffer.erase(0, end + 1);
  // As the line was read before: without the white space around it.
  const size_t first = reply.find_first_not_of(" \t\r\n\f\v");
  reply = first == std::string::npos ? "" : reply.substr(first, reply.find_last_not_of(" \t\r\n\f\v") - first + 1);
  return true;
}

}  // namespace mirelune
