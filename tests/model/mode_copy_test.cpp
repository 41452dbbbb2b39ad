// SPDX-License-Identifier: GPL-3.0-or-later
// The microphone group copy and the sound-mode copy on the start-up store: their questions,
// what they copy, what they send (and from which slot), declining, offline, failed sends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/mode_copy.h"
#include "model/store.h"

namespace mirelune {
namespace {

class ModeCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store.InitDefaults();
    hooks.question = [this](const std::string& text) {
      questions.push_back(text);
      return answer;
    };
    hooks.notice = [this](const std::string& text) { notices.push_back(text); };
    hooks.online = [this] { return online; };
    hooks.send = [this](int a) {
      sent.push_back(a);
      sentFromMode.push_back(store.CurrentSoundMode);
      sentLocked.push_back(!windowEnabled);
      return failAt != a;
    };
    hooks.enableWindow = [this](bool on) {
      EXPECT_NE(on, windowEnabled) << "lock calls must pair";
      windowEnabled = on;
    };
  }

  ParamRecord& Rec(int slot, int a) { return store.ParamTable.at(slot, a); }

  // Gives every record of kinds 1 and 2 in both slots a value of its own.
  void MarkMicKinds() {
    for (int k : {1, 2})
      for (int a = store.KindStart[k]; a <= store.KindEnd[k]; ++a)
        for (int s : {0, 1}) {
          Rec(s, a).Value = k * 1000 + (a - store.KindStart[k]) * 10 + s;
          Rec(s, a).Gain = k * 100 + s;
        }
  }

  Store store;
  CopyHooks hooks;
  bool answer = true;
  bool online = true;
  int failAt = -1;
  bool windowEnabled = true;
  std::vector<std::string> questions;
  std::vector<std::string> notices;
  std::vector<int> sent;
  std::vector<int> sentFromMode;
  std::vector<bool> sentLocked;
};

TEST_F(ModeCopyTest, DeclinedCopiesChangeAndSendNothing) {
  struct Case {
    const char* what;
    bool mic;
    int page;
    int soundMode;
    const char* question;
  };
  const Case cases[] = {
      {"mic copy on page 1", true, 1, 0, "确认要将话筒1,2的设置复制到话筒3吗？"},
      {"mic copy on page 2", true, 2, 0, "确认要将话筒3的设置复制到话筒1,2吗？"},
      {"singing to dance", false, 0, 0, "确认要将当前唱歌模式数据复制到劲舞模式吗？"},
      {"dance to singing", false, 4, 1, "确认要将当前劲舞模式数据复制到唱歌模式吗？"},
  };
  answer = false;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    store.InitDefaults();
    MarkMicKinds();
    Rec(1, 3).Gain = 321;  // the two sound modes differ
    store.CurrentPage = c.page;
    store.CurrentSoundMode = static_cast<uint8_t>(c.soundMode);
    const RecordTable before = store.ParamTable;
    questions.clear();
    const CopyOutcome r = c.mic ? CopyMicGroup(store, hooks) : CopySoundMode(store, hooks);
    EXPECT_EQ(r, CopyOutcome::Declined);
    EXPECT_EQ(questions, std::vector<std::string>{c.question});
    EXPECT_TRUE(store.ParamTable == before);
    EXPECT_EQ(store.ModifiedFlag, kFalse);
  }
  EXPECT_TRUE(sent.empty());
  EXPECT_TRUE(notices.empty());
}

TEST_F(ModeCopyTest, MicGroupCopyDirectionByPage) {
  struct Case {
    int page;
    int from, to;
  };
  const Case cases[] = {{1, 256, 512}, {2, 512, 256}};
  for (const Case& c : cases) {
    SCOPED_TRACE("page " + std::to_string(c.page));
    store.InitDefaults();
    MarkMicKinds();
    store.CurrentPage = c.page;
    sent.clear();
    notices.clear();
    const RecordTable before = store.ParamTable;
    EXPECT_EQ(CopyMicGroup(store, hooks), CopyOutcome::Done);
    std::vector<int> expectSent;
    for (int r = 0; r <= 20; ++r) {
      const ParamRecord& src = before.at(0, c.from + r);
      // Every field of the source's slot 0 in both slots of both kinds.
      EXPECT_TRUE(Rec(0, c.to + r) == src) << r;
      EXPECT_TRUE(Rec(1, c.to + r) == src) << r;
      EXPECT_TRUE(Rec(0, c.from + r) == src) << r;
      EXPECT_TRUE(Rec(1, c.from + r) == src) << r;
      expectSent.push_back(c.to + r);
    }
    // Nothing beyond the group moved.
    EXPECT_TRUE(Rec(0, c.to + 21) == before.at(0, c.to + 21));
    EXPECT_TRUE(Rec(1, c.to + 21) == before.at(1, c.to + 21));
    EXPECT_EQ(sent, expectSent);
    EXPECT_EQ(notices, std::vector<std::string>{"完成!"});
    EXPECT_EQ(store.ModifiedFlag, kTrue);
  }
  for (bool locked : sentLocked) EXPECT_TRUE(locked);
  EXPECT_TRUE(windowEnabled);
}

