// SPDX-License-Identifier: GPL-3.0-or-later
// A program's way through an amplifier's owner: one request line to the owner's local socket
// and its reply line, waiting at most a time limit. Blocking; for the command-line tool.
//
// Neither wait is silent: when the owner has not accepted the connection or not answered
// within kNoticeMs, `onWaiting` is called once (the caller says what it waits for and how long
// it will), and at the limit the call fails with an `error` naming the time waited.
#pragma once

#include <functional>
#include <string>

namespace mirelune {

class OwnerClient {
 public:
  static constexpr int kNoticeMs = 500;
  static constexpr int kDefaultLimitMs = 30000;

  // Called once a wait has lasted kNoticeMs; `what` is "to accept the connection" or "to
  // answer".
  std::function<void(const std::string& what)> onWaiting;

  // Connects to the socket at `path`, trying again while the owner's queue of connections is
  // full, at most limitMs; false with `error`.
  bool Connect(const std::string& path, std::string& error, int limitMs = kDefaultLimitMs);
  // Sends one request line and returns its reply line; false with `error` when the owner did
  // not answer within `limitMs` or the connection failed.
  bool Request(const std::string& request, std::string& reply, std::string& error,
               int limitMs = kDefaultLimitMs);
  ~OwnerClient();

 private:
  struct Impl;
  Impl* impl_ = nullptr;
  std::string path_;
};

// "30 s", "1.5 s": a time limit as the messages name it.
std::string LimitText(int ms);

}  // namespace mirelune
