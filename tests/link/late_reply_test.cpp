// SPDX-License-Identifier: GPL-3.0-or-later
// Late replies against the virtual amplifier, in virtual time: a reply is the answer only to the
// request it fits, and a late answer to one request never becomes the answer to the next.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/param_ranges.h"
#include "link/group_decode.h"
#include "link/transfers.h"
#include "sim/virtual_rig.h"

namespace mirelune {
namespace {

std::unique_ptr<VirtualRig> MakeRig(const std::string& faults = "") {
  VirtualFaults f;
  std::string error;
  EXPECT_TRUE(ParseFaultList(faults, f, error)) << error;
  return std::make_unique<VirtualRig>(f);
}

// Virtual times at which command frames (not the search frame, not the sync byte) went out.
struct SendLog {
  explicit SendLog(VirtualRig& rig) : rig(rig) {
    rig.link.onTrace = [this](bool sent, const std::vector<uint8_t>& b) {
      if (sent && b.size() > 6 && b[1] != kSearchCode) times.push_back(this->rig.scheduler.NowMs());
    };
  }
  VirtualRig& rig;
  std::vector<int64_t> times;
};

TEST(LateReplies, TheIdentifierReplyIsNeverTheAnswerToACommand) {
  // Answers 650 ms late: the searches of 0 and 500 ms are both answered, the second while
  // the status request waits. Its payload byte 1 is 'L' (76), not a mode number.
  auto rig = MakeRig("delay=650");
  ASSERT_TRUE(rig->BringUp());
  rig->amplifier.SetCurrentMode(3);
  rig->trace.clear();
  ASSERT_TRUE(rig->link.SendCommand(ReadStatus, 0, 0)) << rig->link.LastError();
  EXPECT_EQ(rig->TraceLines("< FE 0B 5F 4C").size(), 1u) << "the late search answer came meanwhile";
  EXPECT_EQ(rig->link.RxLength(), 5);
  EXPECT_EQ(rig->link.ReplyPayload()[1], 3);
  EXPECT_TRUE(rig->link.Online);

  // Nor of a request whose answer may have any length: a change is acknowledged only by the
  // device's own reply, 200 ms late here, not by the search answer arriving 50 ms after it.
  rig->port.Faults().replyDelayMs = 200;
  const std::string id = kDeviceIdentifier;
  const std::vector<uint8_t> identifier =
      VirtualAmplifier::ReplyFrame(std::vector<uint8_t>(id.begin(), id.end()));
  rig->RunFor(2000);
  rig->scheduler.StartTimer(50, false, [&] { rig->link.ParseReplyBytes(identifier); });
  const int64_t start = rig->scheduler.NowMs();
  rig->store.ParamTable.at(0, 1028).Value = 12;
  ASSERT_TRUE(rig->link.SendCommand(SetParam, 0, 1028)) << rig->link.LastError();
  EXPECT_EQ(rig->scheduler.NowMs() - start, 200);
  EXPECT_EQ(rig->link.RxLength(), 5);
  EXPECT_EQ(rig->link.RepliesOwed(), 0);
}

TEST(LateReplies, AReplyOfAnotherLengthDoesNotEndTheWait) {
  // A forged reply of the wrong length arrives 50 ms after the frame, before the device's own
  // (200 ms late): the request must end with the device's reply, after one frame.
  struct Case {
    const char* what;
    int code, mode, address;
    int expected;  // payload bytes of the device's answer
    bool longerFits;  // only byte 1 is relied on: a longer answer is the answer
  };
  const Case cases[] = {
      {"status", ReadStatus, 0, 0, 2, true},
      {"password check", Password, 1, kPasswordCheck, 2, true},
      {"mode names", ReadModeNames, 0, 0, 132, false},
      {"menu flags of kind 3", ReadMenuFlags, 0, 3, -1, false},
      {"group of kind 0 (15 bands, 2 filters)", ReadGroup, 0, 0, 124, false},
      {"group of kind 9 (9 plain values)", ReadGroup, 0, 2304, 18, false},
      {"group of kind 10 (40 plain values)", ReadBackGroup, 0, 2560, 80, false},
  };
  for (const Case& c : cases) {
    for (int off : {-1, +1}) {
      if (off > 0 && c.longerFits) continue;
      SCOPED_TRACE(std::string(c.what) + (off < 0 ? ", one byte short" : ", one byte long"));
      auto rig = MakeRig();
      ASSERT_TRUE(rig->BringUp());
      const int expected =
          c.expected > 0 ? c.expected : 2 * rig->store.Menu.MenuItemCount[static_cast<size_t>(c.address)];
      rig->port.Faults().replyDelayMs = 200;
      const std::vector<uint8_t> forged =
          VirtualAmplifier::ReplyFrame(std::vector<uint8_t>(static_cast<size_t>(expected + off), 0x11));
      rig->scheduler.StartTimer(50, false, [&] { rig->link.ParseReplyBytes(forged); });
      SendLog log(*rig);
      ASSERT_TRUE(rig->link.SendCommand(c.code, c.mode, c.address)) << rig->link.LastError();
      EXPECT_EQ(rig->link.RxLength() - 3, expected);
      EXPECT_EQ(log.times.size(), 1u);
    }
  }
}

TEST(LateReplies, RepliesOfTheWrongLengthAloneFailTheRequestWithTheReason) {
  auto rig = MakeRig();
  ASSERT_TRUE(rig->BringUp());
  // The device answers the status request with one byte every time: no mode number.
  const std::vector<uint8_t> forged = VirtualAmplifier::ReplyFrame({9});
  rig->port.Faults().dropReplies = 1000;
  rig->link.onTrace = [&](bool sent, const std::vector<uint8_t>& b) {
    if (sent && b.size() > 1 && b[1] == ReadStatus)
      rig->scheduler.StartTimer(10, false, [&] { rig->link.ParseReplyBytes(forged); });
  };
  EXPECT_FALSE(rig->link.SendCommand(ReadStatus, 0, 0));
  EXPECT_EQ(rig->link.LastError(),
            "no fitting reply after 9 attempts: a reply of 1 payload bytes where at least 2 were expected");
  EXPECT_FALSE(rig->link.Online);
}

TEST(LateReplies, AStatusOrPasswordReplyLongerThanTwoBytesIsTheAnswer) {
  // Another firmware appends bytes to these answers; byte 1 is all that is read.
  for (int code : {int{ReadStatus}, int{Password}}) {
    SCOPED_TRACE(code);
    auto rig = MakeRig();
    ASSERT_TRUE(rig->BringUp());
    rig->amplifier.SetCurrentMode(6);
    rig->amplifier.reshapeReply = [](const std::vector<uint8_t>&, std::vector<uint8_t>& p) {
      p.insert(p.end(), {0x01, 0x02, 0x03, 0x04});
    };
    SendLog log(*rig);
    const int address = code == ReadStatus ? 0 : kPasswordCheck;
    ASSERT_TRUE(rig->link.SendCommand(code, code == ReadStatus ? 0 : 1, address)) << rig->link.LastError();
    EXPECT_EQ(log.times.size(), 1u);
    EXPECT_EQ(rig->link.RxLength() - 3, 6);
    if (code == ReadStatus) {
      EXPECT_EQ(rig->link.ReplyPayload()[1], 6);
    }
  }
}

TEST(LateReplies, AGroupReplyOfTheWrongSizeAloneIsTheAnswerAfterOneAttempt) {
  // No reply of the right size comes: the one of another size ends the request after its first
  // attempt, for the caller's count check, and the link stays up.
  for (int extra : {-2, +2}) {
    SCOPED_TRACE(extra);
    auto rig = MakeRig();
    ASSERT_TRUE(rig->BringUp());
    rig->amplifier.reshapeReply = [extra](const std::vector<uint8_t>&, std::vector<uint8_t>& p) {
      p.resize(static_cast<size_t>(static_cast<int>(p.size()) + extra), 0x07);
    };
    SendLog log(*rig);
    rig->link.ModeOverride = 0;
    ASSERT_TRUE(rig->link.SendCommand(ReadGroup, 0, 2304)) << rig->link.LastError();
    EXPECT_EQ(rig->link.RxLength() - 3, 18 + extra);
    EXPECT_EQ(log.times.size(), 1u);
    EXPECT_EQ(rig->link.LastError(), "");
    EXPECT_TRUE(rig->link.Online);
    EXPECT_TRUE(rig->notifier.messages.empty());
  }
}

// Reads menu kind `kind` of mode 0 and returns the plain values of its addresses.
std::vector<int> ReadPlainGroup(VirtualRig& rig, int kind) {
  Link& link = rig.link;
  link.ModeOverride = 0;
  const int first = rig.store.KindStart[static_cast<size_t>(kind)];
  if (!link.SendCommand(ReadGroup, 0, first)) return {};
  auto table = std::make_unique<RecordTable>(rig.store.ParamTable);
  const auto r = DecodeGroup(rig.store, *table, kind, 0, link.ReplyPayload().data(),
                             link.ReplyPayload().size(), link.RxLength());
  if (r.status != GroupDecodeResult::kOk) return {};
  std::vector<int> values;
  for (int a = first; a <= rig.store.KindEnd[static_cast<size_t>(kind)]; ++a)
    values.push_back(table->at(0, a).Value);
  return values;
}

TEST(LateReplies, TwoGroupsOfTheSameLengthAreNotMixedUp) {
  // Kinds 8 and 9 are both nine plain values; with answers 650 ms late, each read is answered
  // on its second frame and the first frame's answer is still on its way when the read ends.
  auto rig = MakeRig("delay=650");
  ASSERT_TRUE(rig->BringUp());
  for (int a = 2048; a <= 2056; ++a) rig->amplifier.Working().at(0, a).Value = 800 + a - 2048;
  for (int a = 2304; a <= 2312; ++a) rig->amplifier.Working().at(0, a).Value = 900 + a - 2304;
  SendLog log(*rig);
  const std::vector<int> kind8 = ReadPlainGroup(*rig, 8);
  const std::vector<int> kind9 = ReadPlainGroup(*rig, 9);
  EXPECT_EQ(kind8, (std::vector<int>{800, 801, 802, 803, 804, 805, 806, 807, 808}));
  EXPECT_EQ(kind9, (std::vector<int>{900, 901, 902, 903, 904, 905, 906, 907, 908}));
  ASSERT_EQ(log.times.size(), 4u) << "two frames per read";
}

TEST(LateReplies, AWriteWhoseLastGroupIsNeverAcknowledgedFails) {
  // From the first frame of the last group (menu kind 10) on, the device's replies are lost;
  // the late answers to the group before must not stand in for them.
  for (int delay : {0, 650, 1300}) {
    SCOPED_TRACE("delay " + std::to_string(delay));
    auto rig = MakeRig("delay=" + std::to_string(delay));
    ASSERT_TRUE(rig->BringUp());
    Transfers transfers(rig->store, rig->link, rig->notifier);
    rig->link.onTrace = [&](bool sent, const std::vector<uint8_t>& b) {
      if (sent && b.size() > 6 && b[1] == WriteGroup && b[3] == 10) rig->port.Faults().dropReplies = 1000;
    };
    EXPECT_FALSE(transfers.WriteModeFromReadBack(5));
    EXPECT_EQ(rig->link.LastError(), "no reply after 9 attempts");
  }
}

TEST(LateReplies, RepliesStillOwedAreAwaitedBeforeTheNextRequest) {
  struct Case {
    const char* what;
    std::function<void(VirtualRig&)> before;  // before the status request
    std::function<void(VirtualRig&)> during;  // 100 ms into it
    int64_t gap;  // from the status request's last frame to the names request's first
  };
  const Case cases[] = {
      {"second answer 650 ms late: waited for until it comes",
       [](VirtualRig& r) { r.port.Faults().replyDelayMs = 650; }, nullptr, 650},
      {"first answer lost: waited for up to the late-reply window",
       [](VirtualRig& r) { r.port.Faults().dropReplies = 1; }, nullptr, Link::kLateReplyWindowMs},
      {"first answer cut short by the second frame: nothing owed",
       [](VirtualRig& r) { r.port.Faults().dropReplies = 1; },
       [](VirtualRig& r) { r.link.ParseReplyBytes({0xFE, 0x05, 0x09}); }, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto rig = MakeRig();
    ASSERT_TRUE(rig->BringUp());
    c.before(*rig);
    if (c.during) rig->scheduler.StartTimer(100, false, [&] { c.during(*rig); });
    SendLog log(*rig);
    ASSERT_TRUE(rig->link.SendCommand(ReadStatus, 0, 0)) << rig->link.LastError();
    ASSERT_EQ(log.times.size(), 2u);
    ASSERT_TRUE(rig->link.SendCommand(ReadModeNames, 0, 0)) << rig->link.LastError();
    ASSERT_GE(log.times.size(), 3u);
    EXPECT_EQ(log.times[2] - log.times[1], c.gap);
    EXPECT_EQ(rig->link.RxLength(), 3 + 132);
    EXPECT_EQ(rig->link.RepliesOwed(), rig->port.Faults().replyDelayMs > 0 ? 1 : 0);
    // Once nothing is owed, the next request goes out at once.
    rig->port.Faults().replyDelayMs = 0;
    rig->RunFor(1000);
    const int64_t before = rig->scheduler.NowMs();
    ASSERT_TRUE(rig->link.SendCommand(ReadStatus, 0, 0));
    EXPECT_EQ(log.times.back(), before);
    EXPECT_TRUE(rig->notifier.messages.empty());
  }
}

// ---- Every operation under every delay: the right result, or a failure that says so ----

// Wire fields only: what a group or a SetParam carries.
bool SameOnWire(const ParamRecord& a, const ParamRecord& b, bool band) {
  if (!band) return a.Value == b.Value;
  return a.QType == b.QType && a.SQ == b.SQ && a.Freq == b.Freq && a.EQDisabled == b.EQDisabled &&
         a.Gain == b.Gain && a.Q == b.Q;
}

// Gives every record of both sound modes its own wire values, so that an answer taken from
// another group or another request cannot decode into the right ones. Shared addresses
// (PerMode false) keep one value for both sound modes, as the device does.
void MarkEveryRecord(const Store& store, RecordTable& t, int seed) {
  for (int k = 0; k < kKindCount; ++k)
    for (int a = store.KindStart[static_cast<size_t>(k)]; a <= store.KindEnd[static_cast<size_t>(k)]; ++a)
      for (int s = 0; s < (k < 8 ? 2 : 1); ++s) {
        ParamRecord& r = t.at(s, a);
        const int n = seed + 3 * a + s;
        if (a < kFirstSlotOnlyAddress && t.at(0, a).Kind == kEqBand) {
          r.Gain = 10 + n % 360;
          r.Freq = n % 363;
          r.Q = n % 101;
          r.SQ = n % 27;
          r.EQDisabled = n % 2 ? kTrue : kFalse;
        } else {
          // Within what the address holds: a whole-mode write refuses anything else.
          const ParamRange range = RangeOf(a);
          r.Value = range.low + n % (range.high - range.low + 1);
        }
        if (s == 1 && t.at(0, a).PerMode == kFalse) r = t.at(0, a);
      }
}

struct Outcome {
  bool ok = false;
  bool right = false;
};

// Reads stored mode 4 into ParamTable; right when every record read has the device's values.
Outcome ReadMode(VirtualRig& rig, Transfers& transfers) {
  RecordTable& device = rig.amplifier.StoredMode(4);
  MarkEveryRecord(rig.store, device, 1);
  Outcome o;
  o.ok = transfers.ReadModeToParams(4, false, ReadGroup);
  o.right = true;
  for (int s = 0; s < 2; ++s)
    for (int k : ReadKinds(s))
      for (int a = rig.store.KindStart[size_t(k)]; a <= rig.store.KindEnd[size_t(k)]; ++a)
        o.right &= SameOnWire(rig.store.ParamTable.at(s, a), device.at(s, a),
                              rig.store.ParamTable.at(0, a).Kind == kEqBand);
  for (int k : kSystemKinds)
    for (int a = rig.store.KindStart[size_t(k)]; a <= rig.store.KindEnd[size_t(k)]; ++a)
      o.right &= rig.store.ParamTable.at(0, a).Value == device.at(0, a).Value;
  return o;
}

// Writes ReadBackTable into stored mode 5; right when the device holds every record written.
Outcome WriteMode(VirtualRig& rig, Transfers& transfers) {
  RecordTable& table = rig.store.ReadBackTable;
  MarkEveryRecord(rig.store, table, 2);
  Outcome o;
  o.ok = transfers.WriteModeFromReadBack(5);
  o.right = true;
  const RecordTable& device = rig.amplifier.StoredMode(5);
  for (int s = 0; s < 2; ++s)
    for (int k : WriteKinds(s))
      for (int a = rig.store.KindStart[size_t(k)]; a <= rig.store.KindEnd[size_t(k)]; ++a)
        o.right &= SameOnWire(device.at(s, a), table.at(s, a), table.at(0, a).Kind == kEqBand);
  for (int k : kSystemKinds)
    for (int a = rig.store.KindStart[size_t(k)]; a <= rig.store.KindEnd[size_t(k)]; ++a)
      o.right &= device.at(0, a).Value == table.at(0, a).Value;
  return o;
}

// The status request; right when it names the device's current mode.
Outcome ReadStatusOf(VirtualRig& rig, Transfers&) {
  rig.amplifier.SetCurrentMode(6);
  Outcome o;
  o.ok = rig.link.SendCommand(ReadStatus, 0, 0);
  o.right = o.ok && rig.link.ReplyPayload()[1] == 6;
  return o;
}

// A parameter change as the command line makes it: the current mode from the status, the
// parameter's group, then SetParam. Right when each step read the device's values and the
// device holds the new one.
Outcome SetParameter(VirtualRig& rig, Transfers&) {
  rig.amplifier.SetCurrentMode(2);
  rig.amplifier.Working() = rig.amplifier.StoredMode(2);
  Outcome o;
  o.right = true;
  o.ok = rig.link.SendCommand(ReadStatus, 0, 0);
  if (!o.ok) return o;
  const int mode = rig.link.ReplyPayload()[1];
  o.right &= mode == 2;
  o.ok = rig.link.SendCommand(ReadGroup, mode, 1024);
  if (!o.ok) return o;
  auto table = std::make_unique<RecordTable>(rig.store.ParamTable);
  const auto decoded = DecodeGroup(rig.store, *table, 4, 0, rig.link.ReplyPayload().data(),
                                   rig.link.ReplyPayload().size(), rig.link.RxLength());
  o.right &= decoded.status == GroupDecodeResult::kOk && table->at(0, 1028).Value == 72;
  rig.store.ParamTable.at(0, 1028).Value = 55;
  o.ok = rig.link.SendCommand(SetParam, 0, 1028);
  o.right &= rig.amplifier.Working().at(0, 1028).Value == 55;
  return o;
}

TEST(LateReplies, UnderAnyDelayEveryOperationIsRightOrFailsWithAMessage) {
  struct Op {
    const char* name;
    Outcome (*run)(VirtualRig&, Transfers&);
  };
  const Op ops[] = {{"read status", ReadStatusOf},
                    {"read mode", ReadMode},
                    {"write mode", WriteMode},
                    {"set", SetParameter}};
  struct Case {
    const char* faults;
    bool copes;  // the link stays up: every operation must succeed
  };
  const Case cases[] = {
      {"", true},
      {"delay=300", true},
      {"delay=550", true},
      {"delay=599", true},
      {"delay=600", true},
      {"delay=650", true},
      {"delay=900", true},
      {"delay=1300", true},
      {"delay=2500", true},
      {"delay=650,split=3,stray", true},
      {"delay=590,split=2,usbtiming", false},  // long replies still arriving at each time-out
                                                 // are cut short by the resend, every time
      {"delay=1250,drop=1", true},
      // Sync echoes this late lose the link: operations may fail, but never succeed wrongly.
      {"delay=4500", false},
  };
  for (const Case& c : cases) {
    for (const Op& op : ops) {
      SCOPED_TRACE(std::string(c.faults) + ": " + op.name);
      auto rig = MakeRig(c.faults);
      Transfers transfers(rig->store, rig->link, rig->notifier);
      if (!rig->BringUp(10000)) {
        EXPECT_FALSE(c.copes) << "no link";
        continue;
      }
      const Outcome o = op.run(*rig, transfers);
      if (o.ok) {
        EXPECT_TRUE(o.right) << "a wrong result reported as success";
      } else {
        EXPECT_FALSE(c.copes) << rig->link.LastError();
        EXPECT_FALSE(rig->notifier.messages.empty() && rig->link.LastError().empty())
            << "a failure without a word";
      }
    }
  }
}

// A started transaction does not wait: StartCommand returns at once, its end comes from the
// event loop, and a SendCommand made meanwhile waits for it and then goes out itself.
TEST(StartedCommands, EndFromTheEventLoopAndASendCommandWaitsForThem) {
  auto rig = MakeRig("usbtiming");
  ASSERT_TRUE(rig->BringUp());
  rig->RunFor(300);
  SendLog log(*rig);
  rig->store.ParamTable.at(0, 1028).Value = 21;
  int ends = 0;
  bool result = false;
  ASSERT_TRUE(rig->link.StartCommand(SetParam, 0, 1028, [&](bool ok) {
    ++ends;
    result = ok;
  }));
  EXPECT_EQ(ends, 0) << "ended before the reply came";
  EXPECT_TRUE(rig->link.Busy());
  EXPECT_FALSE(rig->link.StartCommand(SetParam, 0, 1029, [](bool) {})) << "two at a time";
  // A request of its own meanwhile: it waits for the started one, then is answered too.
  rig->store.ParamTable.at(0, 1029).Value = 22;
  ASSERT_TRUE(rig->link.SendCommand(SetParam, 0, 1029)) << rig->link.LastError();
  EXPECT_EQ(ends, 1);
  EXPECT_TRUE(result);
  ASSERT_EQ(log.times.size(), 2u);
  EXPECT_EQ(rig->amplifier.Working().at(0, 1028).Value, 21);
  EXPECT_EQ(rig->amplifier.Working().at(0, 1029).Value, 22);
  EXPECT_FALSE(rig->link.Busy());
  EXPECT_TRUE(rig->notifier.messages.empty());
}

// Unanswered, a started transaction is sent nine times 600 ms apart, then ends once with false,
// the warning and the link offline, as SendCommand does; a frame that cannot be built is
// refused without a send or an end.
TEST(StartedCommands, NineUnansweredAttemptsEndWithTheWarningAndOffline) {
  auto rig = MakeRig();
  ASSERT_TRUE(rig->BringUp());
  rig->RunFor(300);
  SendLog log(*rig);
  rig->port.Faults().dropReplies = 1000;
  int ends = 0;
  bool result = true;
  ASSERT_TRUE(rig->link.StartCommand(SetParam, 0, 1028, [&](bool ok) {
    ++ends;
    result = ok;
  }));
  rig->RunFor(Link::kSendAttempts * Link::kReplyTimeoutMs + 100);
  EXPECT_EQ(ends, 1);
  EXPECT_FALSE(result);
  ASSERT_EQ(log.times.size(), static_cast<size_t>(Link::kSendAttempts));
  for (size_t i = 1; i < log.times.size(); ++i) EXPECT_EQ(log.times[i] - log.times[i - 1], Link::kReplyTimeoutMs);
  EXPECT_FALSE(rig->link.Online);
  ASSERT_EQ(rig->notifier.messages.size(), 1u);
  EXPECT_EQ(rig->notifier.messages[0].text, kLinkTimeoutText);
  EXPECT_FALSE(rig->link.StartCommand(SetParam, 0, 1028, [&](bool) { ++ends; })) << "offline";

  auto again = MakeRig();
  ASSERT_TRUE(again->BringUp());
  EXPECT_FALSE(again->link.StartCommand(SetParam, 0, kAddressCount + 5, [&](bool) { ++ends; }));
  EXPECT_NE(again->link.LastError().find("frame not built"), std::string::npos) << again->link.LastError();
  again->RunFor(1000);
  EXPECT_EQ(ends, 1);
}

}  // namespace
}  // namespace mirelune
