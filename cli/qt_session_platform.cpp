// SPDX-License-Identifier: GPL-3.0-or-later
// The device sessions of the tool with Qt: Qt's event loop (shared with what else a command
// runs, the owner's socket server or a batch's threads) and hidapi's ports.
#include "cli/qt_session_platform.h"

#include <QCoreApplication>

#include "platform/hidapi_port.h"
#include "platform/qt_scheduler.h"

namespace mirelune::cli {
namespace {

int g_argc = 1;
char g_name[] = "mirelune-cli";
char* g_argv[] = {g_name, nullptr};

// QtScheduler needs an application object in the process; a session makes one when there is
// none yet and lets it go with its scheduler.
class SessionScheduler : public Scheduler {
 public:
  SessionScheduler()
      : app_(QCoreApplication::instance() ? nullptr : std::make_unique<QCoreApplication>(g_argc, g_argv)) {}
  TimerId StartTimer(int intervalMs, bool repeating, std::function<void()> callback) override {
    return timers_.StartTimer(intervalMs, repeating, std::move(callback));
  }
  void StopTimer(TimerId id) override { timers_.StopTimer(id); }
  bool IsActive(TimerId id) const override { return timers_.IsActive(id); }
  bool WaitUntil(const std::function<bool()>& done) override { return timers_.WaitUntil(done); }
  int64_t NowMs() const override { return timers_.NowMs(); }

 private:
  std::unique_ptr<QCoreApplication> app_;  // before the timers, which end first
  QtScheduler timers_;
};

class QtSessionPlatform : public SessionPlatform {
 public:
  std::unique_ptr<Scheduler> NewScheduler() override { return std::make_unique<SessionScheduler>(); }
  std::unique_ptr<HidPort> NewHidPort() override { return std::make_unique<HidapiPort>(); }
  std::vector<HidDeviceInfo> Amplifiers(uint16_t vendor, uint16_t product) override {
    return EnumerateHidAmplifiers(vendor, product);
  }
};

}  // namespace

SessionPlatform& QtPlatform() {
  static QtSessionPlatform platform;
  return platform;
}

}  // namespace mirelune::cli
