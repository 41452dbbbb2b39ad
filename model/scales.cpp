// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/scales.h"

#include <charconv>
#include <cmath>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace mirelune {
namespace {

const char* const kFreqLiteral =
    "17,19.7,20.1,20.5,20.9,21.3,21.7,22.1,22.5,23.0,23.4,23.9,24.3,24.8,25.3,25.8,26.3,26.8,27.3,"
    "27.8,28.4,28.9,29.5,30.1,30.7,31.3,31.9,32.5,33.1,33.8,34.4,35.1,35.8,36.5,37.2,37.9,38.6,"
    "39.4,40.1,40.9,41.7,42.5,43.4,44.2,45.1,45.9,46.8,47.7,48.7,49.6,50.6,51.6,52.6,53.6,54.6,"
    "55.7,56.8,57.9,59.0,60.1,61.3,62.5,63.7,65.0,66.2,67.5,68.8,70.2,71.5,72.9,74.3,75.8,77.2,"
    "78.7,80.3,81.8,83.4,85.0,86.7,88.4,90.1,91.9,94,95,97,99,101,103,105,107,109,111,114,116,"
    "118,120,123,125,127,130,132,135,138,140,143,146,149,152,154,157,161,164,167,170,173,177,"
    "180,184,187,191,195,198,202,206,210,214,218,223,227,231,236,241,245,250,255,260,265,270,"
    "275,281,286,292,297,303,309,315,321,327,334,340,347,354,360,367,375,382,389,397,405,412,"
    "420,429,437,445,454,463,472,481,490,500,510,520,530,540,551,561,572,583,595,606,618,630,"
    "642,655,667,680,694,707,721,735,749,764,779,794,809,825,841,857,874,891,908,926,944,962,"
    "981,1000,1020,1040,1060,1080,1100,1120,1140,1170,1190,1210,1240,1260,1280,1310,1330,1360,1390,"
    "1410,1440,1470,1500,1530,1560,1590,1620,1650,1680,1710,1750,1780,1820,1850,1890,1920,1960,"
    "2000,2040,2080,2120,2160,2200,2240,2290,2330,2380,2420,2470,2520,2570,2620,2670,2720,2770,"
    "2830,2880,2940,3000,3050,3110,3170,3240,3300,3360,3430,3500,3560,3630,3700,3780,3850,3920,"
    "4000,4080,4160,4240,4320,4400,4490,4580,4670,4760,4850,4940,5040,5140,5240,5340,5440,5550,"
    "5660,5770,5880,5990,6110,6230,6350,6470,6600,6730,6860,6990,7130,7270,7410,7550,7700,7850,"
    "8000,8160,8310,8480,8640,8810,8980,9150,9330,9510,9700,9890,10100,10300,10500,10700,10900,"
    "11100,11300,11500,11800,12000,12200,12500,12700,12900,13200,13500,13700,14000,14300,14500,"
    "14800,15100,15400,15700,16000,16300,16600,17000,17300,17600,18000,18300,18700,19000,19400,"
    "19800,20200,20220";

const char* const kQLiteral =
    "40,42,45,47,50,53,56,59,63,67,71,75,79,84,89,94,100,106,112,119,126,130,140,150,160,170,180,"
    "190,200,210,220,240,250,270,280,300,320,340,360,380,400,420,450,480,500,530,570,600,630,670,"
    "710,760,800,850,900,950,1010,1070,1130,1200,1270,1350,1400,1500,1600,1700,1800,1900,2000,"
    "2100,2300,2400,2500,2700,2900,3000,3200,3400,3600,3800,4000,4300,4500,4800,5100,5400,5700,"
    "6000,6400,6800,7200,7600,8100,8500,9100,9600,10200,10800,11400,12100,12800";

// Splits a literal at commas and converts each field; a field that is not a number is a
// defect of the literal, reported at once. The fields are read with from_chars: strtod would
// follow the process's LC_NUMERIC, which Qt sets from the environment, and under a locale whose
// decimal separator is a comma it stops at the "." of "19.7".
template <typename Store>
int FillFromLiteral(const char* literal, Store store) {
  std::stringstream in(literal);
  std::string field;
  int i = 0;
  while (std::getline(in, field, ',')) {
    double v = 0;
    const char* end = field.data() + field.size();
    const auto r = std::from_chars(field.data(), end, v);
    if (field.empty() || r.ec != std::errc() || r.ptr != end)
      throw std::logic_error("scale literal field is not a number: " + field);
    store(i++, v);
  }
  return i;
}

template <size_t N>
int FirstNotBelow(const std::array<float, N>& table, int top, float v) {
  // Extended-precision comparison against the single-precision entries, so that a value read
  // back from the table maps to its own index.
  const double x = v;
  for (int i = 0; i <= top; ++i)
    if (x <= static_cast<double>(table[static_cast<size_t>(i)])) return i;
  return top;
}

// Always with a "." whatever the process's locale: these texts are the device's units, shown
// the same in every language (and snprintf's "%f" would write "0,5" under a comma locale).
std::string Format(double v, int decimals) {
  // Round half to even at the shown precision, as the console's number formatting does.
  const double scale = std::pow(10.0, decimals);
  double r = static_cast<double>(RoundHalfEven(v * scale)) / scale;
  if (r == 0.0) r = 0.0;  // no "-0.0"
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, r, std::chars_format::fixed, decimals);
  return std::string(buf, res.ptr);
}