TEST_F(ModeCopyTest, SingingIntoDanceSendsThePerModeAddressesWithDanceValues) {
  Rec(0, 3).Gain = 321;
  Rec(0, 1792).Value = 77;
  EXPECT_EQ(CopySoundMode(store, hooks), CopyOutcome::Done);
  EXPECT_EQ(store.CurrentSoundMode, 0);
  for (int a = 0; a < kAddressCount; ++a) ASSERT_TRUE(Rec(1, a) == Rec(0, a)) << a;

  std::vector<int> perMode;
  for (int a = 0; a < kAddressCount; ++a)
    if (Rec(0, a).PerMode == kTrue) perMode.push_back(a);
  ASSERT_FALSE(perMode.empty());
  EXPECT_EQ(sent, perMode);
  for (int m : sentFromMode) EXPECT_EQ(m, 1);  // the frames take the dance slot
  for (bool locked : sentLocked) EXPECT_TRUE(locked);
  EXPECT_TRUE(windowEnabled);
  EXPECT_EQ(notices, std::vector<std::string>{"完成!"});
  EXPECT_EQ(store.ModifiedFlag, kTrue);
}

TEST_F(ModeCopyTest, DanceIntoSingingLeavesTheSlotZeroOnlyKinds) {
  store.CurrentSoundMode = 1;
  Rec(1, 3).Gain = 321;
  const RecordTable before = store.ParamTable;
  EXPECT_EQ(CopySoundMode(store, hooks), CopyOutcome::Done);
  EXPECT_EQ(store.CurrentSoundMode, 1);
  for (int a = 0; a < kFirstSlotOnlyAddress; ++a) ASSERT_TRUE(Rec(0, a) == Rec(1, a)) << a;
  EXPECT_EQ(Rec(0, 3).Gain, 321);
  // Recording volumes, master volumes and the system settings are in slot 0 only.
  for (int a = kFirstSlotOnlyAddress; a < kAddressCount; ++a)
    ASSERT_TRUE(Rec(0, a) == before.at(0, a)) << a;
  for (int m : sentFromMode) EXPECT_EQ(m, 0);
}

TEST_F(ModeCopyTest, OfflineCopiesChangeOnlyTheStore) {
  online = false;
  store.CurrentPage = 2;
  MarkMicKinds();
  EXPECT_EQ(CopyMicGroup(store, hooks), CopyOutcome::Done);
  EXPECT_TRUE(Rec(0, 256) == Rec(0, 512));
  Rec(0, 3).Gain = 321;
  EXPECT_EQ(CopySoundMode(store, hooks), CopyOutcome::Done);
  EXPECT_EQ(Rec(1, 3).Gain, 321);
  EXPECT_TRUE(sent.empty());
  EXPECT_EQ(notices, (std::vector<std::string>{"完成!", "完成!"}));
  EXPECT_TRUE(windowEnabled);
}

TEST_F(ModeCopyTest, AFailedSendStopsWithoutTheDoneNotice) {
  // The third per-mode address fails.
  std::vector<int> perMode;
  for (int a = 0; a < kAddressCount; ++a)
    if (Rec(0, a).PerMode == kTrue) perMode.push_back(a);
  failAt = perMode.at(2);
  Rec(0, 3).Gain = 321;
  EXPECT_EQ(CopySoundMode(store, hooks), CopyOutcome::SendFailed);
  EXPECT_EQ(sent, std::vector<int>(perMode.begin(), perMode.begin() + 3));
  EXPECT_EQ(store.CurrentSoundMode, 0);
  EXPECT_EQ(Rec(1, 3).Gain, 321);  // the store was copied before the sends
  EXPECT_TRUE(notices.empty());
  EXPECT_TRUE(windowEnabled);

  sent.clear();
  store.CurrentPage = 1;
  failAt = 512;
  EXPECT_EQ(CopyMicGroup(store, hooks), CopyOutcome::SendFailed);
  EXPECT_EQ(sent, std::vector<int>{512});
  EXPECT_TRUE(notices.empty());
}

}  // namespace
}  // namespace mirelune
