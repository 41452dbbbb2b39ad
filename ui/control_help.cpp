#include "ui/control_help.h"

#include <map>

#include <QStringList>

#include "controls/mcombobox.h"
#include "controls/value_type.h"
#include "model/menu_catalogue.h"
#include "model/store.h"
#include "platform/tr.h"

namespace mirelune::ui {
namespace {

// Parameters the front-panel menu does not name, or names for another role than the console's
// control gives them (the microphone pages bind their high-pass frequency to menu address 0).
struct OwnName {
  int address;
  const char* name;
};

// clang-format off
constexpr OwnName kOwnNames[] = {
  {256,  "高通滤波器频点"}, {276, "话筒音量"},
  {512,  "高通滤波器频点"}, {532, "话筒音量"},
  {804,  "效果输出音量L"},  {805, "效果输出音量R"},
  {810,  "混响模式"},
  {1794, "效果音量"},
  {1796, "超低音开关1"},   {1797, "超低音开关2"},
  {1798, "超低音相位"},
  {2056, "录音L监听音量"}, {2312, "录音R监听音量"},
  {2560, "音乐总音量"}, {2561, "话筒总音量"}, {2562, "效果总音量"},
  {2563, "输入源"},
  {2564, "开机模式"},
  {2565, "开机音乐音量"}, {2566, "开机话筒音量"}, {2567, "开机效果音量"},
  {2568, "音乐音量上限"}, {2569, "话筒音量上限"}, {2570, "效果音量上限"},
  {2571, "开机模式选择"},
  {2572, "话筒1.2选项"}, {2573, "话筒3选项"},
  {2576, "主输出左静音"}, {2577, "主输出右静音"}, {2578, "辅助输出左静音"},
  {2579, "辅助输出右静音"}, {2580, "中置输出静音"}, {2581, "超低音输出静音"},
  {2590, "声音模式"}, {2591, "超低音自动控制"},
  {2593, "音乐总静音"}, {2594, "话筒总静音"}, {2595, "效果总静音"},
  {2596, "输出选项"}, {2597, "输入电平"},
};
// clang-format on

const std::map<int, QString>& Names() {
  static const std::map<int, QString> names = [] {
    std::map<int, QString> m;
    for (int kind = 0; kind < kCatalogueKinds; ++kind) {
      const auto items = MenuCatalogue::CatalogueNames(kind);
      const auto addresses = MenuCatalogue::CatalogueAddresses(kind);
      for (size_t i = 0; i < items.size() && i < addresses.size(); ++i)
        m.emplace(kind * 256 + addresses[i], QString::fromStdString(items[i]));
    }
    for (const OwnName& n : kOwnNames) m[n.address] = QString::fromUtf8(n.name);
    return m;
  }();
  return names;
}

}  // namespace

QString ParameterName(int address) {
  const auto& names = Names();
  if (auto it = names.find(address); it != names.end()) return Tr(it->second);
  const int kind = address / 256;
  return QString("%1 &H%2")
      .arg(Tr(kind == 10 ? "系统" : CatalogueKindCaption(kind)))
      .arg(address % 256, 2, 16, QChar('0'))
      .toUpper();
}

QString ValueTypeUnit(int valueType) {
  switch (valueType) {
    case 1: case 6: case 13: case 16: return "Hz";
    case 2: case 12: case 15: return "dB";
    case 3: return ":1";
    case 4: case 5: case 8: case 11: case 14: return "ms";
    case 10: return "%";
    default: return {};
  }
}

QString SliderToolTip(int address, int valueType, int maxValue, const QString& extra) {
  QString range;
  if (valueType == 15) {
    range = QString::fromUtf8("-24.0 … +12.0 dB");
  } else {
    range = QString::fromUtf8("%1 … %2")
                .arg(controls::ShownText(valueType, 0), controls::ShownText(valueType, maxValue));
    const QString unit = ValueTypeUnit(valueType);
    if (!unit.isEmpty()) range += (unit == ":1" ? "" : " ") + unit;
  }
  QString tip = ParameterName(address) + "\n" + range;
  if (!extra.isEmpty()) tip += "\n" + extra;
  return tip;
}

QString OptionListToolTip(int address, int showType) {
  return ParameterName(address) + "\n" + controls::MComboBox::EntriesFor(showType).join(" / ");
}

QString FlagButtonToolTip(int address) {
  return ParameterName(address) + "\n" + Tr("点击切换开/关");
}

}  // namespace mirelune::ui
