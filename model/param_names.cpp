// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/param_names.h"

#include <map>
#include <memory>

#include "model/menu_catalogue.h"
#include "model/param_ranges.h"
#include "model/scales.h"
#include "model/store.h"
#include "model/value_text.h"

namespace mirelune {
namespace {

struct Text {
  const char* zh;
  const char* en;
};

// clang-format off
// The English of every name the catalogue and the table below use. EQ band names ("EQ1",
// "Echo EQ1") read the same in both languages.
constexpr Text kEnglish[] = {
  {"中置输出静音", "Centre output mute"}, {"中置通道延时", "Centre channel delay"},
  {"中置通道音量", "Centre channel volume"}, {"主输出右静音", "Main output right mute"},
  {"主输出左静音", "Main output left mute"}, {"低通滤波器类型", "Low-pass filter type"},
  {"低通滤波器频点", "Low-pass frequency"}, {"压缩比例", "Compression ratio"},
  {"右通道延时", "Right channel delay"}, {"右通道音量", "Right channel volume"},
  {"后期反射延时", "Late reflection delay"}, {"后期反射音量", "Late reflection volume"},
  {"后期反射高频阻尼", "Late reflection HF damping"}, {"启动时间", "Attack time"},
  {"启动电平", "Threshold"}, {"回声低切", "Echo low cut"}, {"回声右延时", "Echo right delay"},
  {"回声右预延时", "Echo right pre-delay"}, {"回声延时", "Echo delay"},
  {"回声效果音量", "Echo effect volume"}, {"回声次数", "Echo repeats"},
  {"回声直达音量", "Echo direct volume"}, {"回声音量", "Echo volume"},
  {"回声音量L", "Echo volume L"}, {"回声音量R", "Echo volume R"},
  {"回声预延时", "Echo pre-delay"}, {"回声高切", "Echo high cut"},
  {"回声高频阻尼", "Echo HF damping"}, {"声音模式", "Sound mode"},
  {"左通道延时", "Left channel delay"}, {"左通道音量", "Left channel volume"},
  {"开机效果音量", "Power-on effect volume"}, {"开机模式", "Power-on mode"},
  {"开机模式选择", "Mode choice"}, {"开机话筒音量", "Power-on microphone volume"},
  {"开机音乐音量", "Power-on music volume"}, {"录音L监听音量", "Record L monitor volume"},
  {"录音L通道音量", "Recording channel L volume"}, {"录音R监听音量", "Record R monitor volume"},
  {"录音R通道音量", "Recording channel R volume"},
  {"控制对象：中置通道", "Controls: centre channel"}, {"控制对象：主输出通道", "Controls: main output"},
  {"控制对象：超低音通道", "Controls: subwoofer channel"},
  {"控制对象：辅助通道", "Controls: auxiliary channel"}, {"控制对象：音乐通道", "Controls: music channel"},
  {"效果总静音", "Effect master mute"}, {"效果总音量", "Effect master volume"},
  {"效果输出音量L", "Effect output volume L"}, {"效果输出音量R", "Effect output volume R"},
  {"效果音量", "Effect volume"}, {"效果音量上限", "Effect volume limit"},
  {"早期反射延时", "Early reflection delay"}, {"早期反射音量", "Early reflection volume"},
  {"早期反射高频阻尼", "Early reflection HF damping"}, {"混响低切", "Reverb low cut"},
  {"混响密度", "Reverb density"}, {"混响效果音量", "Reverb effect volume"},
  {"混响时间", "Reverb time"}, {"混响模式", "Reverb mode"},
  {"混响直达音量", "Reverb direct volume"}, {"混响空间", "Reverb space"},
  {"混响音量", "Reverb volume"}, {"混响音量L", "Reverb volume L"}, {"混响音量R", "Reverb volume R"},
  {"混响预延时", "Reverb pre-delay"}, {"混响高切", "Reverb high cut"},
  {"混响高频阻尼", "Reverb HF damping"}, {"话筒1.2啸叫抑制", "Mic 1/2 feedback suppression"},
  {"话筒3啸叫抑制", "Mic 3 feedback suppression"}, {"话筒总静音", "Microphone master mute"},
  {"话筒总音量", "Microphone master volume"}, {"话筒音量", "Microphone volume"},
  {"话筒音量上限", "Microphone volume limit"}, {"超低音开关1", "Subwoofer switch 1"},
  {"超低音开关2", "Subwoofer switch 2"}, {"超低音相位", "Subwoofer phase"},
  {"超低音自动控制", "Subwoofer automatic control"}, {"超低音输出静音", "Subwoofer output mute"},
  {"超低音通道延时", "Subwoofer channel delay"}, {"超低音音量", "Subwoofer volume"},
  {"辅助输出右静音", "Aux output right mute"}, {"辅助输出左静音", "Aux output left mute"},
  {"输入源", "Input"}, {"输入电平", "Input level"}, {"输出选项", "Output option"},
  {"释放时间", "Release time"}, {"音乐总静音", "Music master mute"},
  {"音乐总音量", "Music master volume"}, {"音乐音量", "Music volume"},
  {"音乐音量L", "Music volume L"}, {"音乐音量R", "Music volume R"},
  {"音乐音量上限", "Music volume limit"}, {"高通滤波器类型", "High-pass filter type"},
  {"高通滤波器频点", "High-pass frequency"}, {"输出总音量", "Output overall volume"},
  {"模式启用", "Mode enabled"}, {"系统保留参数", "Reserved system setting"},
  {"管理员模式", "Administrator mode"}, {"回声旁路", "Echo bypass"}, {"混响旁路", "Reverb bypass"},
  {"音乐旁路", "Music bypass"}, {"话筒1.2旁路", "Mic 1/2 bypass"}, {"话筒3旁路", "Mic 3 bypass"},
  {"效果旁路", "Effects bypass"}, {"主输出旁路", "Main out bypass"}, {"辅助输出旁路", "Aux out bypass"},
  {"中置输出旁路", "Centre out bypass"}, {"超低输出旁路", "Sub out bypass"},
};

struct OwnName {
  int address;
  const char* zh;
  const char* unit;  // nullptr: the unit of the slider's value type
};

// Addresses the catalogue does not name, or names for another role than the store layout and the
// console's controls give them.
constexpr OwnName kOwnNames[] = {
  {16,   "低通滤波器频点", nullptr},
  {256,  "高通滤波器频点", nullptr}, {276, "话筒音量", nullptr},
  {512,  "高通滤波器频点", nullptr}, {532, "话筒音量", nullptr},
  {804,  "效果输出音量L", nullptr},  {805, "效果输出音量R", nullptr},
  {1048, "输出总音量", nullptr}, {1301, "输出总音量", nullptr}, {1555, "输出总音量", nullptr},
  {1794, "效果音量", nullptr},
  {1796, "超低音开关1", nullptr},   {1797, "超低音开关2", nullptr},
  {2056, "录音L监听音量", nullptr}, {2312, "录音R监听音量", nullptr},
  {2560, "音乐总音量", nullptr}, {2561, "话筒总音量", nullptr}, {2562, "效果总音量", nullptr},
  {2563, "输入源", nullptr},
  {2564, "开机模式", nullptr},
  {2565, "开机音乐音量", nullptr}, {2566, "开机话筒音量", nullptr}, {2567, "开机效果音量", nullptr},
  {2568, "音乐音量上限", nullptr}, {2569, "话筒音量上限", nullptr}, {2570, "效果音量上限", nullptr},
  {2571, "开机模式选择", nullptr},
  {2572, "话筒1.2啸叫抑制", nullptr}, {2573, "话筒3啸叫抑制", nullptr},
  {2574, "模式启用", nullptr}, {2575, "系统保留参数", nullptr},
  {2576, "主输出左静音", nullptr}, {2577, "主输出右静音", nullptr}, {2578, "辅助输出左静音", nullptr},
  {2579, "辅助输出右静音", nullptr}, {2580, "中置输出静音", nullptr}, {2581, "超低音输出静音", nullptr},
  {2582, "音乐旁路", nullptr}, {2583, "话筒1.2旁路", nullptr}, {2584, "话筒3旁路", nullptr},
  {2585, "效果旁路", nullptr}, {2586, "主输出旁路", nullptr}, {2587, "辅助输出旁路", nullptr},
  {2588, "中置输出旁路", nullptr}, {2589, "超低输出旁路", nullptr},
  {2590, "声音模式", nullptr}, {2591, "超低音自动控制", nullptr},
  {2592, "管理员模式", nullptr},
  {2593, "音乐总静音", nullptr}, {2594, "话筒总静音", nullptr}, {2595, "效果总静音", nullptr},
  {2596, "输出选项", nullptr}, {2597, "输入电平", nullptr},
  {2598, "回声旁路", nullptr}, {2599, "混响旁路", nullptr},
  // Delays the slider shows as plain numbers: the device counts them in milliseconds.
  {768, nullptr, "ms"}, {769, nullptr, "ms"}, {772, nullptr, "ms"}, {784, nullptr, "ms"},
  {785, nullptr, "ms"}, {787, nullptr, "ms"},
};

// As the console names them: microphone 3 as the microphone copy says it (the front-panel menu
// editor keeps the amplifier's own "话筒3.4", model/menu_catalogue.cpp).
constexpr Text kKindCaptions[] = {
  {"音乐", "Music"}, {"话筒1.2", "Mic 1/2"}, {"话筒3", "Mic 3"}, {"效果", "Effects"},
  {"主输出", "Main out"}, {"辅助输出", "Aux out"}, {"中置输出", "Centre out"}, {"超低输出", "Sub out"},
  {"录音L", "Record L"}, {"录音R", "Record R"}, {"系统", "System"},
};
// clang-format on

std::string English(const std::string& zh) {
  for (const Text& t : kEnglish)
    if (zh == t.zh) return t.en;
  return zh;  // EQ band names read the same
}

// The value type of the slider bound to `address`, or -1.
int SliderValueType(int address) {
  const SliderRange* r = SliderRangeOf(address);
  return r ? r->valueType : -1;
}

struct Table {
  std::vector<NamedParam> names;
  std::vector<int> index;  // address -> position in names, -1
};

const Table& TheTable() {
  static const Table table = [] {
    auto probe = std::make_unique<Store>();
    probe->InitDefaults();
    std::map<int, std::string> zh;
    for (int kind = 0; kind < kCatalogueKinds; ++kind) {
      const auto items = MenuCatalogue::CatalogueNames(kind);
      const auto addresses = MenuCatalogue::CatalogueAddresses(kind);
      for (size_t i = 0; i < items.size() && i < addresses.size(); ++i)
        if (addresses[i] >= 0) zh.emplace(kind * 256 + addresses[i], items[i]);
    }
    std::map<int, std::string> unitOf;
    for (const OwnName& n : kOwnNames) {
      if (n.zh) zh[n.address] = n.zh;
      if (n.unit) unitOf[n.address] = n.unit;
    }
    Table t;
    t.index.assign(kAddressCount, -1);
    for (int a = 0; a < kAddressCount; ++a) {
      const ParamRecord& r = probe->ParamTable.at(0, a);
      if (r.Valid == kFalse) continue;
      NamedParam n;
      n.address = a;
      auto it = zh.find(a);
      // Every parameter the store holds is named above; the address stays a last resort.
      n.zh = it != zh.end() ? it->second : KindCaption(a / 256) + " " + std::to_string(a % 256);
      n.en = it != zh.end() ? English(n.zh) : KindCaptionEn(a / 256) + " " + std::to_string(a % 256);
      if (auto u = unitOf.find(a); u != unitOf.end()) {
        n.unit = u->second;
      } else if (r.Kind == kEqBand) {
        n.unit = "dB";
      } else {
        n.unit = ValueTypeUnit(SliderValueType(a));
      }
      t.index[static_cast<size_t>(a)] = static_cast<int>(t.names.size());
      t.names.push_back(std::move(n));
    }
    return t;
  }();
  return table;
}

std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

}  // namespace

const NamedParam* NameOf(int address) {
  if (address < 0 || address >= kAddressCount) return nullptr;
  const Table& t = TheTable();
  const int i = t.index[static_cast<size_t>(address)];
  return i < 0 ? nullptr : &t.names[static_cast<size_t>(i)];
}

const std::vector<NamedParam>& AllParamNames() { return TheTable().names; }

std::string KindCaption(int kind) {
  return kind >= 0 && kind < kKindCount ? kKindCaptions[kind].zh : "";
}

std::string KindCaptionEn(int kind) {
  return kind >= 0 && kind < kKindCount ? kKindCaptions[kind].en : "";
}

std::string QualifiedName(int address) {
  const NamedParam* n = NameOf(address);
  return n ? std::to_string(address / 256) + ":" + n->zh : std::string();
}

std::vector<int> AddressesNamed(const std::string& name, int kind) {
  std::vector<int> found;
  const std::string lower = LowerAscii(name);
  for (const NamedParam& n : AllParamNames()) {
    if (kind >= 0 && n.address / 256 != kind) continue;
    if (n.zh == name || LowerAscii(n.en) == lower) found.push_back(n.address);
  }
  return found;
}

std::string SliderUnit(int address, int valueType) {
  return valueType == 0 ? UnitOf(address) : ValueTypeUnit(valueType);
}

std::string ParamValueText(int address, long value) {
  const std::string unit = UnitOf(address);
  if (const SliderRange* r = SliderRangeOf(address)) {
    const bool muted = r->muteInValue && value >= kMuteInValue;
    const long plain = muted ? value - kMuteInValue : value;
    for (int p = 0; p <= r->maxValue; ++p)
      if (ValueAtPosition(r->valueType, p) == plain)
        return WithUnit(ShownNumber(r->valueType, p), unit) + (muted ? " (muted)" : "");
  }
  return std::to_string(value);
}

std::string BandText(int gainCode, int freqIndex, int qIndex) {
  return SignedGainText(gainCode) + " dB, " + WithUnit(FrequencyNumber(freqIndex), "Hz") + ", Q " + QIndexText(qIndex);
}

std::string UnitOf(int address) {
  const NamedParam* n = NameOf(address);
  return n ? n->unit : std::string();
}

}  // namespace mirelune
