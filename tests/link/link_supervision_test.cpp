// SPDX-License-Identifier: GPL-3.0-or-later
// The link against the virtual amplifier, in virtual time: coming up, the heartbeat, losing
// the device, the retries of a request, the link switch, quitting, and every injected fault.
#include <gtest/gtest.h>

#include <memory>

#include "link/group_decode.h"
#include "sim/virtual_rig.h"

namespace mirelune {
namespace {

using Kind = RecordingNotifier::Kind;

std::unique_ptr<VirtualRig> MakeRig(const std::string& faults = "") {
  VirtualFaults f;
  std::string error;
  EXPECT_TRUE(ParseFaultList(faults, f, error)) << error;
  return std::make_unique<VirtualRig>(f);
}

// Times (virtual ms) at which exactly these bytes were handed to the transport.
struct SendClock {
  explicit SendClock(VirtualRig& rig) : rig(rig) {
    rig.link.onTrace = [this](bool sent, const std::vector<uint8_t>& bytes) {
      if (sent) sends.push_back({this->rig.scheduler.NowMs(), bytes});
    };
  }
  std::vector<int64_t> TimesOf(const std::vector<uint8_t>& bytes) const {
    std::vector<int64_t> t;
    for (const auto& [when, b] : sends)
      if (b == bytes) t.push_back(when);
    return t;
  }
  VirtualRig& rig;
  std::vector<std::pair<int64_t, std::vector<uint8_t>>> sends;
};

std::vector<uint8_t> StatusFrame() { return {0xFE, 0x09, 0x23, 0x23, 0x23, 0x09, 0x23, 0x23, 0xBF}; }

TEST(LinkSupervision, ComesUpOnTheSearchSentAtStartAndSynchronisesOnce) {
  auto rig = MakeRig();
  int syncs = 0;
  rig->link.onStartSync = [&] { ++syncs; };
  ASSERT_TRUE(rig->BringUp());
  EXPECT_EQ(rig->scheduler.NowMs(), 0);
  EXPECT_EQ(rig->trace.front(), "> FE FA 23 23 23 0F 54 56 58 5F 43 54 52 4C 06");
  EXPECT_EQ(rig->trace.at(1), "< FE 0B 5F 4C 4D 2D 52 35 32 5A 41");
  EXPECT_EQ(rig->link.DeviceIdentifierSeen(), "_LM-R52Z");
  EXPECT_EQ(rig->link.ConnectStatusValue(), kStatusOnline);
  rig->RunFor(100);
  EXPECT_EQ(syncs, 1);
  rig->RunFor(20000);
  EXPECT_EQ(syncs, 1);
  EXPECT_TRUE(rig->link.Online);
}

TEST(LinkSupervision, TheFirstSearchGoesOutAtOnceThenEvery500ms) {
  // A device that does not answer (yet): the search frame at start, when the switch is turned
  // on again, and every 500 ms after each.
  struct Case {
    const char* faults;
    int64_t switchOffAt, switchOnAt;  // -1: the switch is not touched
    std::vector<int64_t> searches;    // within the first 2000 ms
  };
  const Case cases[] = {
      {"drop=1000", -1, -1, {0, 500, 1000, 1500}},
      {"drop=1000", 600, 730, {0, 500, 730, 1230, 1730}},
      {"drop=1000,usbtiming", -1, -1, {0, 500, 1000, 1500}},
  };
  for (const Case& c : cases) {
    auto rig = MakeRig(c.faults);
    // The rig started the link in its constructor: its trace holds the search at start.
    ASSERT_EQ(rig->TraceLines("> FE FA").size(), 1u) << c.faults;
    std::vector<int64_t> searches{0};
    rig->link.onTrace = [&](bool sent, const std::vector<uint8_t>& bytes) {
      if (sent && bytes == SearchFrame()) searches.push_back(rig->scheduler.NowMs());
    };
    if (c.switchOffAt >= 0) {
      rig->scheduler.StartTimer(static_cast<int>(c.switchOffAt), false,
                                [&] { rig->link.SetLinkSwitch(false); });
      rig->scheduler.StartTimer(static_cast<int>(c.switchOnAt), false,
                                [&] { rig->link.SetLinkSwitch(true); });
    }
    rig->RunFor(1999);
    EXPECT_EQ(searches, c.searches) << c.faults << " switch " << c.switchOffAt;
    EXPECT_FALSE(rig->link.Online);
  }
}

TEST(LinkSupervision, AStoppedLinkSendsNothingWhenTheSwitchIsTurnedOn) {
  auto rig = MakeRig("drop=1000");
  rig->link.SetLinkSwitch(false);
  rig->link.Stop();
  const size_t written = rig->port.WrittenReports().size();
  rig->link.SetLinkSwitch(true);
  rig->RunFor(2000);
  EXPECT_EQ(rig->port.WrittenReports().size(), written);
  rig->link.Start();  // and starting it again searches at once
  EXPECT_EQ(rig->port.WrittenReports().size(), written + 1);
}

TEST(LinkSupervision, AnEchoingDeviceStaysOnlineWithOneSyncBytePerSecond) {
  auto rig = MakeRig();
  ASSERT_TRUE(rig->BringUp());
  rig->trace.clear();
  rig->RunFor(60000);
  EXPECT_TRUE(rig->link.Online);
  EXPECT_TRUE(rig->notifier.messages.empty());
  EXPECT_EQ(rig->TraceLines("> FF").size(), 60u);
  EXPECT_EQ(rig->TraceLines("< FF").size(), 60u);
  EXPECT_EQ(rig->TraceLines("> FE").size(), 0u);  // no search while online
  EXPECT_EQ(rig->notifier.nudges, 60);
}

TEST(LinkSupervision, WithoutSyncEchoTheLinkIsLostOnThe101stTickWithOneWarning) {
  auto rig = MakeRig("nosync");
  ASSERT_TRUE(rig->BringUp());
  const int64_t up = rig->scheduler.NowMs();
  int64_t lostAt = -1;
  rig->link.onConnectStatus = [&](int s) {
    if (s == kStatusOffline && lostAt < 0) lostAt = rig->scheduler.NowMs();
  };
  rig->RunFor(5200);
  EXPECT_EQ(lostAt - up, 101 * Link::kTickMs);
  EXPECT_EQ(rig->notifier.Texts(Kind::Warning), std::vector<std::string>{kLinkTimeoutText});
}

TEST(LinkSupervision, AnUnansweredRequestIsSentNineTimes600msApartThenWarns) {
  auto rig = MakeRig();
  ASSERT_TRUE(rig->BringUp());
  SendClock clock(*rig);
  rig->port.Faults().dropReplies = 1000;
  const int64_t start = rig->scheduler.NowMs();
  EXPECT_FALSE(rig->link.SendCommand(ReadStatus, 0, 0));
  const auto times = clock.TimesOf(StatusFrame());
  ASSERT_EQ(times.size(), 9u);
  for (size_t i = 0; i < times.size(); ++i) EXPECT_EQ(times[i] - start, 600 * int64_t(i));
  EXPECT_EQ(rig->scheduler.NowMs() - start, 9 * 600);
  EXPECT_EQ(rig->notifier.Texts(Kind::Warning), std::vector<std::string>{kLinkTimeoutText});
  EXPECT_FALSE(rig->link.Online);
  EXPECT_EQ(rig->link.ConnectStatusValue(), kStatusOffline);
  EXPECT_FALSE(rig->link.InWait);
  // Searching resumes; the device answers again once it replies.
  rig->port.Faults().dropReplies = 0;
  EXPECT_TRUE(rig->BringUp(1000));
}

TEST(LinkSupervision, LostRepliesAreMadeGoodByTheRetries) {
  struct Case {
    const char* faults;
    size_t sends;
  };
  for (const Case& c : {Case{"drop=2", 3}, Case{"corrupt=3", 4}, Case{"drop=1,corrupt=1", 3},
                        Case{"drop=8", 9}}) {
    auto rig = MakeRig();
    ASSERT_TRUE(rig->BringUp());
    SendClock clock(*rig);
    std::string error;
    ASSERT_TRUE(ParseFaultList(c.faults, rig->port.Faults(), error));
    EXPECT_TRUE(rig->link.SendCommand(ReadStatus, 0, 0)) << c.faults;
    EXPECT_EQ(clock.TimesOf(StatusFrame()).size(), c.sends) << c.faults;
    EXPECT_EQ(rig->link.ReplyPayload()[0], ReadStatus) << c.faults;
    EXPECT_TRUE(rig->notifier.messages.empty()) << c.faults;
  }
}

// A realistic exchange under each fault: every request must succeed with the right payload.
TEST(LinkSupervision, EveryDeliveryFaultStillGivesTheRightReplies) {
  const char* faultLists[] = {"",          "split=1",   "split=7",         "stray",
                         "delay=300", "usbtiming", "stray,split=3",   "usbtiming,split=2,stray",
                         "drop=1",    "corrupt=1", "delay=450,split=4"};
  for (const char* faults : faultLists) {
    SCOPED_TRACE(faults);
    auto rig = MakeRig(faults);
    ASSERT_TRUE(rig->BringUp()) << faults;
    Link& link = rig->link;
    rig->amplifier.SetCurrentMode(6);

    ASSERT_TRUE(link.SendCommand(ReadStatus, 0, 0)) << faults;
    EXPECT_EQ(link.ReplyPayload()[1], 6) << faults;

    ASSERT_TRUE(link.SendCommand(ReadModeNames, 0, 0)) << faults;
    EXPECT_EQ(link.RxLength(), 3 + 11 * 12) << faults;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&link.ReplyPayload()[9 * 12])), "Mode 10")
        << faults;

