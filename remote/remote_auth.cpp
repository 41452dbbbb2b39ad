// SPDX-License-Identifier: GPL-3.0-or-later
#include "remote/remote_auth.h"

#include <algorithm>
#include <random>
#include <vector>

namespace mirelune {

const char* RoleName(RemoteRole role) {
  switch (role) {
    case RemoteRole::Staff: return "staff";
    case RemoteRole::Installer: return "installer";
    default: return "";
  }
}

bool SameSecret(const std::string& a, const std::string& b) {
  unsigned diff = a.size() == b.size() ? 0u : 1u;
  const size_t n = std::max(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
    const unsigned char y = i < b.size() ? static_cast<unsigned char>(b[i]) : 0;
    diff |= static_cast<unsigned>(x ^ y);
  }
  return diff == 0 && !a.empty();
}

RemoteAuth::RemoteAuth(std::function<int64_t()> nowMs, std::function<void(uint8_t*, size_t)> random)
    : now_(std::move(nowMs)), random_(std::move(random)) {
  if (!random_)
    random_ = [](uint8_t* out, size_t n) {
      // std::random_device reads the system's secure source (getrandom / urandom) here.
      std::random_device device;
      for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(device() & 0xFF);
    };
  NewPin();
  NewPairingCode();
}

void RemoteAuth::NewPin() {
  // Six digits without the bias of a plain modulo of a byte: values 0..249 only.
  pin_.clear();
  while (pin_.size() < 6) {
    uint8_t b = 0;
    random_(&b, 1);
    if (b < 250) pin_ += static_cast<char>('0' + b % 10);
  }
}

std::string RemoteAuth::RandomHex(size_t bytes) {
  std::vector<uint8_t> raw(bytes);
  random_(raw.data(), raw.size());
  static const char kHex[] = "0123456789abcdef";
  std::string s;
  for (uint8_t b : raw) {
    s += kHex[b >> 4];
    s += kHex[b & 15];
  }
  return s;
}

void RemoteAuth::NewPairingCode() { pairing_ = RandomHex(16); }

int64_t RemoteAuth::LockedFor(const std::string& client) const {
  const auto it = clients_.find(client);
  if (it == clients_.end()) return 0;
  const int64_t left = it->second.lockedUntil - now_();
  return left > 0 ? left : 0;
}

int64_t RemoteAuth::ServerLockedFor() const {
  const int64_t left = serverLockedUntil_ - now_();
  return left > 0 ? left : 0;
}

bool RemoteAuth::Failed(const std::string& client) {
  const int64_t now = now_();
  // Addresses whose last wrong secret is long past are forgotten; a guesser with ever new
  // addresses must not make the table grow without end.
  for (auto it = clients_.begin(); it != clients_.end();)
    it = now - it->second.lastFailure > kServerWindowMs && it->second.lockedUntil <= now ? clients_.erase(it)
                                                                                         : std::next(it);
  if (clients_.size() >= kMaxClients && !clients_.count(client)) {
    auto oldest = std::min_element(clients_.begin(), clients_.end(), [](const auto& x, const auto& y) {
      return x.second.lastFailure < y.second.lastFailure;
    });
    clients_.erase(oldest);
  }
  Client& c = clients_[client];
  if (c.lockedUntil != 0 && c.lockedUntil <= now) {
    // The last lock-out is over: counting starts again.
    c.failures = 0;
    c.lockedUntil = 0;
  }
  c.lastFailure = now;
  if (++c.failures >= kMaxFailures) c.lockedUntil = now + kLockoutMs;

  serverFailures_.erase(std::remove_if(serverFailures_.begin(), serverFailures_.end(),
                                       [now](int64_t t) { return now - t >= kServerWindowMs; }),
                        serverFailures_.end());
  serverFailures_.push_back(now);
  if (static_cast<int>(serverFailures_.size()) < kMaxServerFailures) return false;
  serverFailures_.clear();
  serverLockedUntil_ = now + kLockoutMs;
  NewPin();
  if (onPinReplaced) onPinReplaced();
  return true;
}

void RemoteAuth::Succeeded(const std::string& client) { clients_.erase(client); }

bool RemoteAuth::PinMatches(const std::string& pin) const { return SameSecret(pin, pin_); }

bool RemoteAuth::TakePairingCode(const std::string& code) {
  if (pairing_.empty() || !SameSecret(code, pairing_)) return false;
  pairing_.clear();  // one use
  return true;
}

std::string RemoteAuth::Issue(RemoteRole role) {
  // Expired tokens go when a new one is made, so the table does not grow with every phone.
  const int64_t now = now_();
  for (auto it = tokens_.begin(); it != tokens_.end();)
    it = now - it->second.lastUsed >= kIdleMs ? tokens_.erase(it) : std::next(it);
  std::string token = RandomHex(16);
  tokens_[token] = Token{role, now};
  return token;
}

RemoteRole RemoteAuth::Use(const std::string& token) {
  const auto it = tokens_.find(token);
  if (it == tokens_.end()) return RemoteRole::None;
  const int64_t now = now_();
  if (now - it->second.lastUsed >= kIdleMs) {
    tokens_.erase(it);
    return RemoteRole::None;
  }
  it->second.lastUsed = now;
  return it->second.role;
}

void RemoteAuth::Revoke(const std::string& token) { tokens_.erase(token); }

}  // namespace mirelune
