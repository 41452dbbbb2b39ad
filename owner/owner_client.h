// SPDX-License-Identifier: GPL-3.0-or-later
// A program's way through an amplifier's owner: one request line to the owner's local socket
// and its reply line, waiting at most a time limit. Blocking; for the command-line tool.
#pragma once

#include <string>

namespace mirelune {

class OwnerClient {
 public:
  static constexpr int kConnectLimitMs = 2000;
  // A set waits while the owner finishes a transfer of its own.
  static constexpr int kReplyLimitMs = 60000;

  // Connects to the socket at `path`; false with `error`.
  bool Connect(const std::string& path, std::string& error);
  // Sends one request line and returns its reply line; false with `error` when the owner did
  // not answer within `limitMs` or the connection failed.
  bool Request(const std::string& request, std::string& reply, std::string& error,
               int limitMs = kReplyLimitMs);
  ~OwnerClient();

 private:
  struct Impl;
  Impl* impl_ = nullptr;
  std::string path_;
};

}  // namespace mirelune