    // The longest group: 15 bands and 26 plain records, several reports.
    ASSERT_TRUE(link.SendCommand(ReadGroup, 6, 768)) << faults;
    const auto decoded =
        DecodeGroup(rig->store, rig->store.ReadBackTable, 3, 0, link.ReplyPayload().data(),
                    link.ReplyPayload().size(), link.RxLength());
    EXPECT_EQ(decoded.status, GroupDecodeResult::kOk) << faults;

    rig->store.ParamTable.at(0, 1028).Value = 33;
    ASSERT_TRUE(link.SendCommand(SetParam, 0, 1028)) << faults;
    EXPECT_EQ(rig->amplifier.Working().at(0, 1028).Value, 33) << faults;

    rig->RunFor(10000);
    EXPECT_TRUE(link.Online) << faults;
    EXPECT_TRUE(rig->notifier.messages.empty()) << faults;
  }
}

TEST(LinkSupervision, AReplySlowerThanTheTimeOutIsTakenByTheRetry) {
  auto rig = MakeRig();
  ASSERT_TRUE(rig->BringUp());
  rig->amplifier.SetCurrentMode(3);
  rig->port.Faults().replyDelayMs = 700;
  SendClock clock(*rig);
  const int64_t start = rig->scheduler.NowMs();
  EXPECT_TRUE(rig->link.SendCommand(ReadStatus, 0, 0));
  EXPECT_EQ(clock.TimesOf(StatusFrame()).size(), 2u);
  EXPECT_EQ(rig->scheduler.NowMs() - start, 700);
  EXPECT_EQ(rig->link.ReplyPayload()[1], 3);
  EXPECT_TRUE(rig->notifier.messages.empty());
}

