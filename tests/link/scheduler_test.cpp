// SPDX-License-Identifier: GPL-3.0-or-later
// The scheduler contract, run against the backends: the virtual one in virtual time, the one
// without Qt's loop over a clock in virtual time, and the Qt one with intervals of a few
// milliseconds.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock_scheduler.h"
#include "platform/hidapi_port.h"
#include "platform/qt_scheduler.h"
#include "platform/virtual_scheduler.h"

namespace mirelune {
namespace {

void EnsureQtApp() {
  static int argc = 1;
  static char name[] = "scheduler_test";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);  // lives for the run
}

// A clock that moves only when slept on, and remembers until when.
class TestClock : public ClockScheduler::Clock {
 public:
  int64_t NowMs() override { return now; }
  void SleepUntil(int64_t ms) override {
    sleeps.push_back(ms);
    if (ms > now) now = ms;
  }
  int64_t now = 1000;
  std::vector<int64_t> sleeps;
};

struct WithTestClock {
  TestClock clock;
};

// ClockScheduler in virtual time (its clock is made before it).
class VirtualClockScheduler : private WithTestClock, public ClockScheduler {
 public:
  VirtualClockScheduler() : ClockScheduler(clock) {}
  TestClock& Clock() { return clock; }
};

template <typename T>
class SchedulerContract : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureQtApp();
    sched = std::make_unique<T>();
  }
  std::unique_ptr<Scheduler> sched;
};

using Backends = ::testing::Types<VirtualScheduler, VirtualClockScheduler, QtScheduler>;
TYPED_TEST_SUITE(SchedulerContract, Backends);

TYPED_TEST(SchedulerContract, OneShotsFireOnceInTimeOrder) {
  Scheduler& s = *this->sched;
  std::string order;
  s.StartTimer(20, false, [&] { order += "c"; });
  s.StartTimer(4, false, [&] { order += "a"; });
  s.StartTimer(10, false, [&] { order += "b"; });
  const int64_t start = s.NowMs();
  EXPECT_TRUE(s.WaitUntil([&] { return order.size() == 3; }));
  EXPECT_EQ(order, "abc");
  EXPECT_GE(s.NowMs() - start, 20);
  bool late = false;
  s.StartTimer(10, false, [&] { late = true; });
  EXPECT_TRUE(s.WaitUntil([&] { return late; }));
  EXPECT_EQ(order, "abc");  // none fired twice
}

TYPED_TEST(SchedulerContract, ARepeatingTimerCanStopItselfAndIsNeverReentered) {
  Scheduler& s = *this->sched;
  int fires = 0, depth = 0, maxDepth = 0;
  bool released = false, done = false;
  Scheduler::TimerId tick = 0;
  tick = s.StartTimer(3, true, [&] {
    ++fires;
    maxDepth = std::max(maxDepth, ++depth);
    // The first tick waits in a nested loop for 30 ms; the tick must not run inside it.
    if (fires == 1) s.WaitUntil([&] { return released; });
    if (fires == 3) {
      s.StopTimer(tick);
      done = true;
    }
    --depth;
  });
  s.StartTimer(30, false, [&] { released = true; });
  EXPECT_TRUE(s.WaitUntil([&] { return done; }));
  EXPECT_EQ(maxDepth, 1);
  EXPECT_FALSE(s.IsActive(tick));
  // Stopped for good: a later wait sees no further tick.
  bool later = false;
  s.StartTimer(20, false, [&] { later = true; });
  s.WaitUntil([&] { return later; });
  EXPECT_EQ(fires, 3);
}

TEST(VirtualSchedulerLimits, AWaitThatCanNeverEndReturnsFalse) {
  VirtualScheduler s;
  EXPECT_FALSE(s.WaitUntil([] { return false; }));  // no timers at all
  s.SetHorizonMs(10000);
  s.StartTimer(50, true, [] {});
  EXPECT_FALSE(s.WaitUntil([] { return false; }));  // ticks forever: stops at the horizon
  EXPECT_LE(s.NowMs(), 10000);
}

// It sleeps until the next timer is due, once per due time, and never beyond it.
TEST(ClockSchedulerWaits, SleepUntilEachDueTimeAndNoLonger) {
  VirtualClockScheduler s;
  std::string order;
  s.StartTimer(20, false, [&] { order += "c"; });
  s.StartTimer(4, false, [&] { order += "a"; });
  s.StartTimer(4, false, [&] { order += "b"; });  // the same moment: in the order started
  EXPECT_TRUE(s.WaitUntil([&] { return order.size() == 3; }));
  EXPECT_EQ(order, "abc");
  EXPECT_EQ(s.Clock().sleeps, (std::vector<int64_t>{1004, 1020}));
  EXPECT_EQ(s.NowMs(), 1020);
}

// A repeating timer keeps its beat; of the ticks a slow callback let pass, one runs at once
// (as under Qt's loop) and the others are skipped, not run one after another to catch up.
TEST(ClockSchedulerWaits, ASlowRepeatingTimerSkipsTheTicksItMissed) {
  VirtualClockScheduler s;
  std::vector<int64_t> at;
  s.StartTimer(10, true, [&] {
    at.push_back(s.NowMs());
    if (at.size() == 1) s.Clock().now += 55;  // the first tick takes 55 ms
  });
  EXPECT_TRUE(s.WaitUntil([&] { return at.size() == 3; }));
  EXPECT_EQ(at, (std::vector<int64_t>{1010, 1065, 1075}));
}

TEST(ClockSchedulerWaits, AWaitThatNoTimerCanEndReturnsFalse) {
  VirtualClockScheduler s;
  EXPECT_FALSE(s.WaitUntil([] { return false; }));
  bool fired = false;
  const Scheduler::TimerId id = s.StartTimer(5, false, [&] { fired = true; });
  s.StopTimer(id);
  EXPECT_FALSE(s.WaitUntil([&] { return fired; }));
  EXPECT_TRUE(s.Clock().sleeps.empty());
}

TEST(HidapiPort, AnAbsentDeviceIsReportedAsNotFound) {
  EnsureQtApp();
  HidapiPort port;
  // Ids no USB device uses.
  const HidOpenResult r = port.Open(0xFFFF, 0xFFFE);
  EXPECT_EQ(r.status, HidOpenStatus::NotFound);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.OutputReportLength(), 0);
  EXPECT_FALSE(port.WriteReport(std::vector<uint8_t>(HidapiPort::kReportLength, 0)));
}

}  // namespace
}  // namespace mirelune
