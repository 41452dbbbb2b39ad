// SPDX-License-Identifier: GPL-3.0-or-later
// How soon the console shows the amplifier's values after it starts, in virtual time on the
// virtual amplifier with the USB timing model (one 1 ms frame per report each way): the search
// goes out at Start, the start-up read follows the answer at once, and the values are in the
// store well inside a third of a second.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/recording_notifier.h"
#include "platform/virtual_scheduler.h"
#include "sim/virtual_amplifier.h"
#include "ui/session/console_session.h"

namespace mirelune::ui {
namespace {

TEST(ConsoleStartup, TheDevicesValuesFollowTheSearchAnswerWithoutWaiting) {
  struct Case {
    const char* faults;
    int64_t online;  // the search out and its answer back: one report each way, or two back
  };
  for (const auto& [faults, online] : {Case{"", 0}, Case{"usbtiming", 2}, Case{"usbtiming,split=8", 3}}) {
    ConsoleOptions options;
    options.device = ConsoleOptions::Device::Virtual;
    std::string error;
    ASSERT_TRUE(ParseFaultList(faults, options.faults, error)) << error;
    VirtualScheduler scheduler;
    RecordingNotifier messages;
    ConsoleSession session(options, scheduler, messages);
    int64_t onlineAt = -1, firstReadFrameAt = -1, shownAt = -1;
    session.onLinkChanged = [&] {
      if (onlineAt < 0 && session.link().Online) onlineAt = scheduler.NowMs();
    };
    session.onDeviceRead = [&] { shownAt = scheduler.NowMs(); };
    session.link().onTrace = [&](bool sent, const std::vector<uint8_t>& bytes) {
      if (sent && firstReadFrameAt < 0 && bytes.size() > 1 && bytes != SearchFrame())
        firstReadFrameAt = scheduler.NowMs();
    };
    session.amplifier()->SetCurrentMode(2);
    session.amplifier()->Working().at(0, 1028).Value = 17;  // what the store must show
    ASSERT_NE(session.store().ParamTable.at(0, 1028).Value, 17);
    session.Start();
    scheduler.RunFor(2000);
    ASSERT_GE(shownAt, 0) << faults;
    EXPECT_EQ(onlineAt, online) << faults;
    EXPECT_EQ(firstReadFrameAt, onlineAt) << faults << ": the read waited for a timer";
    EXPECT_LE(shownAt, 350) << faults;
    EXPECT_EQ(session.store().ParamTable.at(0, 1028).Value, 17) << faults;
    EXPECT_NE(session.StatusText().find("3"), std::string::npos) << session.StatusText();
    EXPECT_TRUE(messages.messages.empty()) << faults;
    std::printf("[ startup ] faults '%s': online at %lld ms, values shown at %lld ms (virtual)\n",
                faults, static_cast<long long>(onlineAt), static_cast<long long>(shownAt));
  }
}

}  // namespace
}  // namespace mirelune::ui