TEST(LinkSupervision, UnplugAndReplugNeedNoUserAction) {
  struct Case {
    const char* faults;
    bool requestDuringAbsence;  // sent 1.5 s after the cable was pulled
    size_t warnings;
  };
  // A short absence is bridged by the retries and the heartbeat's 5 s; a long one loses the
  // link once, and it comes back by itself when the cable is back.
  for (const Case& c : {Case{"unplug=2000:10000", false, 1}, Case{"unplug=2000:2000", true, 0}}) {
    auto rig = MakeRig(c.faults);
    ASSERT_TRUE(rig->BringUp());
    rig->RunFor(3000);
    EXPECT_FALSE(rig->usb.IsConnected()) << c.faults;
    ASSERT_TRUE(rig->link.Online) << c.faults;
    EXPECT_EQ(rig->link.SendCommand(ReadStatus, 0, 0), c.requestDuringAbsence) << c.faults;
    rig->RunFor(12000);
    EXPECT_TRUE(rig->usb.IsConnected()) << c.faults;
    EXPECT_TRUE(rig->link.Online) << c.faults;
    EXPECT_TRUE(rig->link.SendCommand(ReadStatus, 0, 0)) << c.faults;
    EXPECT_EQ(rig->notifier.Texts(Kind::Warning).size(), c.warnings) << c.faults;
  }
}

