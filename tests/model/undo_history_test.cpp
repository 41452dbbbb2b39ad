// SPDX-License-Identifier: GPL-3.0-or-later
// The undo history on the start-up store: the step sequence of undo and redo, gestures, the
// full history, which records a restore writes and sends, and a change after undoing.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "model/store.h"
#include "model/undo_history.h"

namespace mirelune {
namespace {

constexpr int kBand = 3;          // music EQ band, per sound mode
constexpr int kCommonPlain = 768; // effects, common to both sound modes
constexpr int kModePlain = 1792;  // sub-woofer volume, per sound mode
constexpr int kRecording = 2048;  // recording volume: no history
constexpr int kMaster = 2560;     // master volume: no history

class UndoHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store.InitDefaults();
    history.hooks.online = [this] { return online; };
    history.hooks.send = [this](int a) {
      sent.push_back(a);
      sentLocked.push_back(!windowEnabled);
      return failAt != a;
    };
    history.hooks.refreshControls = [this] { ++refreshes; };
    history.hooks.enableWindow = [this](bool on) {
      EXPECT_NE(on, windowEnabled) << "lock calls must pair";
      windowEnabled = on;
    };
    history.hooks.restartGestureTimer = [this] { ++timerStarts; };
  }

  ParamRecord& Rec(int slot, int a) { return store.ParamTable.at(slot, a); }
  int Gain(int a = kBand) { return Rec(store.CurrentSoundMode, a).Gain; }

  // One editing gesture as the window makes it: BeginChange before the write, the gesture
  // timer firing a second later.
  void Gesture(const std::function<void()>& write) {
    history.BeginChange();
    write();
    history.EndGesture();
  }
  void SetGain(int gain, int a = kBand) {
    Gesture([&] { Rec(store.CurrentSoundMode, a).Gain = gain; });
  }

  Store store;
  UndoHistory history{store};
  bool online = true;
  int failAt = -1;
  bool windowEnabled = true;
  int refreshes = 0;
  int timerStarts = 0;
  std::vector<int> sent;
  std::vector<bool> sentLocked;
};

TEST_F(UndoHistoryTest, WorkedSequenceOfTwoChanges) {
  const int g0 = Gain();
  SetGain(300);
  SetGain(310);
  ASSERT_EQ(history.UndoPos, 1);

  struct Step {
    const char* what;
    bool undo;
    int gain, pos, highWater;
    bool sends;
  };
  const Step steps[] = {
      {"undo", true, 300, 0, 2, true},   {"undo", true, g0, -1, 2, true},
      {"undo", true, g0, -1, 2, false},  // nothing left
      {"redo", false, 300, 0, 2, true},  {"redo", false, 310, 1, 2, true},
      {"redo", false, 310, 1, 2, false},  // nothing to redo
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what + std::string(" to gain ") + std::to_string(s.gain));
    sent.clear();
    const int refreshesBefore = refreshes;
    EXPECT_TRUE(s.undo ? history.Undo() : history.Redo());
    EXPECT_EQ(Gain(), s.gain);
    EXPECT_EQ(history.UndoPos, s.pos);
    EXPECT_EQ(history.UndoHighWater, s.highWater);
    EXPECT_EQ(sent, s.sends ? std::vector<int>{kBand} : std::vector<int>{});
    EXPECT_EQ(refreshes, refreshesBefore + (s.sends ? 1 : 0));
  }
  // Every send happened with the window locked, and it is unlocked again.
  for (bool locked : sentLocked) EXPECT_TRUE(locked);
  EXPECT_TRUE(windowEnabled);
}

TEST_F(UndoHistoryTest, ChangesWithinOneGestureAreOneStep) {
  const int g0 = Gain();
  for (int gain : {300, 305, 310}) {
    history.BeginChange();
    Rec(0, kBand).Gain = gain;
  }
  EXPECT_EQ(history.UndoPos, 0);
  EXPECT_EQ(timerStarts, 3);
  history.EndGesture();
  SetGain(320);
  EXPECT_EQ(history.UndoPos, 1);
  history.Undo();
  EXPECT_EQ(Gain(), 310);
  history.Undo();
  EXPECT_EQ(Gain(), g0);
}

