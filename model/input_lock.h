// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps the window's input off for a scope: enable(false) on entry, enable(true) however the
// scope ends. Bulk operations send records one by one in nested waits, and an edit made
// meanwhile would land in the store half-way through them.
#pragma once

#include <functional>

namespace mirelune {

class InputLock {
 public:
  // `enable` may be empty (nothing to lock); it must outlive the lock.
  explicit InputLock(const std::function<void(bool)>& enable) : enable_(enable) {
    if (enable_) enable_(false);
  }
  ~InputLock() {
    if (enable_) enable_(true);
  }
  InputLock(const InputLock&) = delete;
  InputLock& operator=(const InputLock&) = delete;

 private:
  const std::function<void(bool)>& enable_;
};

}  // namespace mirelune