TEST(LinkSupervision, SwitchingOffDuringAWaitEndsItWithoutWarningAndSilencesTheLink) {
  auto rig = MakeRig();
  int syncs = 0;
  rig->link.onStartSync = [&] { ++syncs; };
  ASSERT_TRUE(rig->BringUp());
  rig->RunFor(200);
  ASSERT_EQ(syncs, 1);
  SendClock clock(*rig);
  rig->port.Faults().dropReplies = 1000;
  rig->scheduler.StartTimer(100, false, [&] { rig->link.SetLinkSwitch(false); });
  const int64_t start = rig->scheduler.NowMs();
  EXPECT_FALSE(rig->link.SendCommand(ReadStatus, 0, 0));
  EXPECT_EQ(rig->scheduler.NowMs() - start, 600);  // the current wait runs out
  EXPECT_EQ(clock.TimesOf(StatusFrame()).size(), 1u);
  EXPECT_TRUE(rig->notifier.messages.empty());
  EXPECT_EQ(rig->link.ConnectStatusValue(), kStatusSwitchedOff);

  const size_t written = rig->port.WrittenReports().size();
  rig->RunFor(10000);
  EXPECT_EQ(rig->port.WrittenReports().size(), written);  // not a byte while switched off

  rig->link.SetLinkSwitch(true);
  EXPECT_EQ(rig->link.ConnectStatusValue(), kStatusOffline);
  rig->RunFor(2000);  // searching, but the device does not answer yet
  EXPECT_EQ(syncs, 1);
  EXPECT_GE(clock.TimesOf(SearchFrame()).size(), 4u);
  rig->port.Faults().dropReplies = 0;
  ASSERT_TRUE(rig->BringUp(600));
  rig->RunFor(100);
  EXPECT_EQ(syncs, 2);
}

TEST(LinkSupervision, AnIdentifierArrivingAfterSwitchOffDoesNotBringTheLinkUp) {
  auto rig = MakeRig("delay=40");
  rig->RunFor(10);  // the search frame at start is out, its answer still on the way
  rig->link.SetLinkSwitch(false);
  rig->RunFor(100);
  EXPECT_EQ(rig->TraceLines("< FE 0B 5F").size(), 1u);
  EXPECT_FALSE(rig->link.Online);
  EXPECT_EQ(rig->link.ConnectStatusValue(), kStatusSwitchedOff);
}

TEST(LinkSupervision, QuittingEndsAWaitAtOnceWithoutWarning) {
  auto rig = MakeRig();
  ASSERT_TRUE(rig->BringUp());
  SendClock clock(*rig);
  rig->port.Faults().dropReplies = 1000;
  rig->scheduler.StartTimer(100, false, [&] { rig->link.Quitting = true; });
  const int64_t start = rig->scheduler.NowMs();
  EXPECT_FALSE(rig->link.SendCommand(ReadStatus, 0, 0));
  EXPECT_EQ(rig->scheduler.NowMs() - start, 100);
  EXPECT_EQ(clock.TimesOf(StatusFrame()).size(), 1u);
  EXPECT_TRUE(rig->notifier.messages.empty());
  EXPECT_FALSE(rig->link.InWait);
}