TEST_F(UndoHistoryTest, UndoWithoutHistoryOrChangeSendsNothing) {
  EXPECT_TRUE(history.Undo());
  EXPECT_TRUE(history.Redo());
  EXPECT_EQ(history.UndoPos, -1);
  EXPECT_EQ(refreshes, 0);
  EXPECT_EQ(store.ModifiedFlag, kFalse);

  // A snapshot of the state as it is: undoing it changes nothing and sends nothing.
  const RecordTable before = store.ParamTable;
  history.PushSnapshot();
  EXPECT_TRUE(history.Undo());
  EXPECT_TRUE(sent.empty());
  EXPECT_EQ(refreshes, 1);
  EXPECT_TRUE(store.ParamTable == before);
}

TEST_F(UndoHistoryTest, ThirtyOneGesturesDropTheOldest) {
  // Gesture k sets the gain to 200 + k; the snapshot before it holds 200 + k - 1.
  Rec(0, kBand).Gain = 200;
  for (int k = 1; k <= 31; ++k) SetGain(200 + k);
  EXPECT_EQ(history.UndoPos, 29);
  EXPECT_EQ(history.UndoHighWater, 29);
  // The snapshot before gesture 1 (gain 200) is gone; entry 0 holds the one before gesture 2.
  EXPECT_EQ(history.EntryAt(0)[kBand].Gain, 201);
  EXPECT_EQ(history.EntryAt(29)[kBand].Gain, 230);

  // Undo's own snapshot of the present state fills the last place, so one more old state goes:
  // undoing walks back through 230 .. 202, and the thirtieth undo finds nothing left.
  std::vector<int> gains;
  for (int i = 0; i < 30; ++i) {
    history.Undo();
    gains.push_back(Gain());
  }
  std::vector<int> expected;
  for (int g = 230; g >= 202; --g) expected.push_back(g);
  expected.push_back(202);
  EXPECT_EQ(gains, expected);
  EXPECT_EQ(history.UndoPos, -1);

  // And redo climbs all the way back up to the newest state.
  while (history.CanRedo()) history.Redo();
  EXPECT_EQ(Gain(), 231);
}

