// SPDX-License-Identifier: GPL-3.0-or-later
// What happens at an amplifier's owner, for whoever listens: the local socket's subscribers,
// the remote's WebSockets. The owner publishes; listeners must not publish from inside their
// call, nor rely on the order among themselves. UI thread only.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace mirelune {

struct OwnerEvent {
  enum class Kind {
    Changed,  // `addresses` were acknowledged by the amplifier, changed by `by`
    Link,     // the link came up or went down, or the mode number became known
    Mode,     // a stored mode was recalled: every value may have changed
  };
  Kind kind = Kind::Changed;
  std::vector<int> addresses;
  std::string by;
  bool online = false;
  int mode = -1;  // 0..9, -1 unknown
};

class OwnerEvents {
 public:
  using Listener = std::function<void(const OwnerEvent&)>;

  // Returns the listener's key for Unsubscribe.
  int Subscribe(Listener listener) {
    listeners_[++last_] = std::move(listener);
    return last_;
  }
  void Unsubscribe(int key) { listeners_.erase(key); }

  void Publish(const OwnerEvent& event) {
    // A listener may unsubscribe itself (a closing connection): iterate over a copy.
    const auto listeners = listeners_;
    for (const auto& [key, listener] : listeners) listener(event);
  }

 private:
  std::map<int, Listener> listeners_;
  int last_ = 0;
};

}  // namespace mirelune
