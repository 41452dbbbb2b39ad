// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/pages/secondary_layouts.h"

namespace mirelune::ui {
namespace {

using controls::SliderSetup;
using controls::TwipsRect;

SliderSetup Slider(int style, int valueType, int maxValue, int hScrollSize = 0,
                   bool visible = true) {
  SliderSetup s;
  s.ScrollBarType = style;
  s.ValueType = valueType;
  s.MaxValue = maxValue;
  s.HScrollSize = hScrollSize;
  s.TVisible = visible;
  return s;
}

Caption Group(TwipsRect r, const char* text) { return {Caption::Group, r, QString::fromUtf8(text)}; }
Caption Label(TwipsRect r, const char* text) { return {Caption::Label, r, QString::fromUtf8(text)}; }
Caption Centred(TwipsRect r, const char* text) { return {Caption::Centred, r, QString::fromUtf8(text)}; }

SecondaryLayout Recording() {
  SecondaryLayout l;
  l.objectName = "frmRec";
  l.title = QString::fromUtf8("录音调节");
  l.size = {1040, 630};
  l.write = SecondaryWrite::SlotZero;
  // Music L/R, microphone, echo L/R, reverb L/R into each recording channel, then the
  // channel's own volume as a knob.
  static const char* const kNames[] = {"音乐L", "音乐R", "话筒", "回声L", "回声R", "混响L", "混响R"};
  static const int kLabels[] = {105, 111, 110, 109, 108, 107, 106};
  for (int channel = 0; channel < 2; ++channel) {
    const int kind = 8 + channel;
    const int top = channel == 0 ? 1100 : 5400;
    for (int i = 0; i < 7; ++i) {
      SecondarySlider s{channel * 7 + i, QString("Group,%1,%2").arg(kind).arg(i), Slider(0, 10, 150),
                        {1560 + 1243 * i, top, 1110, 2700}};
      s.setup.LabelID = kLabels[i];
      l.sliders.push_back(s);
      l.captions.push_back(Label({1560 + 1243 * i, top + 2760, 1110, 300}, kNames[i]));
    }
    l.sliders.push_back({14 + channel, QString("Group,%1,7").arg(kind), Slider(5, 0, 80),
                         {12180, channel == 0 ? 1560 : 5580, 1905, 2505}});
    // Under the knob; its group names the channel already.
    l.captions.push_back(Centred({12180, (channel == 0 ? 1560 : 5580) + 2520, 1905, 300}, "通道音量"));
    l.captions.push_back(Group({900, top - 600, 14400, 3900},
                               channel == 0 ? "录音L通道" : "录音R通道"));
  }
  l.sliders.push_back({16, "Group,8,8", Slider(0, 10, 150, 0, false), {6900, 9360, 1110, 2700}});
  l.sliders.push_back({17, "Group,9,8", Slider(0, 10, 150, 0, false), {8340, 9300, 1110, 2700}});
  return l;
}

SecondaryLayout Effects() {
  SecondaryLayout l;
  l.objectName = "frmEffect";
  l.title = QString::fromUtf8("专业设置");
  l.size = {750, 239};
  l.write = SecondaryWrite::SlotRule;
  struct Row {
    int number;
    const char* tag;
    SliderSetup setup;
    int column;
    int row;
    const char* name;
  };
  const Row rows[] = {
      {0, "Group,3,&HF", Slider(2, 6, 62, 4), 0, 0, "混响高频阻尼"},
      {1, "Group,3,&H12", Slider(2, 6, 62, 4), 0, 1, "早期反射高频阻尼"},
      {2, "Group,3,&H15", Slider(2, 6, 62, 4), 0, 2, "后期反射高频阻尼"},
      {6, "Group,3,&H11", Slider(2, 0, 250, 2), 1, 0, "早期反射延时"},
      {3, "Group,3,&H18", Slider(2, 0, 80, 2), 1, 1, "早期反射音量"},
      {5, "Group,3,&H16", Slider(2, 9, 50, 2), 1, 2, "混响空间"},
      {7, "Group,3,&H13", Slider(2, 0, 250, 2), 2, 0, "后期反射延时"},
      {4, "Group,3,&H19", Slider(2, 0, 80, 2), 2, 1, "后期反射音量"},
      {8, "Group,3,&H17", Slider(2, 7, 89, 2), 2, 2, "混响密度"},
  };
  for (const Row& r : rows) {
    const int left = 450 + r.column * 3675;
    const int top = 780 + r.row * 1050;
    l.sliders.push_back({r.number, r.tag, r.setup, {left, top, 2550, 450}});
    l.captions.push_back(Label({left, top - 300, 2550, 285}, r.name));
  }
  l.captions.push_back(Group({150, 120, 10950, 3375}, "混响细节"));
  return l;
}

SecondaryLayout SystemSettings() {
  SecondaryLayout l;
  l.objectName = "frmSet";
  l.title = QString::fromUtf8("系统设置");
  l.size = {740, 239};
  l.write = SecondaryWrite::SlotZero;
  static const char* const kNames[] = {"音乐", "话筒", "效果"};
  for (int i = 0; i < 3; ++i) {
    const int left = 600 + i * 2850;
    // The power-on volumes, then the upper limits of the three master volumes.
    l.sliders.push_back({3 + i, QString("Common,10,%1").arg(5 + i), Slider(2, 0, 80), {left, 810, 2250, 600}});
    l.sliders.push_back({i, QString("Common,10,%1").arg(8 + i), Slider(2, 0, 80), {left, 2310, 2250, 600}});
    l.captions.push_back(Label({left, 540, 2250, 270}, kNames[i]));
    l.captions.push_back(Label({left, 2040, 2250, 270}, kNames[i]));
  }
  l.captions.push_back(Group({150, 150, 8700, 1425}, "开机音量"));
  l.captions.push_back(Group({150, 1650, 8700, 1425}, "音量上限"));
  const struct {
    int address;
    int showType;
    const char* name;
  } lists[] = {{2564, 2, "开机模式"}, {2571, 4, "开机模式选择"}, {2596, 5, "输出选项"}, {2597, 6, "输入电平"}};
  for (int i = 0; i < 4; ++i) {
    const int top = 510 + i * 760;
    l.lists.push_back({i, lists[i].address, lists[i].showType, {9225, top, 1305, 300}});
    l.captions.push_back(Label({9225, top - 270, 1725, 270}, lists[i].name));
  }
  l.captions.push_back(Group({9000, 60, 2025, 3450}, "开机设置"));
  return l;
}

}  // namespace

const SecondaryLayout& SecondaryWindowLayout(SecondaryKind kind) {
  static const SecondaryLayout recording = Recording();
  static const SecondaryLayout effects = Effects();
  static const SecondaryLayout system = SystemSettings();
  switch (kind) {
    case SecondaryKind::Recording: return recording;
    case SecondaryKind::Effects: return effects;
    case SecondaryKind::SystemSettings: break;
  }
  return system;
}

}  // namespace mirelune::ui