// A decimal number with "." as its separator, spaces and tabs around it allowed, independent of
// the process's locale. Single precision is parsed as such, not through double, so that no
// second rounding happens.
template <typename T>
bool ParseDecimal(const std::string& text, T& value) {
  const char* s = text.data();
  const char* end = s + text.size();
  while (s < end && (*s == ' ' || *s == '\t')) ++s;
  while (end > s && (end[-1] == ' ' || end[-1] == '\t')) --end;
  // One optional sign; from_chars takes a "-" itself but never a "+".
  if (s < end && *s == '+') {
    ++s;
    if (s < end && (*s == '-' || *s == '+')) return false;
  }
  if (s == end) return false;
  T v = 0;
  const auto r = std::from_chars(s, end, v, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != end || !std::isfinite(v)) return false;
  value = v;
  return true;
}

}  // namespace

Scales BuildScales() {
  Scales s;
  int n = FillFromLiteral(kFreqLiteral, [&](int i, double v) {
    s.FreqTable.at(static_cast<size_t>(i)) = static_cast<float>(v);
  });
  if (n != kFreqMaxIndex + 1) throw std::logic_error("frequency literal has wrong length");
  n = FillFromLiteral(kQLiteral, [&](int i, double v) {
    s.QTable.at(static_cast<size_t>(i)) = static_cast<float>(v / 100.0);
  });
  if (n != kQMaxIndex + 1) throw std::logic_error("Q literal has wrong length");
  return s;
}

const Scales& TheScales() {
  static const Scales scales = BuildScales();
  return scales;
}

int FreqToIndex(float hz) { return FirstNotBelow(TheScales().FreqTable, kFreqMaxIndex, hz); }
int QToIndex(float q) { return FirstNotBelow(TheScales().QTable, kQMaxIndex, q); }

float FreqAt(int index) {
  if (index < 0) index = 0;
  if (index > kFreqMaxIndex) index = kFreqMaxIndex;
  return TheScales().FreqTable[static_cast<size_t>(index)];
}

float QAt(int index) {
  return TheScales().QTable[static_cast<size_t>(ClampQIndex(index))];
}

long RoundHalfEven(double v) { return std::lrint(v); }  // default rounding mode: to nearest even

namespace {

template <typename At>
int NearestOnLogScale(double v, At at, int lo, int hi) {
  if (!(v > 0) || !std::isfinite(v) || lo > hi) return -1;
  int best = lo;
  double bestDistance = std::abs(std::log(v / at(lo)));
  for (int i = lo + 1; i <= hi; ++i) {
    const double d = std::abs(std::log(v / at(i)));
    if (d < bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  return best;
}

}  // namespace

int NearestFreqIndex(double hz, int lo, int hi) {
  return NearestOnLogScale(hz, [](int i) { return static_cast<double>(FreqAt(i)); }, lo, hi);
}

int NearestQIndex(double q, int lo, int hi) {
  return NearestOnLogScale(q, [](int i) { return static_cast<double>(QAt(i)); }, lo, hi);
}

std::string QIndexText(int index) { return Format(QAt(index), 2); }

std::string GainText(int code) { return Format((static_cast<double>(code) - 250.0) / 10.0, 1); }

bool GainFromText(const std::string& text, int& code) {
  float v = 0;  // single precision, as the device side converts it
  if (!ParseDecimal(text, v)) return false;
  double c = static_cast<double>(v) * 10.0 + 250.0;
  if (c > 1e9 || c < -1e9) return false;
  code = static_cast<int>(RoundHalfEven(c));
  return true;
}

int GainFromText(const std::string& text) {
  int code = kGainZero;
  GainFromText(text, code);
  return code;
}

int ClampGain(int code) { return code < kGainMin ? kGainMin : (code > kGainMax ? kGainMax : code); }
int ClampQIndex(int index) { return index < 0 ? 0 : (index > kQMaxIndex ? kQMaxIndex : index); }
int ClampSlopeIndex(int index) {
  return index < 0 ? 0 : (index > kSlopeMaxIndex ? kSlopeMaxIndex : index);
}

int StepUp(int& index) {
  index = index + 1 > kQMaxIndex ? kQMaxIndex : index + 1;
  return index;
}

int StepDown(int& index) {
  if (index > 0) --index;
  return index;
}

FreqLimits FreqIndexLimits(bool limited, int kind, int page) {
  if (!limited || kind == 1) return {1, 361};
  if (kind == 2) return {page == 3 ? 1 : 0, 143};
  if (kind == 3) {
    if (page == 7) return {1, 143};
    if (page >= 1 && page <= 3) return {298, 361};
    if (page == 0) return {298, 362};
    return {1, 361};
  }
  return {1, 361};
}

int ClampFreqIndex(int index, bool limited, int selectedBandKind, int page) {
  FreqLimits l = FreqIndexLimits(limited, selectedBandKind, page);
  if (index < l.low) return l.low;
  return index < l.high ? index : l.high;
}

}  // namespace mirelune
