// SPDX-License-Identifier: GPL-3.0-or-later
// A/B comparison of two settings: what a switch puts into the store and asks to send, edits
// kept per side, unsent records carried to the next switch, the sound mode held.
#include <gtest/gtest.h>

#include "model/ab_compare.h"
#include "model/undo_history.h"

namespace mirelune {
namespace {

TEST(AbCompare, SwitchingSendsExactlyTheRecordsThatDiffer) {
  Store store;
  store.InitDefaults();
  AbCompare ab;
  ab.Start(store);
  EXPECT_TRUE(ab.Active());
  EXPECT_EQ(ab.Showing(), 'B');
  const Store a = store;
  // B: two audio records of the current sound mode and one system record.
  store.ParamTable.at(0, 1028).Value += 5;
  store.ParamTable.at(0, 3).Gain = 300;
  store.ParamTable.at(0, 2560).Value = 33;
  std::vector<int> send;
  std::string error;
  ASSERT_TRUE(ab.Switch(store, send, error)) << error;
  EXPECT_EQ(send, (std::vector<int>{3, 1028, 2560}));
  EXPECT_EQ(ab.Showing(), 'A');
  EXPECT_TRUE(store.ParamTable == a.ParamTable);
  // Back to B: the same three, with B's values; an edit on A is kept on A.
  store.ParamTable.at(0, 1029).Value += 1;
  ASSERT_TRUE(ab.Switch(store, send, error));
  EXPECT_EQ(send, (std::vector<int>{3, 1028, 1029, 2560}));
  EXPECT_EQ(store.ParamTable.at(0, 3).Gain, 300);
  EXPECT_EQ(store.ParamTable.at(0, 1029).Value, a.ParamTable.at(0, 1029).Value);
  ASSERT_TRUE(ab.Switch(store, send, error));
  EXPECT_EQ(store.ParamTable.at(0, 1029).Value, a.ParamTable.at(0, 1029).Value + 1);
  // Nothing differs from itself: a second keep of the side shown sends nothing.
  ASSERT_TRUE(ab.Keep(store, 'A', send, error));
  EXPECT_TRUE(send.empty());
  EXPECT_FALSE(ab.Active());
  EXPECT_FALSE(ab.Switch(store, send, error));
}

TEST(AbCompare, UnsentRecordsGoAgainAndTheSoundModeIsHeld) {
  Store store;
  store.InitDefaults();
  AbCompare ab;
  ab.Start(store);
  store.ParamTable.at(0, 1028).Value += 5;
  std::vector<int> send;
  std::string error;
  ASSERT_TRUE(ab.Switch(store, send, error));
  ASSERT_EQ(send, std::vector<int>{1028});
  ab.NoteUnsent(send);  // the link dropped
  // The next switch sends it again although A and B differ in it anyway, and an address that
  // no longer differs is sent too: the amplifier may still hold the other value.
  ab.NoteUnsent({2561});
  ASSERT_TRUE(ab.Switch(store, send, error));
  EXPECT_EQ(send, (std::vector<int>{1028, 2561}));
  EXPECT_TRUE(ab.Unsent().empty());
  // Another sound mode: refused, nothing changes.
  store.SetCurrentSoundMode(1);
  const RecordTable before = store.ParamTable;
  EXPECT_FALSE(ab.Switch(store, send, error));
  EXPECT_NE(error.find("sound mode"), std::string::npos);
  EXPECT_TRUE(store.ParamTable == before);
  EXPECT_FALSE(ab.Keep(store, 'A', send, error));
  store.SetCurrentSoundMode(0);
  ASSERT_TRUE(ab.Keep(store, 'B', send, error));
}

TEST(AbCompare, ARecordCommonToBothSoundModesStaysEqualInBoth) {
  Store store;
  store.InitDefaults();
  int common = -1;
  for (int a = 0; a < kFirstSlotOnlyAddress && common < 0; ++a)
    if (HoldsParam(a) && store.ParamTable.at(0, a).PerMode == kFalse) common = a;
  ASSERT_GE(common, 0);
  AbCompare ab;
  ab.Start(store);
  store.ParamTable.at(0, common).Value += 1;
  store.ParamTable.at(1, common).Value += 1;
  std::vector<int> send;
  std::string error;
  ASSERT_TRUE(ab.Switch(store, send, error));
  EXPECT_EQ(store.ParamTable.at(0, common), store.ParamTable.at(1, common));
}

// Keeping collapses everything since the comparison started into one undo step.
TEST(AbCompare, KeepingIsOneUndoStep) {
  Store store;
  store.InitDefaults();
  UndoHistory history(store);
  history.PushSnapshot();  // an edit before the comparison
  store.ParamTable.at(0, 1030).Value += 1;
  const RecordTable before = store.ParamTable;
  history.PushSnapshot();  // the comparison's start
  const int start = history.UndoPos;
  AbCompare ab;
  ab.Start(store);
  for (int i = 0; i < 3; ++i) {
    history.PushSnapshot();
    store.ParamTable.at(0, 1028).Value += 1;
  }
  std::vector<int> send;
  std::string error;
  ASSERT_TRUE(ab.Keep(store, 'B', send, error));
  history.CollapseTo(start);
  EXPECT_FALSE(history.CanRedo());
  ASSERT_TRUE(history.Undo());
  EXPECT_TRUE(store.ParamTable == before);
  ASSERT_TRUE(history.CanUndo());  // the edit before the comparison is still there
}

}  // namespace
}  // namespace mirelune
