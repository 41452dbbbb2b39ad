// SPDX-License-Identifier: GPL-3.0-or-later
// The virtual amplifier answers as the console relies on: modes, names, menu flags, status and
// passwords, over the real link in virtual time.
#include <gtest/gtest.h>

#include <memory>

#include "link/admin_password.h"
#include "link/group_decode.h"
#include "sim/virtual_rig.h"

namespace mirelune {
namespace {

constexpr int kProbe = 1028;  // Value 70 + n in stored mode n

class VirtualAmplifierTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rig = std::make_unique<VirtualRig>(faults);
    ASSERT_TRUE(rig->BringUp());
  }
  // Reads kind `kind` of mode `mode` in sound mode `slot` into a fresh copy of the store's
  // table and returns the record at `address`.
  ParamRecord Read(int kind, int mode, int slot, int address) {
    Link& link = rig->link;
    int modeArg = slot * 11 + mode;
    if (kind >= 8) {
      link.ModeOverride = mode;
      modeArg = mode;
    }
    EXPECT_TRUE(link.SendCommand(ReadGroup, modeArg, rig->store.KindStart[size_t(kind)]));
    auto table = std::make_unique<RecordTable>(rig->store.ParamTable);
    const auto r = DecodeGroup(rig->store, *table, kind, slot, link.ReplyPayload().data(),
                               link.ReplyPayload().size(), link.RxLength());
    EXPECT_EQ(r.status, GroupDecodeResult::kOk) << "kind " << kind << " mode " << mode;
    return table->at(kind >= 8 ? 0 : slot, address);
  }
  bool PasswordAccepted(int slot, int op, std::vector<uint8_t> digits) {
    std::copy(digits.begin(), digits.end(), rig->link.PasswordDigits.begin());
    EXPECT_TRUE(rig->link.SendCommand(Password, slot, op));
    return rig->link.ReplyPayload()[1] == 0x53;
  }

  VirtualFaults faults;
  std::unique_ptr<VirtualRig> rig;
};

TEST_F(VirtualAmplifierTest, StoredModesAreToldApartAndTheCurrentOneIsTheWorkingSet) {
  for (int n = 1; n < 10; ++n) {
    EXPECT_EQ(Read(4, n, 0, kProbe).Value, 70 + n) << n;
    EXPECT_EQ(Read(4, n, 1, kProbe).Value, 70 + n) << n;
  }
  ASSERT_TRUE(rig->link.SendCommand(ReadStatus, 0, 0));
  EXPECT_EQ(rig->link.ReplyPayload()[1], 0);

  // A live edit shows in the current mode only.
  rig->store.ParamTable.at(0, kProbe).Value = 5;
  ASSERT_TRUE(rig->link.SendCommand(SetParam, 0, kProbe));
  EXPECT_EQ(Read(4, 0, 0, kProbe).Value, 5);
  EXPECT_EQ(Read(4, 0, 1, kProbe).Value, 5);  // not PerMode: one value for both sound modes
  EXPECT_EQ(rig->amplifier.StoredMode(0).at(0, kProbe).Value, 70);

  // SaveToMode stores the working set there and makes it current.
  ASSERT_TRUE(rig->link.SendCommand(SaveToMode, 3, 0));
  ASSERT_TRUE(rig->link.SendCommand(ReadStatus, 0, 0));
  EXPECT_EQ(rig->link.ReplyPayload()[1], 3);
  EXPECT_EQ(Read(4, 3, 0, kProbe).Value, 5);
  EXPECT_EQ(Read(4, 0, 0, kProbe).Value, 70);
}

TEST_F(VirtualAmplifierTest, PerModeEditsStayInTheirSoundMode) {
  rig->store.SetCurrentSoundMode(1);
  rig->store.ParamTable.at(1, 1024).Value = 42;  // PerMode
  ASSERT_TRUE(rig->link.SendCommand(SetParam, 0, 1024));
  EXPECT_EQ(Read(4, 0, 1, 1024).Value, 42);
  EXPECT_EQ(Read(4, 0, 0, 1024).Value, 100);
}

