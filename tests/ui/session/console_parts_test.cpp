// SPDX-License-Identifier: GPL-3.0-or-later
// The console's plain parts: its command line, the link status text, the progress notices,
// and the graph gestures (selection hops, held-key sweeps, Q drags, limits, the lock) in
// virtual time on the response model.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "graph/response_model.h"
#include "link/frame_codec.h"
#include "model/store.h"
#include "model/scales.h"
#include "platform/recording_notifier.h"
#include "platform/virtual_scheduler.h"
#include "ui/window/console_args.h"
#include "ui/graph/graph_gestures.h"
#include "ui/graph/graph_timers.h"
#include "ui/session/link_log.h"
#include "ui/session/link_status_text.h"
#include "ui/session/progress_notifier.h"

namespace mirelune::ui {
namespace {

// ---- Link log ----

// A parameter change in the link log names its parameter and value as the window does.
TEST(LinkLogLine, ChangesNameTheirParameter) {
  auto store = std::make_unique<Store>();
  store->InitDefaults();
  store->ParamTable.at(0, 256).Value = 74;
  const BuiltFrame plain = BuildFrame(SetParam, 0, 256, *store, 0, {});
  ASSERT_TRUE(plain.error.empty()) << plain.error;
  const std::string line = LinkLog::FormatLine(12, true, plain.bytes);
  EXPECT_NE(line.find(HexBytes(plain.bytes) + "  # 1:高通滤波器频点 = 80.3 Hz"), std::string::npos) << line;

  store->ParamTable.at(0, 0).Gain = 400;
  store->ParamTable.at(0, 0).EQDisabled = kTrue;
  const BuiltFrame band = BuildFrame(SetParam, 0, 0, *store, 0, {});
  const std::string bandLine = LinkLog::FormatLine(12, true, band.bytes);
  EXPECT_NE(bandLine.find("  # 0:EQ1 = +15.0 dB, 25.3 Hz, Q 1.00"), std::string::npos) << bandLine;
  // Replies and other frames stay bare.
  EXPECT_EQ(LinkLog::FormatLine(12, false, plain.bytes).find('#'), std::string::npos);
  EXPECT_EQ(LinkLog::FormatLine(12, true, {0xFF}).find('#'), std::string::npos);
}

// ---- Command line ----

struct ArgsCase {
  std::vector<std::string> args;
  bool ok;
  ConsoleOptions::Device device;
  int dropReplies;
  std::string error;  // a part of the message
};

class ConsoleArgs : public ::testing::TestWithParam<ArgsCase> {};

TEST_P(ConsoleArgs, ParseOrExplain) {
  const ArgsCase& c = GetParam();
  ConsoleOptions o;
  bool help = false;
  std::string error;
  EXPECT_EQ(ParseConsoleArgs(c.args, o, help, error), c.ok) << error;
  if (c.ok) {
    EXPECT_EQ(o.device, c.device);
    EXPECT_EQ(o.faults.dropReplies, c.dropReplies);
  } else {
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
  }
}

using D = ConsoleOptions::Device;
INSTANTIATE_TEST_SUITE_P(
    Cases, ConsoleArgs,
    ::testing::Values(
        ArgsCase{{}, true, D::Hid, 0, ""},
        ArgsCase{{"--device", "virtual"}, true, D::Virtual, 0, ""},
        ArgsCase{{"--device=hid"}, true, D::Hid, 0, ""},
        ArgsCase{{"--faults", "drop=2,split=5", "--device", "virtual"}, true, D::Virtual, 2, ""},
        ArgsCase{{"--device", "usb"}, false, D::Hid, 0, "unknown device 'usb'"},
        ArgsCase{{"--device", "virtual:room-2"}, true, D::Virtual, 0, ""},
        ArgsCase{{"--device", "hid:0042"}, true, D::Hid, 0, ""},
        ArgsCase{{"--device", "all"}, false, D::Hid, 0, "works on one amplifier"},
        ArgsCase{{"--device", "virtual:a/b"}, false, D::Hid, 0, "a virtual amplifier's name"},
        ArgsCase{{"--device"}, false, D::Hid, 0, "--device needs a value"},
        ArgsCase{{"--faults", "drop=1"}, false, D::Hid, 0, "--device virtual only"},
        ArgsCase{{"--device", "virtual", "--faults", "wobble"}, false, D::Hid, 0, "--faults: "},
        ArgsCase{{"--verbose"}, false, D::Hid, 0, "unknown argument '--verbose'"}));

// ---- Status text ----

struct StatusCase {
  LinkStatusFacts facts;
  std::string text;
};

class StatusText : public ::testing::TestWithParam<StatusCase> {};

TEST_P(StatusText, SaysWhatTheLinkDoes) { EXPECT_EQ(LinkStatusText(GetParam().facts), GetParam().text); }

// A rights log-in is named while online, and only then.
TEST(StatusText, NamesTheRightsLogIn) {
  LinkStatusFacts f;
  f.online = true;
  f.portOpen = true;
  f.identifier = "_LM-R52Z";
  f.modeNumber = 0;
  f.soundMode = 1;
  f.rightsLoggedIn = true;
  EXPECT_EQ(LinkStatusText(f), "已联机：_LM-R52Z，模式1，劲舞模式，权限已登录");
  f.online = false;
  EXPECT_EQ(LinkStatusText(f), "正在查找功放…");
}

TEST(StatusText, TheOpenFailuresDetailGoesToTheTooltipOnly) {
  LinkStatusFacts f;
  f.vendor = 0x2E3C;
  f.product = 0x0D07;
  f.lastOpen = {HidOpenStatus::Failed, "/dev/hidraw3: Input/output error"};
  EXPECT_EQ(LinkStatusText(f), "已连接功放（USB 2E3C:0D07），但打开失败");
  EXPECT_EQ(LinkStatusDetail(f),
            "已连接功放（USB 2E3C:0D07），但打开失败 (/dev/hidraw3: Input/output error)");
  f.switchOn = false;
  EXPECT_EQ(LinkStatusDetail(f), "联机已关闭");
}

LinkStatusFacts Facts(bool online, bool open, HidOpenStatus why, int mode, bool syncing = false,
                      bool switchOn = true, int soundMode = -1) {
  LinkStatusFacts f;
  f.switchOn = switchOn;
  f.online = online;
  f.portOpen = open;
  f.lastOpen.status = why;
  f.vendor = 0x2E3C;
  f.product = 0x0D07;
  f.identifier = online ? "_LM-R52Z" : "";
  f.modeNumber = mode;
  f.syncing = syncing;
  f.soundMode = soundMode;
  return f;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StatusText,
    ::testing::Values(
        StatusCase{Facts(true, true, HidOpenStatus::Opened, 9), "已联机：_LM-R52Z，模式10"},
        StatusCase{Facts(true, true, HidOpenStatus::Opened, 0, false, true, 0), "已联机：_LM-R52Z，模式1，唱歌模式"},
        StatusCase{Facts(true, true, HidOpenStatus::Opened, 2, false, true, 1), "已联机：_LM-R52Z，模式3，劲舞模式"},
        StatusCase{Facts(true, true, HidOpenStatus::Opened, -1, true),
                   "已联机：_LM-R52Z，正在读取功放数据…"},
        StatusCase{Facts(true, true, HidOpenStatus::Opened, -1), "已联机：_LM-R52Z"},
        StatusCase{Facts(false, true, HidOpenStatus::Opened, -1), "正在查找功放…"},
        StatusCase{Facts(false, false, HidOpenStatus::NotFound, -1),
                   "未连接功放（USB 2E3C:0D07）"},
        StatusCase{Facts(false, false, HidOpenStatus::Busy, -1),
                   "已连接功放（USB 2E3C:0D07），但它正被其他程序使用"},
        StatusCase{Facts(true, true, HidOpenStatus::Opened, 2, false, false), "联机已关闭"}));

// ---- Progress notices ----

TEST(ProgressNotifier, NestedTransfersAreOneBusySpanAndMessagesPassThrough) {
  RecordingNotifier inner;
  ProgressNotifier n(inner);
  std::vector<bool> busy;
  int nudges = 0;
  n.onBusy = [&](bool b) { busy.push_back(b); };
  n.onProgress = [&] { ++nudges; };
  n.EndLongOperation();  // unmatched: ignored
  n.BeginLongOperation();
  n.BeginLongOperation();
  n.ProgressNudge();
  n.Warning("w");
  n.EndLongOperation();
  EXPECT_TRUE(n.Busy());
  n.EndLongOperation();
  EXPECT_FALSE(n.Busy());
  EXPECT_EQ(busy, (std::vector<bool>{true, false}));
  EXPECT_EQ(nudges, 1);
  EXPECT_EQ(inner.nudges, 1);
  EXPECT_EQ(inner.begins, 2);
  EXPECT_EQ(inner.ends, 2);
  EXPECT_EQ(inner.Texts(RecordingNotifier::Kind::Warning), std::vector<std::string>{"w"});
}

// ---- Graph gestures ----

class Gestures : public ::testing::Test {
 protected:
  void SetUp() override {
    store = std::make_unique<Store>();
    store->InitDefaults();
    model = std::make_unique<ResponseModel>(*store);
    timers = std::make_unique<SchedulerGraphTimers>(scheduler);
    model->SetTimers(timers.get());
    model->Resize(1000, 300);
    model->RedrawAll(true);
    gestures = std::make_unique<GraphGestures>(*model, *timers, scheduler);
    ASSERT_GE(model->BandCount(), 6);
  }
  GraphBand& Band(int b) { return model->MutableBands().bands.at(size_t(b)); }
  void Press(int key, int heldMs) {
    gestures->KeyDown(key);
    scheduler.RunFor(heldMs);
    gestures->KeyUp(key);
  }

