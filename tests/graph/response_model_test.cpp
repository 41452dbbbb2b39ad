// SPDX-License-Identifier: GPL-3.0-or-later
// The response model through the parameter store: bands of each page, mappings, hit testing,
// dragging and writing back, reset, fade and blink.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "graph/band_slider_sink.h"
#include "graph/graph_overlay.h"
#include "graph/response_model.h"
#include "model/scales.h"

namespace mirelune {
namespace {

class FakeSliders : public BandSliderSink {
 public:
  struct Slider {
    int addr = -1;
    std::string eqIndex = "stale";
    BandFace face;
    int32_t value = -999;
    int focus = -1;  // -1 never set
  };
  std::vector<Slider> s;  // s[0] unused: sliders are 1-based

  explicit FakeSliders(std::vector<int> addrs) : s(addrs.size() + 1) {
    for (size_t i = 0; i < addrs.size(); ++i) s[i + 1].addr = addrs[i];
  }
  int SliderCount() const override { return static_cast<int>(s.size()) - 1; }
  int SliderAddr(int i) const override { return s.at(i).addr; }
  std::string EqIndexText(int i) const override { return s.at(i).eqIndex; }
  void SetEqIndexText(int i, const std::string& t) override { s.at(i).eqIndex = t; }
  void SetBandFace(int i, const BandFace& f) override { s.at(i).face = f; }
  void SetSliderValue(int i, int32_t v) override { s.at(i).value = v; }
  void SetBandPosition(int i, int32_t freq, int32_t q, int32_t sq) override {
    s.at(i).face.Freq = freq, s.at(i).face.Q = q, s.at(i).face.SQ = sq;
  }
  void SetForceShowFocus(int i, bool on) override { s.at(i).focus = on ? 1 : 0; }
};

class RecordingTimers : public GraphTimers {
 public:
  std::map<GraphTimer, bool> running;
  void Start(GraphTimer t) override { running[t] = true; }
  void Stop(GraphTimer t) override { running[t] = false; }
  bool On(GraphTimer t) { return running[t]; }
};

class CountingCanvas : public GraphCanvas {
 public:
  int base = 0, graph = 0;
  void DrawBase() override { ++base; }
  void DrawGraph() override { ++graph; }
};

struct Fixture {
  Store store;
  ResponseModel model{store};
  explicit Fixture(int page, int width = 1000, int height = 330, int subPage = 0) {
    store.InitDefaults();
    store.CurrentPage = page;
    store.EffectSubPage = static_cast<uint8_t>(subPage);
    model.Resize(width, height);
    model.RedrawAll(true);
  }
  // The on-screen marker centre of band b, as a click would hit it.
  std::pair<int, int> Click(int b) const {
    const MarkerPos p = model.Marker(b);
    return {static_cast<int>(RoundHalfEven(p.x)), static_cast<int>(p.y)};
  }
};

TEST(GraphGeometry, EdgesOfA645PixelGraph) {
  GraphGeometry g;
  g.Set(645, 330);
  EXPECT_EQ(g.Points(), 600);
  EXPECT_EQ(g.Right(), 640);
  EXPECT_EQ(g.Bottom(), 322);
  EXPECT_NEAR(g.PointFreq(0), 10.0f, 1e-4f);
  EXPECT_NEAR(g.XFromFreq(22000.0f), 640.0f, 1e-3f);
  EXPECT_NEAR(g.XFromFreq(10.0f), 40.0f, 1e-5f);
  EXPECT_EQ(g.ZeroY(), 126);  // 16 * 312 / 43 + 10 = 126.09
  EXPECT_NEAR(g.FreqFromX(g.XFromFreq(1234.5f)), 1234.5f, 0.01f);
  // Too small for a plot: no points, and the mappings stay finite.
  g.Set(30, 10);
  EXPECT_EQ(g.Points(), 0);
  EXPECT_EQ(g.GainFromY(5), 410);
}

TEST(GraphGeometry, GainMappingClampsAtThePlotEdgesAndRoundTrips) {
  GraphGeometry g;
  g.Set(1000, 330);  // top 10, bottom 322, zeroY 126
  const struct {
    float y;
    int code;
  } fromY[] = {{9.0f, 410}, {-500.0f, 410}, {323.0f, -20}, {2000.0f, -20}, {126.0f, 250}};
  for (const auto& c : fromY) EXPECT_EQ(g.GainFromY(c.y), c.code) << "y " << c.y;
  const struct {
    int code;
    float y;
  } fromCode[] = {{411, 10.0f},       {5000, 10.0f},     {-21, 322.0f}, {-100000, 322.0f},
                  // A damaged file's gain field can hold any 32-bit value.
                  {INT32_MIN, 322.0f}, {INT32_MAX, 10.0f}};
  for (const auto& c : fromCode) EXPECT_EQ(g.YFromGain(c.code), c.y) << "code " << c.code;
  EXPECT_EQ(g.YFromGain(-20), g.YFromDb(-27.0f));  // -27 dB itself is not clamped
  EXPECT_GT(g.YFromGain(10), g.YFromGain(250));    // down is negative gain
  for (int code = 10; code <= 370; ++code) ASSERT_EQ(g.GainFromY(g.YFromGain(code)), code) << code;
}

struct FilterExpect {
  int kind, addr;
  bool paired;
  int type, freq;
};

TEST(GraphBands, EachPageShowsItsEqBandsThenItsFilters) {
  const int off = 0, top = kFreqMaxIndex;
  const struct {
    int page, subPage;
    int eqFirst, eqCount;
    std::vector<FilterExpect> filters;
  } cases[] = {
      // All 15 music EQ records have markers; the off filters stay at their off indices.
      {0, 0, 0, 15, {{kBandHighPass, 15, false, 0, off}, {kBandLowPass, 16, false, 0, top}}},
      // A single microphone high-pass is 24 dB/octave on pages 1 and 2.
      {1, 0, 257, 15, {{kBandHighPass, 256, false, 1, FreqToIndex(80)}}},
      {2, 0, 513, 15, {{kBandHighPass, 512, false, 1, FreqToIndex(80)}}},
      {3, 0, 776, 5, {{kBandHighPass, 774, false, 0, FreqToIndex(120)}, {kBandLowPass, 775, false, 0, FreqToIndex(10000)}}},
      {3, 1, 794, 5, {{kBandHighPass, 781, false, 0, FreqToIndex(80)}, {kBandLowPass, 782, false, 0, FreqToIndex(12000)}}},
      {3, 2, 799, 5, {}},
      // Type/frequency pairs: the type from the first record, the frequency from the second.
      {4, 0, 1032, 10, {{kBandHighPass, 1030, true, 0, 1}}},
      {5, 0, 1288, 7, {{kBandHighPass, 1286, true, 0, 1}}},
      {7, 0, 1803, 5, {{kBandHighPass, 1799, true, 0, 1}, {kBandLowPass, 1801, true, 0, FreqToIndex(320)}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("page " + std::to_string(c.page) + "." + std::to_string(c.subPage));
    Fixture f(c.page, 1000, 330, c.subPage);
    ASSERT_EQ(f.model.BandCount(), c.eqCount + static_cast<int>(c.filters.size()));
    EXPECT_FALSE(f.model.Locked());
    for (int b = 0; b < c.eqCount; ++b) {
      const GraphBand& band = f.model.Band(b);
      EXPECT_EQ(band.Kind, kBandEq);
      EXPECT_EQ(band.Addr, c.eqFirst + b);
      EXPECT_EQ(band.Number, b);
      EXPECT_EQ(band.Freq, f.store.ParamTable.at(0, band.Addr).Freq);
      EXPECT_EQ(band.Gain, f.store.ParamTable.at(0, band.Addr).Gain);
    }
    for (size_t k = 0; k < c.filters.size(); ++k) {
      const GraphBand& band = f.model.Band(c.eqCount + static_cast<int>(k));
      const FilterExpect& e = c.filters[k];
      EXPECT_EQ(band.Kind, e.kind) << k;
      EXPECT_EQ(band.Addr, e.addr) << k;
      EXPECT_EQ(band.Paired != 0, e.paired) << k;
      EXPECT_EQ(band.Gain, e.type) << k;
      EXPECT_EQ(band.Freq, e.freq) << k;
      EXPECT_EQ(band.FreqAddress(), e.paired ? e.addr + 1 : e.addr) << k;
    }
  }
}

TEST(GraphBands, ValuesComeFromTheCurrentSoundModeKindsFromSlotZero) {
  Store st;
  st.InitDefaults();
  st.CurrentPage = 4;
  st.ParamTable.at(1, 1032).Gain = 300;
  st.ParamTable.at(1, 1033).Kind = kPlain;  // slot 1's kind is not consulted
  st.ParamTable.at(1, 1031).Value = 120;    // dance-mode high-pass frequency
  st.ParamTable.at(1, 1030).Value = 1;      // and type
  st.SetCurrentSoundMode(1);
  GraphBandTable t;
  BuildGraphBands(st, nullptr, t);
  ASSERT_EQ(t.count, 11);
  EXPECT_EQ(t.bands[0].Gain, 300);
  EXPECT_EQ(t.bands[1].Addr, 1033);
  EXPECT_EQ(t.bands[10].Freq, 120);
  EXPECT_EQ(t.bands[10].Gain, 1);
  // A frequency outside 1..361 that is not an off index is clamped.
  st.ParamTable.at(1, 1031).Value = 9000;
  BuildGraphBands(st, nullptr, t);
  EXPECT_EQ(t.bands[10].Freq, 361);
  st.ParamTable.at(1, 1031).Value = -3;
  BuildGraphBands(st, nullptr, t);
  EXPECT_EQ(t.bands[10].Freq, 1);
}

TEST(GraphBands, FilterEntriesDoNotInheritAnEarlierPagesBypass) {
  Store st;
  st.InitDefaults();
  GraphBandTable t;
  // Entry 15 left disabled by an earlier page (a bypassed EQ band there).
  t.bands[15].EQDisabled = kTrue;
  st.CurrentPage = 1;  // 16 bands: entry 15 is the high-pass
  BuildGraphBands(st, nullptr, t);
  EXPECT_EQ(t.bands[15].Kind, kBandHighPass);
  EXPECT_EQ(t.bands[15].EQDisabled, kFalse);
}

TEST(GraphBands, LockedOnlyWhenBassAutoControlOwnsAPerModeEq) {
  const struct {
    int page, bassAuto;
    bool locked;
  } cases[] = {{7, 1, true}, {7, 0, false}, {7, 2, false}, {1, 1, false}, {0, 1, true}};
  for (const auto& c : cases) {
    Store st;
    st.InitDefaults();
    st.CurrentPage = c.page;
    st.BassAutoControl = static_cast<uint8_t>(c.bassAuto);
    ResponseModel m(st);
    m.Resize(1000, 330);
    m.RedrawAll(true);
    EXPECT_EQ(m.Locked(), c.locked) << "page " << c.page << " bass " << c.bassAuto;
    if (!c.locked) continue;
    const MarkerPos p = m.Marker(1);
    EXPECT_FALSE(m.HitTest(static_cast<int>(std::lround(p.x)), static_cast<int>(p.y)));
    EXPECT_EQ(m.SelectedBand(), 0);
    for (const MarkerDraw& d : LayoutMarkers(m)) EXPECT_EQ(d.imageId, kImageMarkerInactive);
    EXPECT_TRUE(LayoutSelectedTexts(m).empty());
  }
}

TEST(ResponseModel, HitTestWindowIs13PixelsAndSkipsDisabledAndHiddenBands) {
  Fixture f(0);
  const auto [x, y] = f.Click(9);  // 1600 Hz, -19 dB: far from the others
  const struct {
    int dx, dy;
    bool hit;
  } cases[] = {{0, 0, true}, {13, -13, true}, {-13, 13, true}, {14, 0, false}, {0, -14, false}};
  for (const auto& c : cases) {
    Fixture g(0);
    EXPECT_EQ(g.model.HitTest(x + c.dx, y + c.dy), c.hit) << c.dx << "," << c.dy;
    EXPECT_EQ(g.model.SelectedBand(), c.hit ? 9 : 0);
    if (c.hit) {
      EXPECT_EQ(g.model.DragStartX(), x + c.dx);
    }
  }
  // Disabled and hidden bands cannot be picked.
  Fixture h(0);
  h.store.ParamTable.at(0, 9).EQDisabled = kTrue;
  h.model.RedrawAll(true);
  EXPECT_FALSE(h.model.HitTest(x, y));
  h.store.ParamTable.at(0, 9).EQDisabled = kFalse;
  h.store.Menu.AddrHidden[9] = 1;
  h.model.RedrawAll(true);
  EXPECT_TRUE(h.model.Band(9).Hidden != 0);
  EXPECT_FALSE(h.model.HitTest(x, y));
}

TEST(ResponseModel, OverlappingMarkersPickTheLowerNumberedBand) {
  Fixture f(0);
  // Put band 4 right next to band 3 (5 px apart at most).
  f.store.ParamTable.at(0, 4).Freq = f.store.ParamTable.at(0, 3).Freq + 1;
  f.store.ParamTable.at(0, 4).Gain = f.store.ParamTable.at(0, 3).Gain;
  f.model.RedrawAll(true);
  const auto [x4, y4] = f.Click(4);
  EXPECT_TRUE(f.model.HitTest(x4, y4));
  EXPECT_EQ(f.model.SelectedBand(), 3);
  f.store.ParamTable.at(0, 3).EQDisabled = kTrue;
  f.model.RedrawAll(true);
  EXPECT_TRUE(f.model.HitTest(x4, y4));
  EXPECT_EQ(f.model.SelectedBand(), 4);
}

TEST(ResponseModel, DragWritesTheStoreByTheSlotRule) {
  const struct {
    int page, mode, band;
    int addr;
    bool bothSlots;
  } cases[] = {
      {0, 0, 2, 2, false},      // music EQ is per mode
      {0, 1, 2, 2, false},
      {1, 1, 4, 261, true},     // microphone EQ is shared by both modes
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("page " + std::to_string(c.page) + " mode " + std::to_string(c.mode));
    Fixture f(c.page);
    f.store.SetCurrentSoundMode(static_cast<uint8_t>(c.mode));
    f.model.RedrawAll(true);
    const int other = 1 - c.mode;
    const ParamRecord before = f.store.ParamTable.at(other, c.addr);
    const auto [x, y] = f.Click(c.band);
    ASSERT_TRUE(f.model.HitTest(x, y));
    const float x1k = f.model.Geometry().XFromFreq(1000.0f);
    f.model.DragTo(x1k, -40.0f, false);  // above the top: +16 dB, clamped to +12
    const GraphBand& b = f.model.Band(c.band);
    EXPECT_EQ(b.Gain, kGainMax);
    EXPECT_NEAR(FreqAt(b.Freq), 1000.0f, 25.0f);
    const ParamRecord& mine = f.store.ParamTable.at(c.mode, c.addr);
    EXPECT_EQ(mine.Gain, kGainMax);
    EXPECT_EQ(mine.Freq, b.Freq);
    const ParamRecord& theirs = f.store.ParamTable.at(other, c.addr);
    if (c.bothSlots) {
      EXPECT_EQ(theirs.Gain, kGainMax);
      EXPECT_EQ(theirs.Freq, b.Freq);
    } else {
      EXPECT_EQ(theirs, before);
    }
    EXPECT_EQ(f.model.PendingSendBand(), c.band);
    EXPECT_EQ(f.model.TakePendingSendAddress(), c.addr);
    EXPECT_EQ(f.model.TakePendingSendAddress(), -1);
  }
}

TEST(ResponseModel, DraggingAFilterUsesTheLimitedRangeAndItsFrequencyRecord) {
  const struct {
    int page, band;
    float hz;
    int expectFreq;
    int freqAddr;
  } cases[] = {
      {0, 15, 5.0f, 0, 15},              // the music high-pass may be dragged back to "off"
      {0, 16, 5.0f, 298, 16},            // the music low-pass stays at 298..362
      {0, 16, 30000.0f, 362, 16},
      {4, 10, 5000.0f, 143, 1031},       // a pair: frequency in the second record
      {7, 6, 10.0f, 1, 1802},            // sub-woofer low-pass 1..143
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("page " + std::to_string(c.page) + " band " + std::to_string(c.band));
    Fixture f(c.page);
    const GraphBand& b = f.model.Band(c.band);
    ASSERT_NE(b.Kind, kBandEq);
    f.model.SelectBand(c.band);
    const int gainBefore = b.Gain;
    f.model.DragTo(f.model.Geometry().XFromFreq(c.hz), 300.0f, false);
    EXPECT_EQ(b.Freq, c.expectFreq);
    EXPECT_EQ(b.Gain, gainBefore);  // a filter's type is not a gain
    EXPECT_EQ(f.store.ParamTable.at(0, c.freqAddr).Value, c.expectFreq);
    EXPECT_EQ(f.model.TakePendingSendAddress(), c.freqAddr);
  }
}

TEST(ResponseModel, FinishEditWritesSendsAndRedrawsTheSelectedBand) {
  Fixture f(1);
  RecordingTimers timers;
  f.model.SetTimers(&timers);
  f.model.SelectBand(3);
  GraphBand& b = f.model.MutableBands().bands[3];
  b.Gain = 262;
  b.Q = 20;
  const float before = f.model.Curve(3)[400];
  f.model.FinishEdit();
  EXPECT_EQ(f.store.ParamTable.at(0, 260).Gain, 262);
  EXPECT_EQ(f.store.ParamTable.at(1, 260).Q, 20);
  EXPECT_NE(f.model.Curve(3)[400], before);
  EXPECT_TRUE(timers.On(GraphTimer::Draw));
  EXPECT_EQ(f.model.TakePendingSendAddress(), 260);
}

TEST(ResponseModel, SumIsTheBandsAndDisabledOrOffBandsAddNothing) {
  Fixture f(0);
  const int n = f.model.Geometry().Points();
  auto checkSum = [&] {
    for (int i = 0; i < n; i += 37) {
      float s = 0;
      for (int b = 0; b < f.model.BandCount(); ++b) s += f.model.Curve(b)[i];
      ASSERT_NEAR(f.model.Sum()[i], s + f.model.ExtraSum()[i], 1e-4f) << i;
    }
  };
  checkSum();
  for (int b : {15, 16})  // both music filters are off
    for (int i = 0; i < n; ++i) ASSERT_EQ(f.model.Curve(b)[i], 0.0f);
  // Band 0 is +8 dB at 25 Hz.
  EXPECT_NEAR(*std::max_element(f.model.Curve(0), f.model.Curve(0) + n), 8.0f, 0.05f);
  f.store.ParamTable.at(0, 0).EQDisabled = kTrue;
  f.model.RedrawAll(true);
  for (int i = 0; i < n; ++i) ASSERT_EQ(f.model.Curve(0)[i], 0.0f);
  checkSum();
  // The sum follows a drag of one band.
  f.model.SelectBand(5);
  f.model.DragTo(f.model.Geometry().XFromFreq(250.0f), 20.0f, false);
  checkSum();
}

// Every music EQ band has a marker: band 15 (+5 dB at 16 kHz at start-up) is selected by a
// click on it and a drag moves the sum. An EQ record beyond the fifteen (a file whose Kind bytes
// make the high-pass record an EQ band) has no marker but still counts in the sum.
TEST(ResponseModel, MusicBands14And15HaveMarkersAndRecordsBeyondCountInTheSum) {
  Fixture f(0);
  const GraphBandTable& t = f.model.Bands();
  ASSERT_EQ(t.extraCount, 0);
  ASSERT_EQ(PageEqBands(t).size(), 15u);
  EXPECT_EQ(t.bands[13].Addr, 13);
  EXPECT_EQ(t.bands[14].Addr, 14);
  EXPECT_EQ(t.bands[14].Kind, kBandEq);
  ASSERT_GT(t.bands[14].Gain, kGainZero);
  const int n = f.model.Geometry().Points();
  const auto [x, y] = f.Click(14);
  ASSERT_TRUE(f.model.HitTest(x, y));
  EXPECT_EQ(f.model.SelectedBand(), 14);
  f.model.DragTo(f.model.Geometry().XFromFreq(8000.0f), f.model.Geometry().YFromGain(kGainZero + 60), false);
  EXPECT_EQ(f.store.ParamTable.at(f.store.CurrentSoundMode, 14).Gain, kGainZero + 60);
  float peak = 0;
  for (int i = 0; i < n; ++i) peak = std::max(peak, f.model.Curve(14)[i]);
  EXPECT_NEAR(peak, 6.0f, 0.3f);

  Fixture g(0);
  g.store.ParamTable.at(0, 15).Kind = kEqBand;
  g.store.ParamTable.at(g.store.CurrentSoundMode, 15).Gain = kGainZero + 80;
  g.store.ParamTable.at(g.store.CurrentSoundMode, 15).Freq = FreqToIndex(1000);
  g.store.ParamTable.at(g.store.CurrentSoundMode, 15).Q = 20;
  g.model.RedrawAll(true);
  const GraphBandTable& u = g.model.Bands();
  ASSERT_EQ(u.extraCount, 1);
  EXPECT_EQ(u.extra[0].Addr, 15);
  peak = 0;
  for (int i = 0; i < n; ++i) peak = std::max(peak, g.model.ExtraSum()[i]);
  EXPECT_NEAR(peak, 8.0f, 0.3f);
  for (int i = 0; i < n; i += 13) {
    float marked = 0;
    for (int b = 0; b < g.model.BandCount(); ++b) marked += g.model.Curve(b)[i];
    ASSERT_NEAR(g.model.Sum()[i], marked + g.model.ExtraSum()[i], 1e-4f);
  }
}

TEST(ResponseModel, BandStripsAreBoundMirroredAndHighlighted) {
  Store st;
  st.InitDefaults();
  st.CurrentPage = 1;
  // Strips for EQ records 257 and 259, the high-pass 256, one of page 0 and an unbound one.
  FakeSliders sl({257, 259, 256, 3, -1});
  ResponseModel m(st);
  m.SetSliders(&sl);
  m.Resize(1000, 330);
  m.RedrawAll(true);
  EXPECT_EQ(sl.s[1].eqIndex, "0");
  EXPECT_EQ(sl.s[2].eqIndex, "2");
  EXPECT_EQ(sl.s[3].eqIndex, "");  // filters get no band number
  EXPECT_EQ(sl.s[4].eqIndex, "");  // every strip was cleared first
  EXPECT_EQ(sl.s[5].eqIndex, "");
  EXPECT_EQ(sl.s[2].face.Freq, st.ParamTable.at(0, 259).Freq);
  EXPECT_EQ(sl.s[2].value, st.ParamTable.at(0, 259).Gain);
  EXPECT_EQ(sl.s[3].value, FreqToIndex(80));
  EXPECT_EQ(m.Band(2).SliderIndex, 2);
  EXPECT_EQ(m.Band(1).SliderIndex, 0);

  m.SelectBand(2);
  EXPECT_EQ(sl.s[1].focus, 0);
  EXPECT_EQ(sl.s[2].focus, 1);
  EXPECT_EQ(sl.s[3].focus, -1);  // no band number: untouched
  EXPECT_EQ(sl.s[4].focus, -1);  // another page's strip: untouched

  m.DragTo(m.Geometry().XFromFreq(2000.0f), m.Geometry().YFromGain(200), false);
  EXPECT_EQ(sl.s[2].face.Freq, m.Band(2).Freq);
  EXPECT_EQ(sl.s[2].value, 200);
  EXPECT_EQ(st.ParamTable.at(1, 259).Gain, 200);
  // Dragging a band without a strip writes the store and leaves the strips alone.
  m.SelectBand(1);
  m.DragTo(m.Geometry().XFromFreq(300.0f), m.Geometry().YFromGain(300), false);
  EXPECT_EQ(st.ParamTable.at(0, 258).Gain, 300);
  EXPECT_EQ(sl.s[1].value, st.ParamTable.at(0, 257).Gain);
  // The high-pass strip follows its band.
  m.SelectBand(15);
  m.DragTo(m.Geometry().XFromFreq(100.0f), 0, false);
  EXPECT_EQ(sl.s[3].value, m.Band(15).Freq);
  EXPECT_EQ(st.ParamTable.at(0, 256).Value, m.Band(15).Freq);
}

TEST(ResponseModel, ResetCopiesFactoryEqIntoTheCurrentModeAndStopsAtAFailedSend) {
  Fixture f(4);
  f.store.SetCurrentSoundMode(1);
  f.model.RedrawAll(true);
  for (int a = 1032; a <= 1041; ++a) {
    ParamRecord& r = f.store.ParamTable.at(1, a);
    r.Gain = 111, r.Q = 3, r.Freq = 77, r.EQDisabled = kTrue, r.QType = 2, r.SQ = 5;
    f.store.ParamTable.at(0, a).Gain = 123;  // the other mode (page 4 EQ is per mode)
  }
  f.store.ParamTable.at(1, 1031).Value = 99;  // the filter is not an EQ band: kept
  std::vector<int> sent;
  int snapshots = 0, refreshes = 0;
  ResponseModel::ResetHooks hooks;
  hooks.takeSnapshot = [&] { ++snapshots; };
  hooks.send = [&](int a) { sent.push_back(a); return a != 1035; };
  hooks.refreshControls = [&] { ++refreshes; };
  EXPECT_FALSE(f.model.ResetBands(hooks));
  EXPECT_EQ(snapshots, 1);
  EXPECT_EQ(refreshes, 1);
  EXPECT_EQ(sent, (std::vector<int>{1032, 1033, 1034, 1035}));
  for (int a = 1032; a <= 1035; ++a) {
    const ParamRecord& r = f.store.ParamTable.at(1, a);
    const ParamRecord& d = f.store.ParamTable.at(2, a);
    EXPECT_EQ(r.Gain, d.Gain);
    EXPECT_EQ(r.Freq, d.Freq);
    EXPECT_EQ(r.EQDisabled, kFalse);
    EXPECT_EQ(r.QType, 0);
    EXPECT_EQ(f.store.ParamTable.at(0, a).Gain, 123);
  }
  EXPECT_EQ(f.store.ParamTable.at(1, 1036).Gain, 111);  // after the failure: untouched
  EXPECT_EQ(f.store.ParamTable.at(1, 1031).Value, 99);

  // Offline (no send) on a shared-mode page: both modes get the defaults.
  Fixture g(1);
  g.store.ParamTable.at(0, 260).Gain = 111;
  g.store.ParamTable.at(1, 260).Gain = 111;
  EXPECT_TRUE(g.model.ResetBands({}));
  EXPECT_EQ(g.store.ParamTable.at(0, 260).Gain, kGainZero);
  EXPECT_EQ(g.store.ParamTable.at(1, 260).Gain, kGainZero);
}

TEST(ResponseModel, TimersFadeAndBlink) {
  Store st;
  st.InitDefaults();
  RecordingTimers timers;
  CountingCanvas canvas;
  ResponseModel m(st);
  m.SetTimers(&timers);
  m.SetCanvas(&canvas);
  m.Resize(1000, 330);
  m.RedrawAll(false);
  EXPECT_TRUE(timers.On(GraphTimer::NoOper));
  EXPECT_TRUE(timers.On(GraphTimer::Draw));
  EXPECT_EQ(canvas.base, 1);

  m.NoOperTick();
  EXPECT_FALSE(timers.On(GraphTimer::NoOper));
  ASSERT_TRUE(timers.On(GraphTimer::Fade));
  // The band fill fades 5 -> 0, the phase turns, the sum fill fades in 0 -> 5 and stays.
  std::vector<std::pair<int, int>> seen;
  while (timers.On(GraphTimer::Fade) && seen.size() < 40) {
    m.GradientTick();
    seen.push_back({m.GradientPhase(), m.GradientLevel()});
  }
  const std::vector<std::pair<int, int>> expect = {{0, 4},  {0, 3},  {0, 2},  {0, 1},  {0, 0}, {-1, 0},
                                                   {-1, 1}, {-1, 2}, {-1, 3}, {-1, 4}, {-1, 5}};
  EXPECT_EQ(seen, expect);
  EXPECT_EQ(canvas.graph, static_cast<int>(expect.size()));

  // Selecting starts a fresh fade; a drag stops the idle and fade timers and draws soon.
  m.SelectBand(3);
  EXPECT_EQ(m.GradientPhase(), 0);
  EXPECT_EQ(m.GradientLevel(), 5);
  EXPECT_TRUE(timers.On(GraphTimer::NoOper));
  EXPECT_EQ(canvas.base, 2);
  m.SelectBand(3);  // same band: Base is not redrawn
  EXPECT_EQ(canvas.base, 2);
  m.SelectBand(40);  // no such band: ignored
  EXPECT_EQ(m.SelectedBand(), 3);
  m.DragTo(500, 100, false);
  EXPECT_FALSE(timers.On(GraphTimer::NoOper));
  EXPECT_FALSE(timers.On(GraphTimer::Fade));
  EXPECT_TRUE(timers.On(GraphTimer::Draw));

  // No blinking before the first draw; afterwards the phase flips every fourth tick.
  const int drawsBefore = canvas.graph;
  for (int i = 0; i < 10; ++i) m.BlinkTick();
  EXPECT_FALSE(m.BlinkPhase());
  EXPECT_EQ(canvas.graph, drawsBefore);
  m.MarkDrawn();
  std::vector<bool> phases;
  for (int i = 0; i < 12; ++i) {
    m.BlinkTick();
    phases.push_back(m.BlinkPhase());
  }
  EXPECT_EQ(phases, (std::vector<bool>{false, false, false, true, true, true, true, false, false, false, false, true}));
  EXPECT_EQ(canvas.graph, drawsBefore + 3);

  // A rebuild resets the selection and stops everything (quiet: nothing restarted).
  m.RedrawAll(true);
  EXPECT_EQ(m.SelectedBand(), 0);
  EXPECT_FALSE(timers.On(GraphTimer::Draw));
  EXPECT_FALSE(timers.On(GraphTimer::NoOper));
}

// The blink comes to rest in the plain size a few seconds after the last change, and draws
// nothing more until the next selection or drag wakes it.
TEST(ResponseModel, TheBlinkRestsWhenTheGraphIsLeftAlone) {
  Store st;
  st.InitDefaults();
  CountingCanvas canvas;
  ResponseModel m(st);
  m.SetCanvas(&canvas);
  m.Resize(1000, 330);
  m.RedrawAll(true);
  m.MarkDrawn();
  auto ticks = [&](int n) {
    const int before = canvas.graph;
    for (int i = 0; i < n; ++i) m.BlinkTick();
    return canvas.graph - before;
  };
  // Flips every fourth tick, until the rest; a flip left on the large size is undone.
  EXPECT_EQ(ticks(ResponseModel::kBlinkRestTicks - 1), (ResponseModel::kBlinkRestTicks - 1) / 4);
  const bool largeAtRest = m.BlinkPhase();
  EXPECT_EQ(ticks(1), largeAtRest ? 1 : 0);
  EXPECT_FALSE(m.BlinkPhase());
  EXPECT_EQ(ticks(1000), 0);
  struct Wake {
    const char* what;
    std::function<void()> act;
  } wakes[] = {{"select", [&] { m.SelectBand(2); }},
               {"drag", [&] { m.DragTo(400, 120, false); }},
               {"rebuild", [&] { m.RedrawAll(true); }}};
  for (const Wake& w : wakes) {
    w.act();
    EXPECT_GE(ticks(8), 1) << w.what;
    ticks(1000);
    EXPECT_FALSE(m.BlinkPhase()) << w.what;
  }
}

TEST(GraphOverlay, MarkersAndTextsOfTheSelectedBand) {
  Fixture f(7);  // 5 EQ bands, high-pass pair (index 1), low-pass pair (320 Hz)
  f.store.Menu.AddrHidden[1804] = 1;
  f.model.RedrawAll(true);
  const std::vector<MarkerDraw> marks = LayoutMarkers(f.model);
  ASSERT_EQ(marks.size(), 7u);
  const MarkerPos p0 = f.model.Marker(0);
  EXPECT_EQ(marks[0].imageId, kImageMarkerSelected + 0);
  EXPECT_EQ(marks[0].x, std::nearbyint(p0.x) - 16);
  EXPECT_EQ(marks[0].y, p0.y - 16);
  EXPECT_EQ(marks[1].imageId, kImageMarkerInactive);  // hidden
  EXPECT_EQ(marks[2].imageId, kImageMarkerSmall + 2);
  EXPECT_EQ(marks[2].x, f.model.Marker(2).x - 8);
  EXPECT_EQ(marks[5].imageId, kImageMarkerSmall + kMarkerHighPass);
  EXPECT_EQ(marks[6].imageId, kImageMarkerSmall + kMarkerLowPass);
  EXPECT_EQ(marks[6].y, f.model.Geometry().ZeroY() - 8);

  const std::vector<GraphText> t = LayoutSelectedTexts(f.model);
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0].text, "25.3Hz");  // the table entry at or above 25
  EXPECT_EQ(t[1].text, "0.0dB");
  EXPECT_EQ(t[2].text, "1.00 Q");
  EXPECT_EQ(t[0].x, std::nearbyint(p0.x) + 15);
  EXPECT_EQ(t[2].y, p0.y + 8);

  // A shelf shows its slope; near the right edge the texts move 70 px left.
  f.store.ParamTable.at(0, 1803).QType = 2;
  f.store.ParamTable.at(0, 1803).Freq = FreqToIndex(19000);
  f.store.ParamTable.at(0, 1803).Gain = 183;
  f.model.RedrawAll(true);
  const std::vector<GraphText> t2 = LayoutSelectedTexts(f.model);
  ASSERT_EQ(t2.size(), 3u);
  EXPECT_EQ(t2[0].text, "19000Hz");
  EXPECT_EQ(t2[1].text, "-6.7dB");
  EXPECT_EQ(t2[2].text, "0.71 Q");
  EXPECT_EQ(t2[0].x, std::nearbyint(f.model.Marker(0).x) - 70 + 15);

  // Filters: "OFF" at either end, otherwise the frequency.
  Fixture g(0);
  g.model.SelectBand(15);
  ASSERT_EQ(LayoutSelectedTexts(g.model).size(), 1u);
  EXPECT_EQ(LayoutSelectedTexts(g.model)[0].text, "OFF");
  EXPECT_EQ(LayoutSelectedTexts(g.model)[0].y, g.model.Geometry().ZeroY() - 22);
  g.model.SelectBand(16);
  EXPECT_EQ(LayoutSelectedTexts(g.model)[0].text, "OFF");
  EXPECT_EQ(LayoutSelectedTexts(g.model)[0].y, g.model.Geometry().ZeroY() - 25);
  Fixture h(7);
  h.model.SelectBand(6);
  EXPECT_EQ(LayoutSelectedTexts(h.model)[0].text, "321Hz");
  // A disabled EQ band shows no text.
  Fixture d(7);
  d.store.ParamTable.at(0, 1803).EQDisabled = kTrue;
  d.model.RedrawAll(true);
  EXPECT_TRUE(LayoutSelectedTexts(d.model).empty());
  EXPECT_EQ(LayoutMarkers(d.model)[0].imageId, kImageMarkerInactive);
}

TEST(GraphOverlay, GridSitsOnTheDecadesAndDbSteps) {
  GraphGeometry g;
  g.Set(645, 330);
  const GridLayout grid = LayoutGrid(g);
  ASSERT_EQ(grid.verticalX.size(), 29u);  // 10..90, 100..900, 1000..9000, 10k, 20k
  EXPECT_EQ(grid.verticalX.front(), 40);
  EXPECT_EQ(grid.verticalX[9], static_cast<int>(std::lround(40 + 600 / (std::log10(22000.0) - 1))));
  ASSERT_EQ(grid.horizontalY.size(), 7u);
  EXPECT_FLOAT_EQ(grid.horizontalY[2], static_cast<float>(g.ZeroY()));
  ASSERT_EQ(grid.labels.size(), 12u);
  EXPECT_EQ(grid.labels[4].text, "20KHz");
  EXPECT_FLOAT_EQ(grid.labels[4].x, g.XFromFreq(20000) - 16);
  EXPECT_EQ(grid.labels[7].text, "  0dB");
  EXPECT_FLOAT_EQ(grid.labels[7].y, g.ZeroY() - 6.0f);
}

}  // namespace
}  // namespace mirelune

