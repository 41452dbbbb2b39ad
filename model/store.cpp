// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/store.h"

#include <charconv>

#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "model/scales.h"

namespace mirelune {
namespace {

int Hz(float hz) { return FreqToIndex(hz); }

std::vector<std::string> Split(const std::string& s) {
  std::vector<std::string> out;
  std::string f;
  std::stringstream in(s);
  while (std::getline(in, f, ',')) out.push_back(f);
  if (!s.empty() && s.back() == ',') out.emplace_back();
  return out;
}

void SetFilter(Store& st, int slot, int& a, uint8_t kind, int32_t value, bool perMode) {
  st.SetPlain(slot, a, value, perMode);
  st.ParamTable.at(slot, a - 1).Kind = kind;
}

// Kinds 1 and 2 share one layout: high-pass, 15 bands, compressor, mic volume.
void MicKind(Store& st, int slot, int base) {
  int a = base;
  SetFilter(st, slot, a, kHighPass, Hz(80), false);
  st.AddEqBands(slot, a, 15, false);
  for (int v : {0, 40, 90, 36, 100}) st.SetPlain(slot, a, v, false);
}

// Kinds 4..6: four per-mode volumes (music, mic, echo, reverb), one volume per channel, a
// per-mode high-pass pair (type 0, 19.7 Hz) and EQ, the compressor, one delay per channel and a
// per-mode closing value.
void OutputKind(Store& st, int slot, int base, int channels, int bands) {
  int a = base;
  for (int i = 0; i < 4; ++i) st.SetPlain(slot, a, 100, true);
  for (int c = 0; c < channels; ++c) st.SetPlain(slot, a, 80, false);
  SetFilter(st, slot, a, kHighPass, 0, true);
  SetFilter(st, slot, a, kHighPass, 1, true);
  st.AddEqBands(slot, a, bands, true);
  for (int v : {140, 40, 90, 36}) st.SetPlain(slot, a, v, false);
  for (int c = 0; c < channels; ++c) st.SetPlain(slot, a, 0, false);
  st.SetPlain(slot, a, 100, true);
}

void FillSlot(Store& st, int s) {
  int a = 0;
  // Kind 0: music.
  st.AddEqBands(s, a, 15, true);
  if (s == 0) {
    const std::pair<int, int> curve[] = {{0, 330}, {2, 350}, {7, 400}, {9, 60}, {11, 320}, {14, 300}};
    for (auto [addr, gain] : curve) st.ParamTable.at(0, addr).Gain = gain;
  }
  SetFilter(st, s, a, kHighPass, Hz(10), true);
  SetFilter(st, s, a, kLowPass, Hz(20220), true);

  MicKind(st, s, 256);
  MicKind(st, s, 512);

  // Kind 3: effects.
  a = 768;
  for (int v : {0, 220, 60, Hz(8000), 0, 65}) st.SetPlain(s, a, v, false);
  SetFilter(st, s, a, kHighPass, Hz(120), false);
  SetFilter(st, s, a, kLowPass, Hz(10000), false);
  st.AddEqBands(s, a, 5, false);
  SetFilter(st, s, a, kHighPass, Hz(80), false);
  SetFilter(st, s, a, kLowPass, Hz(12000), false);
  for (int v : {Hz(10000), 20, 0, Hz(15000), 0, 500, Hz(8000), 50, 70, 40, 60})
    st.SetPlain(s, a, v, false);
  st.AddEqBands(s, a, 5, false);
  st.AddEqBands(s, a, 5, false);
  for (int i = 0; i < 6; ++i) st.SetPlain(s, a, 100, false);
  st.SetPlain(s, a, 2, false);

  OutputKind(st, s, 1024, 2, 10);  // kind 4: main output, left and right
  OutputKind(st, s, 1280, 2, 7);   // kind 5: auxiliary output, left and right
  OutputKind(st, s, 1536, 1, 7);   // kind 6: centre output

  // Kind 7: sub-woofer.
  a = 1792;
  for (int i = 0; i < 3; ++i) st.SetPlain(s, a, 100, true);
  for (int v : {30, 0, 0, 0}) st.SetPlain(s, a, v, false);
  SetFilter(st, s, a, kHighPass, 0, true);
  SetFilter(st, s, a, kHighPass, 1, true);
  SetFilter(st, s, a, kLowPass, 0, true);
  SetFilter(st, s, a, kLowPass, Hz(320), true);
  st.AddEqBands(s, a, 51, true);
  for (int v : {140, 40, 90, 36, 0}) st.SetPlain(s, a, v, false);
  for (int i = 0; i < 5; ++i) st.SetPlain(s, a, 1, false);
}

void FillSlotZeroOnly(Store& st) {
  for (int base : {2048, 2304}) {
    int a = base;
    for (int i = 0; i < 7; ++i) st.SetPlain(0, a, 100, false);
    st.SetPlain(0, a, 80, false);
    st.SetPlain(0, a, 100, false);
  }
  int a = 2560;
  for (int v : {20, 23, 32, 1, 0, 20, 33, 30, 80, 80, 80, 0, 2, 2}) st.SetPlain(0, a, v, false);
  while (a <= 2596) st.SetPlain(0, a, 0, false);
  st.SetPlain(0, a, 1, false);
  st.SetPlain(0, a, 0, false);
  st.SetPlain(0, a, 0, false);
}

}  // namespace

const char* EqBandFrequencies(int count) {
  switch (count) {
    case 15: return "25,40,63,100,160,250,400,630,1000,1600,2500,4000,6300,10000,16000";
    case 10: return "32,64,125,250,500,1000,2000,4000,8000,16000";
    case 7: return "57,134,400,1000,2500,6300,16000";
    case 5: return "60,230,910,3000,14000";
    case 51: return "25,63,100,160,250";
    default: return "";
  }
}

void Store::SetPlain(int slot, int& address, int32_t value, bool perMode) {
  ParamRecord& r = ParamTable.at(slot, address);
  r.Value = value;
  r.Valid = kTrue;
  r.PerMode = perMode ? kTrue : kFalse;
  ++address;
}

void Store::AddEqBands(int slot, int& address, int count, bool perMode) {
  const char* list = EqBandFrequencies(count);
  if (*list == '\0') throw std::invalid_argument("AddEqBands: no band list for count " + std::to_string(count));
  for (const std::string& f : Split(list)) {
    ParamRecord& r = ParamTable.at(slot, address);
    r.Kind = kEqBand;
    r.Value = 0;
    r.QType = 0;
    // The band lists are whole hertz: read them without the C library's locale.
    int hz = 0;
    std::from_chars(f.data(), f.data() + f.size(), hz);
    r.Freq = FreqToIndex(static_cast<float>(hz));
    r.Gain = kGainZero;
    r.Q = QToIndex(1.0f);
    r.SQ = QToIndex(0.71f);
    r.Valid = kTrue;
    r.EQDisabled = kFalse;
    r.PerMode = perMode ? kTrue : kFalse;
    ++address;
  }
}

void Store::InitDefaults() {
  ParamTable.clear();
  for (int s = 0; s < kSlotCount; ++s) FillSlot(*this, s);
  FillSlotZeroOnly(*this);

  const int starts[kKindCount] = {0, 256, 512, 768, 1024, 1280, 1536, 1792, 2048, 2304, 2560};
  const int ends[kKindCount] = {16, 276, 532, 810, 1048, 1301, 1555, 1817, 2056, 2312, 2599};
  for (int k = 0; k < kKindCount; ++k) {
    KindStart[static_cast<size_t>(k)] = starts[k];
    KindEnd[static_cast<size_t>(k)] = ends[k];
  }

  ReadBackTable.clear();
  for (int a = 0; a < kAddressCount; ++a)
    for (int s = 0; s < 2; ++s) ReadBackTable.at(s, a) = ParamTable.at(s, a);

  CurrentSoundMode = 0;
  BassAutoControl = 0;
  Menu.CountMenuItems();
}

void Store::CopyCommonToDance(RecordTable& table) {
  for (int a = 0; a < kAddressCount; ++a)
    if (table.at(0, a).PerMode == kFalse) table.at(1, a) = table.at(0, a);
}

void Store::SetCurrentSoundMode(uint8_t mode) {
  CurrentSoundMode = mode;
  ParamTable.at(0, sysaddr::kSoundMode).Value = mode;
}

int Store::BypassAddress() const {
  if (CurrentPage == 3) {
    if (EffectSubPage == 0) return sysaddr::kEchoBypass;
    if (EffectSubPage == 1) return sysaddr::kReverbBypass;
    return sysaddr::kBypassFirst + 3;
  }
  return sysaddr::kBypassFirst + CurrentPage;
}

int AddressFromTag(const std::string& tag) {
  std::vector<std::string> f = Split(tag);
  if (f.size() != 3) return -1;
  int kind = 0, menu = 0;
  if (!ParseMenuNumber(f[1], kind) || !ParseMenuNumber(f[2], menu)) return -1;
  return kind * 256 + menu;
}

const Store& StartUpStore() {
  // Large (two whole tables): on the heap, never freed.
  static const Store* store = [] {
    auto* s = new Store;
    s->InitDefaults();
    return s;
  }();
  return *store;
}

bool HoldsParam(long address) {
  return address >= 0 && address < kAddressCount &&
         StartUpStore().ParamTable.at(0, static_cast<int>(address)).Valid != kFalse;
}

}  // namespace mirelune
