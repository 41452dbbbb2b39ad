// SPDX-License-Identifier: GPL-3.0-or-later
// Who may use the room remote: the PIN shown at the server's start (staff), the pairing code
// of its link (staff, one use), the amplifier's installer password (checked by the amplifier,
// not here), and the tokens a session gets. Plain C++; the clock is the caller's, so expiry and
// lock-outs are tested in virtual time.
//
// Rules:
//  - the PIN is six random digits, new at every start; the pairing code 128 random bits;
//  - a token is 128 random bits (32 hex digits), dies after kIdleMs without use and with the
//    server;
//  - kMaxFailures wrong secrets (PIN, pairing code or password) from one client address lock
//    that client out for kLockoutMs; while locked out even a right secret is refused, so the
//    PIN cannot be guessed at any speed. A right secret clears the client's count.
//  - The whole server counts too, whatever address the guesses come from (a guesser may have
//    many): kMaxServerFailures wrong secrets within kServerWindowMs replace the PIN (the old
//    one is dead; onPinReplaced tells the host, which shows the new one) and close the PIN and
//    the installer password to everyone for kLockoutMs. So at most kMaxServerFailures guesses
//    meet one PIN, and the amplifier's password takes no more than that per kLockoutMs. The
//    pairing code (128 bits, not guessable) is still taken meanwhile.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace mirelune {

enum class RemoteRole { None, Staff, Installer };
const char* RoleName(RemoteRole role);  // "staff", "installer", ""

class RemoteAuth {
 public:
  static constexpr int kMaxFailures = 5;
  static constexpr int64_t kLockoutMs = 60 * 1000;
  static constexpr int64_t kIdleMs = 12LL * 60 * 60 * 1000;
  static constexpr int kMaxServerFailures = 10;
  static constexpr int64_t kServerWindowMs = 10 * 60 * 1000;

  // `nowMs` is the clock (monotonic milliseconds); `random` fills bytes with secure random
  // values (the system's by default).
  explicit RemoteAuth(std::function<int64_t()> nowMs,
                      std::function<void(uint8_t*, size_t)> random = nullptr);

  const std::string& Pin() const { return pin_; }
  const std::string& PairingCode() const { return pairing_; }
  // A new pairing code (the old one dies): for another phone.
  void NewPairingCode();

  // Milliseconds `client` must still wait; 0 when it may try.
  int64_t LockedFor(const std::string& client) const;
  // Milliseconds the PIN and the password stay closed to everyone after the PIN was replaced.
  int64_t ServerLockedFor() const;
  // A wrong secret from `client`. True when it was one too many for the whole server: the
  // PIN was replaced (onPinReplaced has been called).
  bool Failed(const std::string& client);
  std::function<void()> onPinReplaced;
  // A right secret from `client`: its count starts again.
  void Succeeded(const std::string& client);

  // Checks the PIN / the pairing code in constant time (a pairing code is used up by a match).
  bool PinMatches(const std::string& pin) const;
  bool TakePairingCode(const std::string& code);

  // A new token for `role`.
  std::string Issue(RemoteRole role);
  // The role of `token`, renewing its idle time; None for an unknown or expired one.
  RemoteRole Use(const std::string& token);
  void Revoke(const std::string& token);
  size_t TokenCount() const { return tokens_.size(); }

 private:
  std::string RandomHex(size_t bytes);
  struct Token {
    RemoteRole role;
    int64_t lastUsed;
  };
  struct Client {
    int failures = 0;
    int64_t lockedUntil = 0;
    int64_t lastFailure = 0;
  };
  void NewPin();
  static constexpr size_t kMaxClients = 4096;  // addresses remembered; the oldest go first
  std::function<int64_t()> now_;
  std::function<void(uint8_t*, size_t)> random_;
  std::string pin_;
  std::string pairing_;
  std::map<std::string, Token> tokens_;
  std::map<std::string, Client> clients_;
  std::vector<int64_t> serverFailures_;  // times of the wrong secrets in the window
  int64_t serverLockedUntil_ = 0;
};

// Compares without an early exit, so the time taken does not tell how much of a secret matched.
bool SameSecret(const std::string& a, const std::string& b);

}  // namespace mirelune