TEST_F(VirtualAmplifierTest, GroupWritesUpdateTheStoredModeAndTheWorkingSetWhenCurrent) {
  Store& s = rig->store;
  s.ReadBackTable.at(0, kProbe).Value = 11;
  s.ReadBackTable.at(1, 1032).Gain = 300;  // a band in the dance half
  s.ReadBackTable.at(1, 1032).EQDisabled = kTrue;
  ASSERT_TRUE(rig->link.SendCommand(WriteGroup, 5, 1024));
  ASSERT_TRUE(rig->link.SendCommand(WriteGroup, 11 + 5, 1024));
  EXPECT_EQ(Read(4, 5, 0, kProbe).Value, 11);
  const ParamRecord band = Read(4, 5, 1, 1032);
  EXPECT_EQ(band.Gain, 300);
  EXPECT_EQ(band.EQDisabled, kTrue);
  EXPECT_EQ(rig->amplifier.Working().at(0, kProbe).Value, 70);  // mode 5 is not current

  s.ReadBackTable.at(0, 2056).Value = 9;
  rig->link.ModeOverride = 0;  // mode 0 is current; kind 8 carries the plain mode number
  ASSERT_TRUE(rig->link.SendCommand(WriteGroup, 0, 2048));
  EXPECT_EQ(rig->amplifier.Working().at(0, 2056).Value, 9);
  EXPECT_EQ(Read(8, 0, 0, 2056).Value, 9);
}

TEST_F(VirtualAmplifierTest, ModeNamesAreElevenTwelveByteFields) {
  rig->amplifier.ModeName(1) = "ABCDEFGHIJKLMNOP";  // longer than a field: cut to 12 bytes
  ASSERT_TRUE(rig->link.SendCommand(ReadModeNames, 0, 0));
  ASSERT_EQ(rig->link.RxLength() - 3, 132);
  const uint8_t* p = rig->link.ReplyPayload().data();
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(p), 6), "Mode 1");
  EXPECT_EQ(p[6], 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(p + 12), 12), "ABCDEFGHIJKL");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(p + 9 * 12), 7), "Mode 10");
  EXPECT_EQ(p[10 * 12], 0);
}

TEST_F(VirtualAmplifierTest, MenuFlagsRoundTrip) {
  Store& s = rig->store;
  for (int kind = 0; kind < kCatalogueKinds; ++kind) {
    ASSERT_TRUE(rig->link.SendCommand(ReadMenuFlags, 0, kind));
    EXPECT_EQ(rig->link.RxLength() - 3, 2 * s.Menu.MenuItemCount[size_t(kind)]) << kind;
    for (int i = 0; i < s.Menu.MenuItemCount[size_t(kind)]; ++i)
      EXPECT_EQ(rig->link.ReplyPayload()[size_t(2 * i + 1)] & 1, 0) << kind << "/" << i;
  }
  s.Menu.MenuHidden[3][4] = 1;
  ASSERT_TRUE(rig->link.SendCommand(WriteMenuFlags, 0, 3));
  EXPECT_EQ(rig->amplifier.MenuHidden(3, 4), 1);
  ASSERT_TRUE(rig->link.SendCommand(ReadMenuFlags, 0, 3));
  EXPECT_EQ(rig->link.ReplyPayload()[2 * 4 + 1], 1);
  EXPECT_EQ(rig->link.ReplyPayload()[2 * 3 + 1], 0);
}

TEST_F(VirtualAmplifierTest, PasswordsAreCheckedChangedAndLoggedOut) {
  const auto admin = DefaultAdminDigits();
  const std::vector<uint8_t> adminDigits(admin.begin(), admin.end());
  struct Case {
    int slot;
    std::vector<uint8_t> digits;
    bool accepted;
  };
  const Case checks[] = {{0, {0, 0, 0, 0}, true},      {0, {0, 0, 0, 1}, false},
                         {1, {0, 0, 0, 0, 0, 0}, true}, {1, {1, 0, 0, 0, 0, 0}, false},
                         {2, adminDigits, true},        {2, {0, 0, 0, 0, 0, 0}, adminDigits == std::vector<uint8_t>(6, 0)}};
  for (const Case& c : checks)
    EXPECT_EQ(PasswordAccepted(c.slot, kPasswordCheck, c.digits), c.accepted) << "slot " << c.slot;

  EXPECT_FALSE(PasswordAccepted(0, kPasswordChange, {1, 1, 1, 1, 2, 2, 2, 2}));  // wrong old
  EXPECT_TRUE(PasswordAccepted(0, kPasswordChange, {0, 0, 0, 0, 2, 2, 2, 2}));
  EXPECT_FALSE(PasswordAccepted(0, kPasswordCheck, {0, 0, 0, 0}));
  EXPECT_TRUE(PasswordAccepted(0, kPasswordCheck, {2, 2, 2, 2}));
  EXPECT_TRUE(rig->amplifier.LoggedIn(0));
  EXPECT_TRUE(PasswordAccepted(0, kPasswordLogOut, {}));
  EXPECT_FALSE(rig->amplifier.LoggedIn(0));
}

class AdministratorAmplifierTest : public VirtualAmplifierTest {
 protected:
  AdministratorAmplifierTest() { faults.administrator = true; }
};

