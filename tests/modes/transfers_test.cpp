// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "modes/file_operation.h"
#include "link/admin_password.h"
#include "model/ansi_text.h"
#include "model/sp_file.h"
#include "tests/modes/transfer_fixture.h"

namespace mirelune {
namespace {

using testing_support::TransferTest;
using Kind = RecordingNotifier::Kind;

TEST_F(TransferTest, StartUpReadFollowsTheDevicesCurrentMode) {
  rig->amplifier.SetCurrentMode(3);
  rig->amplifier.MenuHidden(3, 0) = 1;                   // "回声效果音量" -> address 806
  rig->amplifier.StoredMode(3).at(1, 0).Gain = 99;       // dance slot of a per-mode band
  rig->amplifier.StoredMode(3).at(1, 1028).Value = 5;    // dance slot of a shared address
  rig->amplifier.Working() = rig->amplifier.StoredMode(3);

  ASSERT_TRUE(transfers->ReadModeToParams(0, true, ReadGroup));
  const Store& s = rig->store;
  EXPECT_EQ(transfers->CurrentModeNumber, 3);
  EXPECT_EQ(s.ParamTable.at(0, 1028).Value, 73);
  EXPECT_EQ(s.ParamTable.at(1, 1028).Value, 73) << "shared addresses copied to the dance slot";
  EXPECT_EQ(s.ParamTable.at(1, 0).Gain, 99) << "per-mode addresses keep the device's dance value";
  EXPECT_EQ(s.Menu.AddrHidden[806], 1);

  // 1 status, 10 menu-flag reads, 7 + 5 groups, 3 system groups, nothing else.
  EXPECT_EQ(Frames(ReadStatus).size(), 1u);
  EXPECT_EQ(Frames(ReadMenuFlags).size(), 10u);
  auto groups = Frames(ReadGroup);
  ASSERT_EQ(groups.size(), 15u);
  EXPECT_EQ(Frames(Password).size(), 0u) << "a guest device gets no password";
  // Sound mode 1 requests carry 11 + mode; kinds 8..10 carry the plain mode number.
  EXPECT_EQ(groups[0][2], 3);
  EXPECT_EQ(groups[7][2], 14);
  EXPECT_EQ(groups[7][3], 0);
  for (int i = 12; i < 15; ++i) {
    EXPECT_EQ(groups[static_cast<size_t>(i)][3], 8 + i - 12);
    EXPECT_EQ(groups[static_cast<size_t>(i)][2], 3);
  }
  EXPECT_EQ(rig->notifier.begins, 1);
  EXPECT_EQ(rig->notifier.ends, 1);
  EXPECT_TRUE(rig->notifier.messages.empty());
}

TEST_F(TransferTest, TheReadSetsTheSoundModeOnlyToOneTheTableHas) {
  // The sound-mode address comes from the device (or from a file written to it); every later
  // edit indexes ParamTable with CurrentSoundMode.
  const std::pair<int, int> cases[] = {{1, 1}, {0, 0}, {2, 0}, {5, 0}, {300, 0}};
  for (auto [deviceValue, soundMode] : cases) {
    rig->amplifier.Working().at(0, sysaddr::kSoundMode).Value = deviceValue;
    rig->store.CurrentSoundMode = 1 - static_cast<uint8_t>(soundMode);
    ASSERT_TRUE(transfers->ReadModeToParams(0, false, ReadGroup)) << deviceValue;
    EXPECT_EQ(rig->store.CurrentSoundMode, soundMode) << deviceValue;
    EXPECT_NO_THROW(rig->store.ParamTable.at(rig->store.SlotFor(0), 0)) << deviceValue;
  }
}

TEST_F(TransferTest, StartSyncRunsTheReadWhenTheLinkComesUp) {
  transfers->InstallStartSync();
  rig->amplifier.SetCurrentMode(6);
  rig->amplifier.Working() = rig->amplifier.StoredMode(6);
  rig->link.SetLinkSwitch(false);
  rig->link.SetLinkSwitch(true);
  ASSERT_TRUE(rig->BringUp());
  rig->RunFor(5000);
  EXPECT_EQ(transfers->CurrentModeNumber, 6);
  EXPECT_EQ(rig->store.ParamTable.at(0, 1028).Value, 76);
  EXPECT_TRUE(rig->link.Online);
}

// Changes the device's rights password through the protocol, so the built-in one is refused.
void ChangeRightsPassword(VirtualRig& rig) {
  const auto old = DefaultAdminDigits();
  for (size_t i = 0; i < 6; ++i) {
    rig.link.PasswordDigits[i] = old[i];
    rig.link.PasswordDigits[6 + i] = static_cast<uint8_t>((old[i] + 1) % 10);
  }
  ASSERT_TRUE(rig.link.SendCommand(Password, 2, kPasswordChange));
  ASSERT_EQ(rig.link.ReplyPayload()[1], 0x53);
}

class AdminTransferTest : public TransferTest {
 protected:
  static VirtualFaults Admin() {
    VirtualFaults f;
    f.administrator = true;
    return f;
  }
  AdminTransferTest() : TransferTest(Admin()) {}
};

TEST_F(AdminTransferTest, BuiltInPasswordAcceptedWithoutPrompt) {
  ASSERT_TRUE(transfers->ReadModeToParams(0, true, ReadGroup));
  const auto passwords = Frames(Password);
  ASSERT_EQ(passwords.size(), 1u);
  const auto& f = passwords[0];
  EXPECT_EQ(f.size(), 13u);
  EXPECT_EQ(f[3], 2);
  EXPECT_EQ(f[4], 0);
  const auto digits = DefaultAdminDigits();
  EXPECT_TRUE(std::equal(digits.begin(), digits.end(), f.begin() + 6));
  EXPECT_TRUE(rig->notifier.Texts(Kind::PasswordPrompt).empty());
}

TEST_F(AdminTransferTest, PromptAcceptedOrRefused) {
  ChangeRightsPassword(*rig);
  for (bool answer : {true, false}) {
    SCOPED_TRACE(answer ? "accepted" : "refused");
    rig->notifier.Clear();
    rig->notifier.begins = rig->notifier.ends = rig->notifier.depth = 0;
    rig->notifier.passwordAnswers = {answer};
    bool refusedHook = false;
    transfers->hooks.adminRefused = [&] { refusedHook = true; };
    EXPECT_EQ(transfers->ReadModeToParams(0, true, ReadGroup), answer);
    EXPECT_EQ(rig->notifier.Texts(Kind::PasswordPrompt), std::vector<std::string>{"1"});
    EXPECT_EQ(refusedHook, !answer);
    if (answer) {
      EXPECT_TRUE(rig->notifier.Texts(Kind::Warning).empty());
      EXPECT_EQ(rig->notifier.depth, 0);
    } else {
      EXPECT_EQ(rig->notifier.Texts(Kind::Warning), std::vector<std::string>{kAdminRefusedText});
      EXPECT_EQ(rig->notifier.depth, 1) << "windows stay disabled: the console closes";
    }
  }
}

TEST_F(TransferTest, WriteModeSendsTheWriteSetAndStoresIt) {
  Store& s = rig->store;
  s.ReadBackTable = s.ParamTable;
  s.ReadBackTable.at(0, 1028).Value = 42;
  s.ReadBackTable.at(1, 1028).Value = 42;
  s.ReadBackTable.at(1, 3).Gain = 300;  // dance slot of a band
  s.ReadBackTable.at(0, 2560).Value = 7;
  ASSERT_TRUE(transfers->WriteModeFromReadBack(2));

  auto writes = Frames(WriteGroup);
  ASSERT_EQ(writes.size(), 16u);
  int kind2 = 0;
  for (const auto& f : writes) {
    if (f[3] == 2) {
      ++kind2;
      EXPECT_EQ(f[2], 2) << "kind 2 only for sound mode 0";
    }
    if (f[3] >= 8) {
      EXPECT_EQ(f[2], 2) << "system kinds carry the plain mode number";
    }
  }
  EXPECT_EQ(kind2, 1);
  EXPECT_EQ(rig->amplifier.StoredMode(2).at(0, 1028).Value, 42);
  EXPECT_EQ(rig->amplifier.StoredMode(2).at(1, 3).Gain, 300);
  EXPECT_EQ(rig->amplifier.StoredMode(2).at(0, 2560).Value, 7);
  EXPECT_EQ(rig->amplifier.StoredMode(0).at(0, 1028).Value, 70) << "other modes untouched";
}

// A configuration file patched byte by byte, pushed into device mode 3 from the mode folder.
TEST_F(TransferTest, AFileWithAnyRecordThatCannotBeSentWritesNothing) {
  constexpr size_t kKindByte = 0, kValue = 1, kSQ = 18;  // offsets inside a 28-byte record
  struct Patch {
    int address, slot;
    size_t offset;
    int32_t value;
    int bytes;  // 1 or 4, little-endian
  };
  struct Case {
    const char* what;
    std::vector<Patch> patches;
    std::vector<std::string> named;  // in the error text; empty: the write goes through
  };
  const Case cases[] = {
      {"untouched", {}, {}},
      {"Value 62500 in the last record sent", {{2599, 0, kValue, 62500, 4}},
       {"address 2599, sound mode 0: Value 62500 is above 62499"}},
      {"negative Value", {{2560, 0, kValue, -3, 4}}, {"address 2560, sound mode 0", "-3"}},
      {"band's Kind byte flipped to plain", {{0, 0, kKindByte, 0, 1}},
       {"address 0, sound mode 0: Kind 0", "an EQ band (Kind 1)"}},
      {"low-pass Kind byte flipped to band", {{16, 0, kKindByte, 1, 1}},
       {"address 16, sound mode 0: Kind 1", "a low-pass filter (Kind 3)"}},
      {"dance-slot Kind byte flipped", {{1032, 1, kKindByte, 0, 1}},
       {"address 1032, sound mode 1: Kind 0"}},
      {"dance-slot SQ too large for its byte", {{1032, 1, kSQ, 300, 4}},
       {"address 1032, sound mode 1: SQ 300"}},
      {"two faults: the first in sending order, and a count",
       {{2599, 0, kValue, 62500, 4}, {5, 0, kKindByte, 2, 1}},
       {"address 5, sound mode 0: Kind 2", "(and 1 more records that cannot be sent)"}},
  };
  const char* root = std::getenv("MIRELUNE_TEST_TMP");
  const std::filesystem::path dir =
      std::filesystem::path(root ? root : "/tmp") / "transfers_test" / "mode";
  std::filesystem::create_directories(dir);
  ModeFolder folder(dir.string());
  FileOperation files(rig->store, rig->link, *transfers, rig->notifier, folder);

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bytes = EncodeTable(rig->store.ParamTable);
    for (const Patch& p : c.patches) {
      const size_t at = static_cast<size_t>(p.address * 3 + p.slot) * kSpRecordSize + p.offset;
      for (int i = 0; i < p.bytes; ++i)
        bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(static_cast<uint32_t>(p.value) >> (8 * i));
    }
    std::ofstream(folder.FileFor("Patched"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    const size_t logged = rig->amplifier.CommandLog().size();
    const auto before = std::make_unique<RecordTable>(rig->amplifier.StoredMode(3));
    rig->notifier.Clear();

    const bool ok = files.UploadFolderFileToMode("Patched", 3);

    size_t writes = 0;
    for (size_t i = logged; i < rig->amplifier.CommandLog().size(); ++i)
      writes += rig->amplifier.CommandLog()[i][1] == WriteGroup;
    const auto errors = rig->notifier.Texts(Kind::Error);
    if (c.named.empty()) {
      EXPECT_TRUE(ok);
      EXPECT_EQ(writes, 16u);
      EXPECT_TRUE(errors.empty());
      continue;
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(writes, 0u) << "not one group of a file that cannot be sent whole";
    EXPECT_TRUE(rig->amplifier.StoredMode(3) == *before);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind(std::string(kWriteErrorText) + "\n", 0), 0u) << errors[0];
    for (const std::string& part : c.named) EXPECT_NE(errors[0].find(part), std::string::npos) << errors[0];
    EXPECT_TRUE(rig->link.Online);
    EXPECT_EQ(rig->notifier.depth, 0);
  }
}

TEST_F(TransferTest, AModeReadFromTheAmplifierWritesBackAsItIs) {
  // Values no slider reaches: the sub-woofer's low-pass index 146 (the start-up content), a
  // gain of 150 on 1812 (slider 0..100), a band shape 7 and a band gain code 420.
  RecordTable& held = rig->amplifier.StoredMode(6);
  held.at(0, 1802).Value = 146;
  held.at(0, 1812).Value = 150;
  held.at(1, 1812).Value = 150;
  held.at(0, 1032).QType = 7;
  held.at(1, 1032).Gain = 420;
  rig->store.ReadBackTable = rig->store.ParamTable;  // Kind bytes steer the decoding
  ASSERT_TRUE(transfers->ReadModeToReadBack(6));
  ASSERT_TRUE(transfers->WriteModeFromReadBack(2)) << rig->notifier.Texts(Kind::Error).size();
  EXPECT_TRUE(rig->notifier.messages.empty());
  const RecordTable& written = rig->amplifier.StoredMode(2);
  EXPECT_EQ(written.at(0, 1802).Value, 146);
  EXPECT_EQ(written.at(0, 1812).Value, 150);
  EXPECT_EQ(written.at(0, 1032).QType, 7);
  EXPECT_EQ(written.at(1, 1032).Gain, 420);
}

TEST_F(TransferTest, CountMismatchWarnsAndKeepsEarlierGroups) {
  Store& s = rig->store;
  s.ParamTable.at(0, 0).Gain = 1;       // kind 0: read before the bad group
  s.ParamTable.at(0, 272).Value = 999;  // kind 1 is the bad group
  s.ParamTable.at(0, 272).Kind = kEqBand;  // console now expects 8 bytes where 2 come
  s.ParamTable.at(0, 1028).Value = 1;   // kind 4: never reached
  EXPECT_FALSE(transfers->ReadModeToParams(4, false, ReadGroup));
  EXPECT_EQ(rig->notifier.Texts(Kind::Warning), std::vector<std::string>{kCountMismatchText});
  EXPECT_EQ(s.ParamTable.at(0, 0).Gain, 330) << "kind 0 decoded";
  EXPECT_EQ(s.ParamTable.at(0, 272).Value, 999) << "the mismatched group is not half-applied";
  EXPECT_EQ(s.ParamTable.at(0, 1028).Value, 1);
  EXPECT_EQ(Frames(ReadGroup).size(), 2u);
}

TEST_F(TransferTest, AReplyOfTheWrongSizeGivesTheCountWarning) {
  // The amplifier's answer to one request is two bytes longer or shorter than the request's
  // values: the read stops there with the count warning, the groups before keep their new
  // values, and the link stays up (no resending, no time-out).
  struct Case {
    const char* what;
    int code, kind, extra;
    size_t groupsSent;
  };
  const Case cases[] = {
      {"group of kind 1, two bytes more", ReadGroup, 1, +2, 2},
      {"group of kind 1, two bytes fewer", ReadGroup, 1, -2, 2},
      {"menu flags of kind 3, two bytes fewer", ReadMenuFlags, 3, -2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    rig->notifier.Clear();
    sentFrames.clear();
    rig->amplifier.Working().at(0, 0).Gain = 321;
    rig->store.ParamTable.at(0, 0).Gain = 1;
    rig->amplifier.reshapeReply = [&c](const std::vector<uint8_t>& frame, std::vector<uint8_t>& p) {
      if (frame[1] == c.code && frame[3] == c.kind)
        p.resize(static_cast<size_t>(static_cast<int>(p.size()) + c.extra), 0x07);
    };
    EXPECT_FALSE(transfers->ReadModeToParams(0, true, ReadGroup));
    EXPECT_EQ(rig->notifier.Texts(Kind::Warning), std::vector<std::string>{kCountMismatchText});
    EXPECT_EQ(rig->notifier.messages.size(), 1u);
    EXPECT_EQ(Frames(ReadGroup).size(), c.groupsSent);
    if (c.groupsSent > 1) {
      EXPECT_EQ(rig->store.ParamTable.at(0, 0).Gain, 321) << "kind 0 decoded";
    }
    EXPECT_TRUE(rig->link.Online);
    rig->amplifier.reshapeReply = nullptr;
  }
}

TEST_F(TransferTest, AStatusReplyLongerThanTwoBytesComesOnline) {
  // Only payload byte 1 of the status reply is relied on.
  rig->amplifier.SetCurrentMode(4);
  rig->amplifier.reshapeReply = [](const std::vector<uint8_t>& frame, std::vector<uint8_t>& p) {
    if (frame[1] == ReadStatus) p.insert(p.end(), {0x10, 0x20, 0x30});
  };
  ASSERT_TRUE(transfers->ReadModeToParams(0, true, ReadGroup));
  EXPECT_EQ(transfers->CurrentModeNumber, 4);
  EXPECT_EQ(Frames(ReadStatus).size(), 1u);
  EXPECT_TRUE(rig->notifier.messages.empty());
  EXPECT_TRUE(rig->link.Online);
}

TEST_F(TransferTest, ReadBackReadsNoSystemKinds) {
  rig->store.ReadBackTable.clear();
  rig->store.ReadBackTable = rig->store.ParamTable;  // Kind bytes steer the decoding
  ASSERT_TRUE(transfers->ReadModeToReadBack(7));
  EXPECT_EQ(Frames(ReadBackGroup).size(), 12u);
  for (const auto& f : Frames(ReadBackGroup)) EXPECT_LT(f[3], 8);
  EXPECT_EQ(rig->store.ReadBackTable.at(1, 1028).Value, 77);
}

TEST_F(TransferTest, ModeNamesAndPasswordCheck) {
  // The device keeps GBK bytes. (A name with a 0xFE byte, such as "二" = B6 FE, cannot cross the
  // link at all: 0xFE starts a frame.)
  rig->amplifier.ModeName(1) = Utf8ToAnsi("模式A2");
  ASSERT_TRUE(transfers->ReadModeNames()) << rig->link.LastError();
  EXPECT_EQ(transfers->ModeNames[0], "Mode 1");
  EXPECT_EQ(transfers->ModeNames[1], "模式A2");
  EXPECT_EQ(transfers->ModeNames[9], "Mode 10");
  bool accepted = true;
  ASSERT_TRUE(transfers->CheckPassword(1, "000000", accepted));
  EXPECT_TRUE(accepted);
  ASSERT_TRUE(transfers->CheckPassword(0, "1234", accepted));
  EXPECT_FALSE(accepted);
  const size_t before = sentFrames.size();
  EXPECT_FALSE(transfers->CheckPassword(1, "12a456", accepted));
  EXPECT_FALSE(transfers->CheckPassword(1, "12345", accepted));
  EXPECT_EQ(sentFrames.size(), before) << "malformed passwords are never sent";
}

// A fault that starts while the group of kind 5 (sound mode 0) of stored mode 3 is requested.
struct MidTransferFault {
  const char* name;
  std::function<void(VirtualRig&)> apply;
  bool succeeds;
  const char* warning;  // expected single warning, or null
};

class MidTransferFaultTest : public TransferTest,
                             public ::testing::WithParamInterface<MidTransferFault> {};

TEST_P(MidTransferFaultTest, TablesKeepWhatWasDecoded) {
  const MidTransferFault& fault = GetParam();
  rig->store.ParamTable.at(0, 1540).Value = 1;  // kind 6, after the fault
  bool applied = false;
  onFrame = [&](const std::vector<uint8_t>& f) {
    if (!applied && f[1] == ReadGroup && f[3] == 5) {
      applied = true;
      fault.apply(*rig);
    }
  };
  const int64_t start = rig->scheduler.NowMs();
  EXPECT_EQ(transfers->ReadModeToParams(3, false, ReadGroup), fault.succeeds);
  EXPECT_TRUE(applied);
  EXPECT_LT(rig->scheduler.NowMs() - start, 60000) << "no hang";
  EXPECT_EQ(rig->store.ParamTable.at(0, 1028).Value, 73) << "kind 4 was decoded before the fault";
  EXPECT_EQ(rig->store.ParamTable.at(0, 1540).Value, fault.succeeds ? 80 : 1);
  auto warnings = rig->notifier.Texts(Kind::Warning);
  if (fault.warning)
    EXPECT_EQ(warnings, std::vector<std::string>{fault.warning});
  else
    EXPECT_TRUE(warnings.empty());
  EXPECT_EQ(rig->notifier.depth, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, MidTransferFaultTest,
    ::testing::Values(
        MidTransferFault{"DropAll", [](VirtualRig& r) { r.port.Faults().dropReplies = 100; }, false,
                         kLinkTimeoutText},
        MidTransferFault{"CorruptAll", [](VirtualRig& r) { r.port.Faults().corruptReplies = 100; },
                         false, kLinkTimeoutText},
        MidTransferFault{"DropTwo", [](VirtualRig& r) { r.port.Faults().dropReplies = 2; }, true, nullptr},
        MidTransferFault{"SplitAndStray",
                         [](VirtualRig& r) {
                           r.port.Faults().splitBytes = 3;
                           r.port.Faults().strayBytes = true;
                         },
                         true, nullptr},
        MidTransferFault{"LateReplies", [](VirtualRig& r) { r.port.Faults().replyDelayMs = 400; }, true,
                         nullptr},
        MidTransferFault{"Unplug", [](VirtualRig& r) { r.port.Unplug(); }, false, kLinkTimeoutText}),
    [](const ::testing::TestParamInfo<MidTransferFault>& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace mirelune