  VirtualScheduler scheduler;
  std::unique_ptr<Store> store;
  std::unique_ptr<ResponseModel> model;
  std::unique_ptr<SchedulerGraphTimers> timers;
  std::unique_ptr<GraphGestures> gestures;
};

TEST_F(Gestures, ShortPressHopsLongPressSweepsTheFrequency) {
  model->SelectBand(2);
  const int freq2 = Band(2).Freq;
  Press(kKeyRight, 200);
  EXPECT_EQ(model->SelectedBand(), 3);
  EXPECT_EQ(Band(2).Freq, freq2);

  const int freq3 = Band(3).Freq;
  Press(kKeyRight, 1000);
  EXPECT_EQ(model->SelectedBand(), 3);
  EXPECT_EQ(Band(3).Freq, freq3 + 16);  // ticks 5..20 of one second
  EXPECT_EQ(store->ParamTable.at(0, Band(3).Addr).Freq, freq3 + 16);
  EXPECT_EQ(model->PendingSendBand(), 3);
  EXPECT_FALSE(gestures->KeyHeld());

  Press(kKeyLeft, 100);
  EXPECT_EQ(model->SelectedBand(), 2);
}

TEST_F(Gestures, HopsWrapAndSkipHiddenGoingRightOnly) {
  model->SelectBand(0);
  Press(kKeyLeft, 50);
  EXPECT_EQ(model->SelectedBand(), model->BandCount() - 1);
  Band(3).Hidden = kTrue;
  model->SelectBand(2);
  Press(kKeyRight, 50);
  EXPECT_EQ(model->SelectedBand(), 4);
  Press(kKeyLeft, 50);
  EXPECT_EQ(model->SelectedBand(), 3);
}

TEST_F(Gestures, GainStopsAtItsLimits) {
  model->SelectBand(1);
  Band(1).Gain = 370;
  gestures->KeyDown(kKeyUp);
  EXPECT_EQ(Band(1).Gain, 370);
  Band(1).Gain = 10;
  gestures->KeyDown(kKeyDown);
  EXPECT_EQ(Band(1).Gain, 10);
  gestures->KeyDown(kKeyUp);
  EXPECT_EQ(Band(1).Gain, 11);
  EXPECT_EQ(store->ParamTable.at(0, Band(1).Addr).Gain, 11);
}

TEST_F(Gestures, RightDragStepsQOnlyBeyondFivePixels) {
  model->SelectBand(0);
  const MarkerPos m = model->Marker(1);
  const int x = static_cast<int>(std::lround(m.x));
  const int y = static_cast<int>(m.y);
  const int q = Band(1).Q;
  const int freq = Band(1).Freq;
  gestures->MouseDown(x, y, true);
  ASSERT_TRUE(gestures->QDrag());
  ASSERT_EQ(model->SelectedBand(), 1);
  gestures->MouseMove(float(x + 5), float(y + 30));
  EXPECT_EQ(Band(1).Q, q);
  gestures->MouseMove(float(x + 6), float(y + 30));
  EXPECT_EQ(Band(1).Q, q + 1);
  EXPECT_EQ(Band(1).Freq, freq);  // the marker stays where it is
  EXPECT_EQ(store->ParamTable.at(0, Band(1).Addr).Q, q + 1);
  gestures->MouseMove(float(x), float(y));  // 6 px back: one step down
  EXPECT_EQ(Band(1).Q, q);
  gestures->MouseUp();
  EXPECT_FALSE(gestures->Dragging());
  EXPECT_TRUE(timers->Active(GraphTimer::NoOper));
}

TEST_F(Gestures, ShelfBandsStepTheirSlope) {
  model->SelectBand(1);
  Band(1).QType = 1;
  const int sq = Band(1).SQ;
  const int q = Band(1).Q;
  gestures->KeyDown(kKeyHome);
  EXPECT_EQ(Band(1).SQ, ClampSlopeIndex(sq + 1));
  EXPECT_EQ(Band(1).Q, q);
}

TEST_F(Gestures, ALockedGraphIgnoresMouseAndKeys) {
  model->SelectBand(1);
  model->MutableBands().locked = true;
  const GraphBand before = Band(1);
  const MarkerPos m = model->Marker(1);
  gestures->MouseDown(static_cast<int>(std::lround(m.x)), static_cast<int>(m.y), false);
  EXPECT_FALSE(gestures->Dragging());
  gestures->MouseMove(m.x + 50, m.y - 50);
  for (int key : {kKeyUp, kKeyDown, kKeyHome, kKeyEnd}) gestures->KeyDown(key);
  Press(kKeyRight, 1000);
  EXPECT_EQ(Band(1).Gain, before.Gain);
  EXPECT_EQ(Band(1).Freq, before.Freq);
  EXPECT_EQ(Band(1).Q, before.Q);
  EXPECT_EQ(model->PendingSendBand(), kNoPendingBand);
}

}  // namespace
}  // namespace mirelune::ui
