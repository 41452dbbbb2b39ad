// SPDX-License-Identifier: GPL-3.0-or-later
// What a person types into a value editor, read back into slider positions; the shown numbers
// with their units; the one naming table by address.
#include <gtest/gtest.h>

#include <set>

#include "model/param_names.h"
#include "model/param_ranges.h"
#include "model/scales.h"
#include "model/store.h"
#include "model/value_text.h"

namespace mirelune {
namespace {

struct Typed {
  const char* text;
  int valueType;
  int maxValue;
  const char* unit;
  int position;  // -1: refused
  TypedProblem problem;
};

// clang-format off
const Typed kTyped[] = {
  // high-pass OFF, 19.7 .. 303 Hz (type 13, max 143)
  {"80",        13, 143, "Hz", 74,  TypedProblem::None},
  {"80 Hz",     13, 143, "Hz", 74,  TypedProblem::None},
  {"80hz",      13, 143, "Hz", 74,  TypedProblem::None},
  {" 80.3 HZ ", 13, 143, "Hz", 74,  TypedProblem::None},
  {"OFF",       13, 143, "Hz", 0,   TypedProblem::None},
  {"off",       13, 143, "Hz", 0,   TypedProblem::None},
  {"303",       13, 143, "Hz", 143, TypedProblem::None},
  {"0.3k",      13, 143, "Hz", 143, TypedProblem::None},   // 300 Hz: the top entry 303 is nearest
  {"19.7",      13, 143, "Hz", 1,   TypedProblem::None},
  {"1.2k",      13, 143, "Hz", -1,  TypedProblem::OutOfRange},
  {"10",        13, 143, "Hz", -1,  TypedProblem::OutOfRange},
  {"80 dB",     13, 143, "Hz", -1,  TypedProblem::WrongUnit},
  {"abc",       13, 143, "Hz", -1,  TypedProblem::NotANumber},
  {"",          13, 143, "Hz", -1,  TypedProblem::NotANumber},
  {"-80",       13, 143, "Hz", -1,  TypedProblem::OutOfRange},
  // damping 5990 .. 20200 Hz (type 6, max 63): kHz with both decimal marks
  {"12k",       6,  63,  "Hz", 0,   TypedProblem::None},   // checked against the table below
  {"1,5 kHz",   6,  63,  "Hz", -1,  TypedProblem::OutOfRange},
  {"OFF",       6,  62,  "Hz", -1,  TypedProblem::NoOff},
  // type 16 ends in OFF
  {"off",       16, 64,  "Hz", 64,  TypedProblem::None},
  // compressor threshold -26.0 .. +14.0 dB (type 12)
  {"-3.5 dB",   12, 400, "dB", 225, TypedProblem::None},
  {"-3,5",      12, 400, "dB", 225, TypedProblem::None},
  {"+14",       12, 400, "dB", 400, TypedProblem::None},
  {"14.04",     12, 400, "dB", 400, TypedProblem::None},   // within half a step of the end
  {"14.1",      12, 400, "dB", -1,  TypedProblem::OutOfRange},
  {"-3.5 ms",   12, 400, "dB", -1,  TypedProblem::WrongUnit},
  {"1e3",       12, 400, "dB", -1,  TypedProblem::WrongUnit},   // no exponents: "e3" is no unit
  // release time 10 .. 2000 ms (type 5), seconds taken too
  {"250 ms",    5,  199, "ms", 24,  TypedProblem::None},
  {"0.25 s",    5,  199, "ms", 24,  TypedProblem::None},
  {"2001",      5,  199, "ms", 0,   TypedProblem::None},   // checked below: the top
  {"2100",      5,  199, "ms", -1,  TypedProblem::OutOfRange},
  // echo delay 0 .. 260 ms: a plain number with the parameter's unit
  {"220 ms",    0,  260, "ms", 220, TypedProblem::None},
  {"220",       0,  260, "ms", 220, TypedProblem::None},
  {"260.4",     0,  260, "ms", 260, TypedProblem::None},   // within half a step of the end
  {"261",       0,  260, "ms", -1,  TypedProblem::OutOfRange},
  // a level without unit refuses any unit
  {"40 dB",     0,  80,  "",   -1,  TypedProblem::WrongUnit},
  // volume 0 .. 200 % (type 10): above 100 % one position is two percent
  {"100%",      10, 150, "%",  100, TypedProblem::None},
  {"150 %",     10, 150, "%",  125, TypedProblem::None},
  {"200",       10, 150, "%",  150, TypedProblem::None},
  // ratio 1.0 .. 9.9, then 10 .. 100 (type 3)
  {"4:1",       3,  180, ":1", 30,  TypedProblem::None},
  {"4",         3,  180, ":1", 30,  TypedProblem::None},
  {"20:1",      3,  180, ":1", 100, TypedProblem::None},
  // right-echo offset -50 .. 50 ms (type 8)
  {"-20 ms",    8,  100, "ms", 30,  TypedProblem::None},
};
// clang-format on

TEST(TypedValue, TextsBecomePositionsOrAreRefused) {
  for (const Typed& t : kTyped) {
    SCOPED_TRACE(std::string("'") + t.text + "' type " + std::to_string(t.valueType));
    const TypedValue v = ParseSliderText(t.text, t.valueType, t.maxValue, t.unit);
    EXPECT_EQ(v.problem, t.problem) << v.error;
    EXPECT_EQ(v.ok, t.problem == TypedProblem::None);
    if (!v.ok) {
      EXPECT_FALSE(v.range.empty());
      EXPECT_NE(v.error.find(v.range), std::string::npos) << v.error;
      continue;
    }
    if (std::string(t.text) == "12k") {
      EXPECT_EQ(FreqAt(v.position + 298), FreqAt(NearestFreqIndex(12000, 298, 361)));
    } else if (std::string(t.text) == "2001") {
      EXPECT_EQ(v.position, 199);
    } else {
      EXPECT_EQ(v.position, t.position);
    }
  }
}

// What a slider shows at a position, read back as typed, is that position again: every value
// type over its whole range, with the unit as the readout writes it.
TEST(TypedValue, EveryShownValueReadsBackToItsPosition) {
  const int maxOf[] = {260, 142, 400, 180, 199, 199, 63, 89, 100, 50, 150, 100, 400, 143, 900, 360, 64};
  for (int vt = 0; vt <= 16; ++vt) {
    const std::string unit = ValueTypeUnit(vt);
    for (int p = 0; p <= maxOf[vt]; ++p) {
      const std::string shown = WithUnit(ShownNumber(vt, p), unit);
      const TypedValue v = ParseSliderText(shown, vt, maxOf[vt], unit);
      ASSERT_TRUE(v.ok) << "type " << vt << " position " << p << " '" << shown << "': " << v.error;
      // Equal frequencies of the table (none) or equal texts may share a position.
      EXPECT_EQ(ShownNumber(vt, v.position), ShownNumber(vt, p)) << "type " << vt << " '" << shown << "'";
    }
  }
}

TEST(TypedValue, NumbersAndUnits) {
  struct Case {
    const char* text;
    bool ok;
    double number;
    const char* unit;
  };
  const Case cases[] = {
      {"1.2k", true, 1200, ""},    {"1,5 kHz", true, 1500, "Hz"}, {"-3.5 dB", true, -3.5, "dB"},
      {"+2", true, 2, ""},         {"80Hz", true, 80, "Hz"},      {"1.2.3", true, 1.2, ".3"},
      {"k", false, 0, ""},         {"--1", false, 0, ""},         {"", false, 0, ""},
      {"1 kg", true, 1, "kg"},     {".5", true, 0.5, ""},         {"1,000", true, 1.0, ""},
  };
  for (const Case& c : cases) {
    double n = -99;
    std::string unit;
    EXPECT_EQ(ReadNumberAndUnit(c.text, n, unit), c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_DOUBLE_EQ(n, c.number) << c.text;
    EXPECT_EQ(unit, c.unit) << c.text;
  }
}

TEST(TypedValue, BandFields) {
  EXPECT_EQ(ParseGainText("+12 dB", kGainMin, kGainMax).position, 370);
  EXPECT_EQ(ParseGainText("-24", kGainMin, kGainMax).position, 10);
  EXPECT_EQ(ParseGainText("15", kGainMin, kGainMax).problem, TypedProblem::OutOfRange);
  EXPECT_EQ(ParseGainText("15", kGainMin, 400).position, 400);
  EXPECT_EQ(ParseFreqText("1 kHz", 1, 361).position, NearestFreqIndex(1000, 1, 361));
  EXPECT_EQ(ParseFreqText("OFF", 1, 361).problem, TypedProblem::NotANumber);
  EXPECT_EQ(ParseFreqText("0", 1, 361).problem, TypedProblem::OutOfRange);
  EXPECT_EQ(ParseQText("0.71", 0, kSlopeMaxIndex).position, 10);
  EXPECT_EQ(ParseQText("0,71", 0, kSlopeMaxIndex).position, 10);
  EXPECT_EQ(ParseQText("5", 0, kSlopeMaxIndex).problem, TypedProblem::OutOfRange);
  EXPECT_EQ(ParseQText("0.71 dB", 0, kQMaxIndex).problem, TypedProblem::WrongUnit);
}

TEST(ShownValue, UnitsOnceAndOffBare) {
  EXPECT_EQ(WithUnit(ShownNumber(13, 0), "Hz"), "OFF");
  EXPECT_EQ(WithUnit(ShownNumber(13, 74), "Hz"), "80.3 Hz");
  EXPECT_EQ(WithUnit(ShownNumber(16, 64), "Hz"), "OFF");
  EXPECT_EQ(WithUnit(ShownNumber(10, 150), "%"), "200%");
  EXPECT_EQ(WithUnit(ShownNumber(3, 30), ":1"), "4.0:1");
  EXPECT_EQ(WithUnit(ShownNumber(12, 260), "dB"), "0.0 dB");
  EXPECT_EQ(WithUnit(ShownNumber(0, 40), ""), "40");
  EXPECT_EQ(RangeText(13, 143, "Hz"), "OFF, 19.7 … 303 Hz");
  EXPECT_EQ(RangeText(16, 64, "Hz"), "5990 … 20200 Hz, OFF");
  EXPECT_EQ(RangeText(10, 150, "%"), "0 … 200%");
}

TEST(ParamNames, EveryParameterHasOneNameUnitAndNoRawAddress) {
  auto store = std::make_unique<Store>();
  store->InitDefaults();
  std::set<std::string> qualified;
  for (int a = 0; a < kAddressCount; ++a) {
    const bool holds = store->ParamTable.at(0, a).Valid != kFalse;
    const NamedParam* n = NameOf(a);
    ASSERT_EQ(n != nullptr, holds) << a;
    if (!n) continue;
    EXPECT_FALSE(n->zh.empty()) << a;
    EXPECT_FALSE(n->en.empty()) << a;
    EXPECT_EQ(n->zh.find("&H"), std::string::npos) << a;
    // Names of the table, not the address: no digit-only tail after the kind's caption.
    EXPECT_NE(n->zh, KindCaption(a / 256) + " " + std::to_string(a % 256)) << a << " has no name";
    for (char c : n->en) EXPECT_LT(static_cast<unsigned char>(c), 0x80) << a << " " << n->en;
    // A name picks out exactly its address within its kind, in either language.
    EXPECT_EQ(AddressesNamed(n->zh, a / 256), std::vector<int>{a}) << n->zh;
    EXPECT_EQ(AddressesNamed(n->en, a / 256), std::vector<int>{a}) << n->en;
    EXPECT_TRUE(qualified.insert(QualifiedName(a)).second) << QualifiedName(a);
  }
}

// Where the front-panel catalogue's menu address shows another parameter than the store holds
// there, the store decides the name.
TEST(ParamNames, StoreLayoutDecidesOverTheCatalogue) {
  struct Case {
    int address;
    const char* zh;
    const char* en;
    const char* unit;
  };
  const Case cases[] = {
      {256, "高通滤波器频点", "High-pass frequency", "Hz"}, {276, "话筒音量", "Microphone volume", "%"},
      {512, "高通滤波器频点", "High-pass frequency", "Hz"}, {532, "话筒音量", "Microphone volume", "%"},
      {16, "低通滤波器频点", "Low-pass frequency", "Hz"},    {769, "回声延时", "Echo delay", "ms"},
      {773, "回声右延时", "Echo right delay", "ms"},          {783, "混响高频阻尼", "Reverb HF damping", "Hz"},
      {788, "混响时间", "Reverb time", "ms"},                 {1028, "左通道音量", "Left channel volume", ""},
      {1042, "启动电平", "Threshold", "dB"},                  {1043, "压缩比例", "Compression ratio", ":1"},
      {2568, "音乐音量上限", "Music volume limit", ""},      {0, "EQ1", "EQ1", "dB"},
  };
  for (const Case& c : cases) {
    const NamedParam* n = NameOf(c.address);
    ASSERT_NE(n, nullptr) << c.address;
    EXPECT_EQ(n->zh, c.zh) << c.address;
    EXPECT_EQ(n->en, c.en) << c.address;
    EXPECT_EQ(UnitOf(c.address), c.unit) << c.address;
  }
  EXPECT_EQ(QualifiedName(256), "1:高通滤波器频点");
  EXPECT_EQ(AddressesNamed("话筒音量", 1), std::vector<int>{276});
  EXPECT_EQ(NameOf(3000), nullptr);
  EXPECT_EQ(NameOf(17), nullptr);  // beyond the music kind's parameters
}

TEST(ParamNames, ValuesReadWithTheirUnits) {
  EXPECT_EQ(ParamValueText(1031, 74), "80.3 Hz");
  EXPECT_EQ(ParamValueText(1031, 0), "OFF");
  EXPECT_EQ(ParamValueText(769, 220), "220 ms");
  EXPECT_EQ(ParamValueText(1024, 100), "100%");
  EXPECT_EQ(ParamValueText(1024, 350), "100% (muted)");
  EXPECT_EQ(ParamValueText(2590, 1), "1");  // no slider: the number as it is
  EXPECT_EQ(BandText(400, NearestFreqIndex(1000), kQIndexOne), "+15.0 dB, 1000 Hz, Q 1.00");
}

}  // namespace
}  // namespace mirelune
