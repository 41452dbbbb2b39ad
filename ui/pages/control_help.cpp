// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/pages/control_help.h"

#include <QStringList>

#include "controls/mcombobox.h"
#include "controls/value_type.h"
#include "model/param_names.h"
#include "model/scales.h"
#include "model/value_text.h"
#include "platform/tr.h"
#include "ui/look/language.h"

namespace mirelune::ui {

QString ParameterName(int address) {
  const bool english = CurrentLanguage() == Language::English;
  if (const NamedParam* n = NameOf(address)) return QString::fromStdString(english ? n->en : n->zh);
  // Controls bound to no parameter of the store: named by their page, never by a raw address.
  const int kind = address / 256;
  return QString::fromStdString(english ? KindCaptionEn(kind) : KindCaption(kind));
}

QString SliderToolTip(int address, int valueType, int maxValue, const QString& extra) {
  QString range;
  if (valueType == 15) {
    range = QString::fromStdString(GainRangeText(kGainMin, kGainMax));
  } else {
    range = QString::fromStdString(RangeText(valueType, maxValue, SliderUnit(address, valueType)));
    // A filter switched off is named as its slider names it.
    range.replace(QStringLiteral("OFF"), Tr("关"));
  }
  QString tip = ParameterName(address) + "\n" + range + "\n" + Tr("双击或按回车键输入数值（可带单位）；滚轮或方向键微调");
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