TEST(LinkSupervision, LosingTheHeartbeatDuringAWaitFailsTheRequestWithOneWarning) {
  auto rig = MakeRig("nosync");
  ASSERT_TRUE(rig->BringUp());
  const int64_t up = rig->scheduler.NowMs();
  rig->RunFor(3000);
  rig->port.Faults().dropReplies = 1000;
  EXPECT_FALSE(rig->link.SendCommand(ReadStatus, 0, 0));
  EXPECT_EQ(rig->scheduler.NowMs() - up, 101 * Link::kTickMs);
  EXPECT_EQ(rig->notifier.Texts(Kind::Warning).size(), 1u);
}

TEST(LinkSupervision, AFrameThatCannotBeBuiltIsNeverSent) {
  auto rig = MakeRig();
  ASSERT_TRUE(rig->BringUp());
  const size_t written = rig->port.WrittenReports().size();
  rig->store.ParamTable.at(0, 2590).Value = -1;
  EXPECT_FALSE(rig->link.SendCommand(SetParam, 0, 2590));
  EXPECT_EQ(rig->port.WrittenReports().size(), written);
  EXPECT_NE(rig->link.LastError().find("-1"), std::string::npos) << rig->link.LastError();
  EXPECT_TRUE(rig->link.Online);
  EXPECT_TRUE(rig->notifier.messages.empty());
}

TEST(LinkSupervision, TheOneShotModeOverrideIsConsumedBySendCommand) {
  auto rig = MakeRig();
  ASSERT_TRUE(rig->BringUp());
  rig->link.ModeOverride = 4;
  ASSERT_TRUE(rig->link.SendCommand(ReadStatus, 0, 0));  // does not use it
  ASSERT_TRUE(rig->link.SendCommand(ReadGroup, 0, 2560));
  ASSERT_TRUE(rig->link.SendCommand(ReadGroup, 0, 2560));
  const auto& log = rig->amplifier.CommandLog();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2][2], 4);
  EXPECT_EQ(log.back()[2], 0);
  EXPECT_EQ(rig->link.ModeOverride, 0);
}

TEST(LinkSupervision, TheBlinkClockFlipsEveryFourTicks) {
  auto rig = MakeRig();
  int blinks = 0;
  rig->link.onBlink = [&] { ++blinks; };
  rig->link.StartBlink();
  rig->RunFor(16 * Link::kTickMs);
  EXPECT_EQ(blinks, 4);
  EXPECT_FALSE(rig->link.BlinkPhase);
}

TEST(UsbOpen, TheReasonAnAmplifierCannotBeOpenedIsTold) {
  struct Case {
    const char* faults;
    HidOpenStatus status;
    const char* says;
  };
  const Case cases[] = {
      {"open=denied", HidOpenStatus::PermissionDenied, "may not open it"},
      {"open=busy", HidOpenStatus::Busy, "in use by another program"},
      {"unplug=0", HidOpenStatus::NotFound, "no amplifier connected (USB 2E3C:0D07)"},
  };
  for (const Case& c : cases) {
    auto rig = MakeRig(c.faults);
    EXPECT_FALSE(rig->BringUp(3000)) << c.faults;
    const HidOpenResult& r = rig->usb.LastOpenResult();
    EXPECT_EQ(r.status, c.status) << c.faults;
    EXPECT_NE(DescribeOpenResult(r, kAmplifierVendorId, kAmplifierProductId).find(c.says),
              std::string::npos)
        << c.faults;
  }
}

}  // namespace
}  // namespace mirelune