namespace mirelune {
namespace {

// A curve given by points (a room measurement) is drawn at the graph's own points, linear in
// log frequency between its points and held beyond them, alongside the band comparisons, and
// follows the size and every redraw.
TEST(ResponseModel, PointCurvesAreDrawnAtTheGraphsPoints) {
  Store st;
  st.InitDefaults();
  ResponseModel m(st);
  m.Resize(1000, 300);
  m.RedrawAll(true);
  auto curve = std::make_shared<CurvePoints>();
  curve->freqHz = {100, 1000};
  curve->db = {-6, 6};
  CompareSource measured;
  measured.kind = CompareKind::Measured;
  measured.label = "measured";
  measured.curve = curve;
  CompareSource other;
  other.kind = CompareKind::Factory;
  m.SetComparisons({other, measured});
  m.RedrawAll(true);
  ASSERT_EQ(m.Comparisons().size(), 2u);
  EXPECT_EQ(m.Comparisons()[1].rgba, CompareColour(CompareKind::Measured));
  EXPECT_TRUE(IsPointCurve(CompareKind::Measured));
  EXPECT_FALSE(IsPointCurve(CompareKind::Factory));
  const GraphGeometry& geo = m.Geometry();
  const float* row = m.ComparisonRow(1);
  for (int i = 0; i < geo.Points(); ++i) {
    const double f = geo.PointFreq(i);
    const double want = f <= 100 ? -6 : f >= 1000 ? 6 : -6 + 12 * std::log10(f / 100);
    ASSERT_NEAR(row[i], want, 1e-4) << f;
  }
  m.Resize(600, 300);
  m.RedrawAll(true);
  EXPECT_NEAR(m.ComparisonRow(1)[geo.Points() - 1], 6, 1e-4);
  EXPECT_EQ(PointCurveRow(*curve, {50.0, 316.22776601683796}), (std::vector<float>{-6.0f, 0.0f}));
  EXPECT_EQ(PointCurveRow(CurvePoints{}, {50.0}), std::vector<float>{0.0f});
}

// Files compared together (the command line's plot takes up to four) each have a colour of
// their own, the first the file kind's; the other kinds keep theirs among them.
TEST(ResponseModel, EachFileComparedWithHasItsOwnColour) {
  Store st;
  st.InitDefaults();
  ResponseModel m(st);
  m.Resize(1000, 300);
  auto table = std::make_shared<RecordTable>(st.ParamTable);
  std::vector<CompareSource> sources;
  CompareSource factory;
  factory.kind = CompareKind::Factory;
  sources.push_back(factory);
  for (const char* name : {"a.sp", "b.sp", "c.sp", "d.sp"}) {
    CompareSource file;
    file.kind = CompareKind::File;
    file.label = name;
    file.table = table;
    sources.push_back(file);
  }
  m.SetComparisons(sources);
  const std::vector<CompareCurve>& curves = m.Comparisons();
  ASSERT_EQ(curves.size(), 5u);
  EXPECT_EQ(curves[0].rgba, CompareColour(CompareKind::Factory));
  EXPECT_EQ(curves[1].rgba, CompareColour(CompareKind::File));
  for (size_t i = 0; i < curves.size(); ++i)
    for (size_t j = i + 1; j < curves.size(); ++j)
      EXPECT_NE(curves[i].rgba, curves[j].rgba) << curves[i].label << " and " << curves[j].label;
}

}  // namespace
}  // namespace mirelune