TEST_F(AdministratorAmplifierTest, RightsReadAsAdministrator) {
  EXPECT_EQ(Read(10, 0, 0, 2592).Value, 1);
  EXPECT_EQ(Read(10, 7, 0, 2592).Value, 1);
}

TEST_F(VirtualAmplifierTest, RightsReadAsGuestByDefault) { EXPECT_EQ(Read(10, 0, 0, 2592).Value, 0); }

TEST(VirtualAmplifierWire, AnswersOnlyWellFormedFrames) {
  VirtualAmplifier amp;
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    size_t answers;
  };
  const Case cases[] = {
      {"status", {0xFE, 0x09, 0x23, 0x23, 0x23, 0x09, 0x23, 0x23, 0xBF}, 1},
      {"status with a wrong checksum", {0xFE, 0x09, 0x23, 0x23, 0x23, 0x09, 0x23, 0x23, 0xBE}, 0},
      {"sync byte", {0xFF}, 1},
      {"noise, then status", {0x01, 0x02, 0xFE, 0x09, 0x23, 0x23, 0x23, 0x09, 0x23, 0x23, 0xBF}, 1},
      {"unknown code 7", {0xFE, 0x07, 0x23, 0x23, 0x23, 0x09, 0x23, 0x23, 0xBD}, 0},
      {"frame cut by a new FE", {0xFE, 0x09, 0x23, 0xFE, 0x09, 0x23, 0x23, 0x23, 0x09, 0x23, 0x23, 0xBF}, 1},
  };
  for (const Case& c : cases) {
    size_t answers = 0;
    // One byte at a time: reassembly must not depend on report boundaries.
    for (uint8_t b : c.bytes) answers += amp.Receive({b}).size();
    EXPECT_EQ(answers, c.answers) << c.what;
    amp.ResetReceiver();
  }
}

TEST(FaultList, TextForm) {
  VirtualFaults f;
  std::string error;
  ASSERT_TRUE(ParseFaultList("drop=2,corrupt=1,split=5,stray,delay=40,nosync,unplug=100:250,"
                             "usbtiming,admin,open=busy",
                             f, error))
      << error;
  EXPECT_EQ(f.dropReplies, 2);
  EXPECT_EQ(f.corruptReplies, 1);
  EXPECT_EQ(f.splitBytes, 5);
  EXPECT_TRUE(f.strayBytes);
  EXPECT_EQ(f.replyDelayMs, 40);
  EXPECT_TRUE(f.noSyncEcho);
  EXPECT_EQ(f.unplugAtMs, 100);
  EXPECT_EQ(f.unplugForMs, 250);
  EXPECT_TRUE(f.usbTiming);
  EXPECT_TRUE(f.administrator);
  EXPECT_EQ(f.openFailure, VirtualFaults::OpenFailure::Busy);

  for (const char* bad : {"drop", "drop=x", "split=0", "split=64", "delay=-5", "stray=1",
                          "unplug=5:", "open=maybe", "wobble"}) {
    VirtualFaults g;
    EXPECT_FALSE(ParseFaultList(bad, g, error)) << bad;
    EXPECT_NE(error.find(bad), std::string::npos) << error;
  }
}

TEST(UsbTimingModel, EachReportCostsOneMillisecondEachWay) {
  VirtualFaults f;
  f.usbTiming = true;
  auto rig = std::make_unique<VirtualRig>(f);
  ASSERT_TRUE(rig->BringUp());
  const int64_t start = rig->scheduler.NowMs();
  ASSERT_TRUE(rig->link.SendCommand(ReadStatus, 0, 0));
  EXPECT_EQ(rig->scheduler.NowMs() - start, 2);  // one OUT report, one IN report
  const int64_t before = rig->scheduler.NowMs();
  ASSERT_TRUE(rig->link.SendCommand(ReadModeNames, 0, 0));
  EXPECT_EQ(rig->scheduler.NowMs() - before, 1 + 3);  // 135-byte reply: three IN reports
}

}  // namespace
}  // namespace mirelune

namespace mirelune {
namespace {

TEST(FaultList, AnArgumentMayNameOneVirtualAmplifier) {
  struct Case {
    const char* text;
    const char* name;
    const char* items;
  };
  for (const Case& c : {Case{"drop=2,split=5", "", "drop=2,split=5"}, Case{"b:unplug=3", "b", "unplug=3"},
                        Case{"unplug=300:100", "", "unplug=300:100"}, Case{"room-2:usbtiming,unplug=25:9", "room-2", "usbtiming,unplug=25:9"},
                        Case{"stray", "", "stray"}}) {
    const FaultArgument a = SplitFaultArgument(c.text);
    EXPECT_EQ(a.name, c.name) << c.text;
    EXPECT_EQ(a.items, c.items) << c.text;
  }
}

}  // namespace
}  // namespace mirelune