TEST_F(UndoHistoryTest, RestoreWritesTheSlotsOfTheSlotRule) {
  struct Case {
    const char* what;
    int soundMode;
    int address;
    bool otherSlotFollows;
  };
  const Case cases[] = {
      {"common value in dance mode", 1, kCommonPlain, true},
      {"common value in singing mode", 0, kCommonPlain, true},
      {"per-mode value in dance mode", 1, kModePlain, false},
      {"per-mode value in singing mode", 0, kModePlain, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    store.InitDefaults();
    history.ClearHistory();
    sent.clear();
    store.CurrentSoundMode = static_cast<uint8_t>(c.soundMode);
    const int m = c.soundMode, o = 1 - c.soundMode;
    ASSERT_EQ(Rec(0, c.address).PerMode, c.otherSlotFollows ? kFalse : kTrue);
    const int oldValue = Rec(m, c.address).Value;
    // The edit as the window writes it (slot rule); the other slot of a per-mode address is
    // given a value of its own that the undo must leave alone.
    Gesture([&] {
      Rec(m, c.address).Value = oldValue + 7;
      Rec(o, c.address).Value = oldValue + (c.otherSlotFollows ? 7 : 3);
    });
    history.Undo();
    EXPECT_EQ(Rec(m, c.address).Value, oldValue);
    EXPECT_EQ(Rec(o, c.address).Value, c.otherSlotFollows ? oldValue : oldValue + 3);
    EXPECT_EQ(sent, std::vector<int>{c.address});
  }
}

TEST_F(UndoHistoryTest, EqBandsCompareTheirSixFieldsAndNotTheValue) {
  struct Case {
    const char* field;
    std::function<void(ParamRecord&)> change;
    bool restored;
  };
  const Case cases[] = {
      {"QType", [](ParamRecord& r) { r.QType = 2; }, true},
      {"Freq", [](ParamRecord& r) { r.Freq += 5; }, true},
      {"Gain", [](ParamRecord& r) { r.Gain += 5; }, true},
      {"Q", [](ParamRecord& r) { r.Q += 5; }, true},
      {"SQ", [](ParamRecord& r) { r.SQ += 1; }, true},
      {"EQDisabled", [](ParamRecord& r) { r.EQDisabled = kTrue; }, true},
      {"Value", [](ParamRecord& r) { r.Value = 9; }, false},  // not a band field
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    store.InitDefaults();
    history.ClearHistory();
    sent.clear();
    const ParamRecord before = Rec(0, kBand);
    Gesture([&] { c.change(Rec(0, kBand)); });
    ParamRecord changed = Rec(0, kBand);
    history.Undo();
    if (c.restored) {
      EXPECT_TRUE(Rec(0, kBand) == before);
      EXPECT_EQ(sent, std::vector<int>{kBand});
    } else {
      EXPECT_TRUE(Rec(0, kBand) == changed);
      EXPECT_TRUE(sent.empty());
    }
  }
}

TEST_F(UndoHistoryTest, AddressesFromRecordingOnAreNotPartOfIt) {
  const int oldBand = Gain();
  Gesture([&] {
    Rec(0, kBand).Gain = 333;
    Rec(0, kRecording).Value = 55;
    Rec(0, kMaster).Value = 66;
  });
  history.Undo();
  EXPECT_EQ(Gain(), oldBand);
  EXPECT_EQ(Rec(0, kRecording).Value, 55);
  EXPECT_EQ(Rec(0, kMaster).Value, 66);
  EXPECT_EQ(sent, std::vector<int>{kBand});
}

TEST_F(UndoHistoryTest, OfflineRestoresWithoutSending) {
  online = false;
  const int g0 = Gain();
  SetGain(300);
  history.Undo();
  EXPECT_EQ(Gain(), g0);
  history.Redo();
  EXPECT_EQ(Gain(), 300);
  EXPECT_TRUE(sent.empty());
  EXPECT_EQ(refreshes, 2);
}

TEST_F(UndoHistoryTest, AFailedSendStopsTheRestoreThere) {
  const int oldCommon = Rec(0, kCommonPlain).Value;
  const int oldMode = Rec(0, kModePlain).Value;
  Gesture([&] {
    Rec(0, kCommonPlain).Value = oldCommon + 1;
    Rec(1, kCommonPlain).Value = oldCommon + 1;
    Rec(0, kModePlain).Value = oldMode + 1;
  });
  failAt = kCommonPlain;
  EXPECT_FALSE(history.Undo());
  EXPECT_EQ(sent, std::vector<int>{kCommonPlain});
  EXPECT_EQ(Rec(0, kCommonPlain).Value, oldCommon);    // written before its send
  EXPECT_EQ(Rec(0, kModePlain).Value, oldMode + 1);    // never reached
  EXPECT_TRUE(windowEnabled);
  EXPECT_EQ(refreshes, 1);
  EXPECT_EQ(history.UndoPos, -1);
}

TEST_F(UndoHistoryTest, ANewChangeAfterUndoingEndsTheRedoBranch) {
  const int g0 = Gain();
  SetGain(300);
  SetGain(310);
  history.Undo();
  history.Undo();
  ASSERT_EQ(Gain(), g0);
  SetGain(320);  // the new branch

  // Redo must not bring back 300 or 310 over the new change.
  EXPECT_FALSE(history.CanRedo());
  sent.clear();
  history.Redo();
  EXPECT_EQ(Gain(), 320);
  EXPECT_TRUE(sent.empty());

  // The new change is undone and redone like any other.
  history.Undo();
  EXPECT_EQ(Gain(), g0);
  history.Redo();
  EXPECT_EQ(Gain(), 320);
  EXPECT_FALSE(history.CanRedo());
}

// The same within one second: the slider is moved, undone and moved again before the gesture
// timer fires. The second move is a change of its own and must not be redone away either.
TEST_F(UndoHistoryTest, AChangeRightAfterUndoIsAGestureOfItsOwn) {
  const int g0 = Gain();
  history.BeginChange();
  Rec(0, kBand).Gain = 300;
  history.Undo();
  ASSERT_EQ(Gain(), g0);
  history.BeginChange();
  Rec(0, kBand).Gain = 320;
  history.Redo();
  EXPECT_EQ(Gain(), 320);
  history.Undo();
  EXPECT_EQ(Gain(), g0);
  history.Redo();
  EXPECT_EQ(Gain(), 320);
}

TEST_F(UndoHistoryTest, ClearHistoryForgetsEverything) {
  SetGain(300);
  SetGain(310);
  history.Undo();
  history.ClearHistory();
  EXPECT_FALSE(history.CanUndo());
  EXPECT_FALSE(history.CanRedo());
  history.Undo();
  history.Redo();
  EXPECT_EQ(Gain(), 300);
}

}  // namespace
}  // namespace mirelune
