// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/pages/page_table.h"

namespace mirelune::ui {
namespace {

using controls::SliderSetup;
using controls::TwipsRect;

// A row of EQ band strips: `count` strips numbered from `first`, bound to consecutive menu
// addresses of the page's kind, at left0 + step * i.
struct StripRow {
  int page;
  int first;
  int count;
  int menuAddress;  // of the first strip
  int left0;
  int step;
  int top;
  int width;
  int height;
  bool visible;      // TVisible: false for the bands the graph does not show
  int normalStyle;   // EQNormalStyle: 1 = the tall strip of the sub-woofer page
  int subPage;       // effects page only
};

// clang-format off
constexpr StripRow kStripRows[] = {
  // page first count addr  left0  step   top   w    h     vis    tall sub
  {0,   3,  12,  0,    610,   762,  100,  645, 2670, true,  0,  -1},
  {0,   15, 3,   12,   12600, 780,  240,  645, 2670, false, 0,  -1},
  {1,   18, 12,  1,    630,   755,  132,  645, 2670, true,  0,  -1},
  {1,   30, 3,   13,   12540, 780,  2940, 645, 2670, false, 0,  -1},
  {2,   35, 15,  1,    630,   755,  132,  645, 2670, true,  0,  -1},
  {3,   157, 5,  0x08, 570,   754,  kEffectStripTop,  735, 2790, true,  0,  0},
  {3,   162, 5,  0x1A, 570,   754,  kEffectStripTop,  735, 2790, true,  0,  1},
  {3,   167, 5,  0x1F, 570,   754,  kEffectStripTop,  735, 2790, true,  0,  2},
  {4,   50, 10,  8,    460,   753,  210,  645, 2670, true,  0,  -1},
  {5,   72, 7,   8,    1570,  760,  180,  645, 2670, true,  0,  -1},
  {6,   91, 7,   7,    1570,  760,  180,  645, 2670, true,  0,  -1},
  {7,   108, 5,  11,   720,   763,  350,  645, 3360, true,  1,  -1},
};

// The filter frequency sliders (Tag family "EQF"): horizontal, style 2.
struct FilterSlider {
  int page;
  int number;
  const char* tag;
  int valueType;
  int maxValue;
  int hScrollSize;
  TwipsRect rect;
};

constexpr FilterSlider kFilterSliders[] = {
  {0, 126, "EQF,0,&HF",  13, 143, 1, {9960, 1775, 2250, 600}},
  {0, 183, "EQF,0,&H10", 16, 64,  1, {9960, 2985, 2250, 600}},
  {1, 33,  "EQF,1,0",    13, 143, 2, {1305, 3270, 2550, 450}},
  {2, 34,  "EQF,2,0",    13, 148, 2, {1300, 3270, 2550, 450}},
  {3, 135, "EQF,3,&HD",  1,  142, 4, {7650, 1120, 2550, 450}},
  {3, 140, "EQF,3,&HE",  6,  63,  4, {7650, 670,  2550, 450}},
  {3, 141, "EQF,3,6",    1,  142, 4, {5940, 2415, 2550, 450}},
  {3, 142, "EQF,3,7",    6,  63,  4, {5940, 1965, 2550, 450}},
  {4, 67,  "EQF,4,7",    13, 143, 2, {11160, 795, 2550, 450}},
  {5, 86,  "EQF,5,7",    13, 143, 2, {11280, 780, 2550, 450}},
  {6, 105, "EQF,6,6",    13, 143, 2, {11280, 780, 2550, 450}},
  {7, 118, "EQF,7,8",    13, 143, 2, {10920, 750, 2550, 450}},
  {7, 119, "EQF,7,10",   1,  145, 2, {10920, 1770, 2550, 450}},
};

// The plain parameter sliders (Tag family "Group"). Rows whose top lies below the container's
// 3795-twip height hold values the page never shows (kept bound and refreshed all the same).
struct GroupSlider {
  int page;
  int number;
  const char* tag;
  int style;
  int valueType;
  int maxValue;
  int hScrollSize;
  bool visible;      // TVisible
  int muteRecord;    // MuteRAMindex, 0 for none
  TwipsRect rect;
};

constexpr GroupSlider kGroupSliders[] = {
  // page num  tag              st vt  max    hs  vis    mute  left   top   w     h
  {1, 125, "Group,1,&H10", 2, 2,  400,   0, true,  0,    {10020, 810,  2250, 600}},
  {1, 124, "Group,1,&H12", 2, 4,  199,   0, true,  0,    {10020, 1515, 2250, 600}},
  {1, 123, "Group,1,&H13", 2, 5,  199,   0, true,  0,    {10020, 2265, 2250, 600}},
  {1, 127, "Group,1,&H11", 2, 3,  180,   0, true,  0,    {10020, 2955, 2250, 600}},
  {1, 181, "Group,1,&H14", 2, 10, 150,   3, false, 0,    {4680,  4200, 2700, 390}},

  {2, 153, "Group,2,&H10", 2, 2,  400,   0, true,  0,    {12120, 800,  2250, 600}},
  {2, 154, "Group,2,&H12", 2, 4,  199,   0, true,  0,    {12120, 1500, 2250, 600}},
  {2, 155, "Group,2,&H13", 2, 5,  199,   0, true,  0,    {12120, 2250, 2250, 600}},
  {2, 156, "Group,2,&H11", 2, 3,  180,   0, true,  0,    {12120, 2940, 2250, 600}},
  {2, 182, "Group,2,&H14", 2, 10, 150,   3, true,  0,    {4740,  3270, 2700, 390}},

  {3, 177, "Group,3,&H26", 2, 10, 150,   3, true,  0,    {5940,  220,  2700, 390}},
  {3, 178, "Group,3,&H27", 2, 10, 150,   3, true,  0,    {11640, 220,  2700, 390}},
  {3, 139, "Group,3,&H10", 2, 0,  60,    2, true,  0,    {11640, 670,  2550, 450}},
  {3, 138, "Group,3,&H14", 2, 14, 900,   2, true,  0,    {11640, 1120, 2550, 450}},
  {3, 179, "Group,3,&H28", 2, 10, 150,   3, true,  0,    {5940,  1575, 2700, 390}},
  {3, 180, "Group,3,&H29", 2, 10, 150,   3, true,  0,    {11640, 1575, 2700, 390}},
  {3, 143, "Group,3,0",    2, 0,  60,    2, true,  0,    {11640, 1965, 2550, 450}},
  {3, 144, "Group,3,1",    2, 0,  260,   2, true,  0,    {11640, 2415, 2550, 450}},
  {3, 146, "Group,3,2",    2, 7,  89,    2, true,  0,    {5940,  2865, 2550, 450}},
  {3, 148, "Group,3,4",    2, 0,  50,    2, true,  0,    {11640, 2865, 2550, 450}},
  {3, 145, "Group,3,3",    2, 6,  62,    2, true,  0,    {5940,  3315, 2550, 450}},
  {3, 147, "Group,3,5",    2, 8,  100,   2, true,  0,    {11640, 3315, 2550, 450}},
  // The reverb's finer settings: edited in the professional-settings window.
  {3, 128, "Group,3,&HF",  2, 6,  14000, 2, false, 0,    {6420,  5640, 2550, 450}},
  {3, 129, "Group,3,&H12", 2, 6,  14000, 2, false, 0,    {9060,  5760, 2550, 450}},
  {3, 130, "Group,3,&H15", 2, 6,  14000, 2, false, 0,    {6120,  4860, 2550, 450}},
  {3, 131, "Group,3,&H18", 2, 0,  80,    2, false, 0,    {6900,  5100, 2550, 450}},
  {3, 132, "Group,3,&H19", 2, 0,  80,    2, false, 0,    {9240,  5520, 2550, 450}},
  {3, 133, "Group,3,&H16", 6, 9,  50,    2, false, 0,    {11940, 5700, 2130, 420}},
  {3, 134, "Group,3,&H17", 6, 7,  89,    2, false, 0,    {9360,  4920, 2130, 420}},
  {3, 136, "Group,3,&H11", 2, 0,  250,   2, false, 0,    {12360, 5280, 2550, 450}},
  {3, 137, "Group,3,&H13", 2, 0,  250,   2, false, 0,    {11520, 4920, 2550, 450}},
  {3, 173, "Group,3,&H24", 7, 10, 150,   0, false, 0,    {2220,  4920, 2610, 375}},
  {3, 174, "Group,3,&H25", 7, 10, 150,   0, false, 0,    {2400,  5400, 2610, 375}},

  {4, 60,  "Group,4,0",    2, 10, 150,   3, true,  0,    {1260,  3000, 2700, 390}},
  {4, 61,  "Group,4,1",    2, 10, 150,   3, true,  0,    {1260,  3390, 2700, 390}},
  {4, 62,  "Group,4,3",    2, 10, 150,   3, true,  0,    {5100,  3000, 2700, 390}},
  {4, 63,  "Group,4,2",    2, 10, 150,   3, true,  0,    {5100,  3390, 2700, 390}},
  {4, 64,  "Group,4,&H12", 2, 12, 400,   0, true,  0,    {8355,  820,  2250, 600}},
  {4, 65,  "Group,4,&H14", 2, 4,  199,   0, true,  0,    {8355,  1520, 2250, 600}},
  {4, 66,  "Group,4,&H15", 2, 5,  199,   0, true,  0,    {8355,  2280, 2250, 600}},
  {4, 152, "Group,4,&H13", 2, 3,  180,   0, true,  0,    {8355,  2970, 2250, 600}},
  {4, 68,  "Group,4,4",    2, 0,  80,    2, true,  2576, {11460, 1665, 2550, 450}},
  {4, 69,  "Group,4,5",    2, 0,  80,    2, true,  2577, {11460, 2205, 2550, 450}},
  {4, 70,  "Group,4,&H16", 2, 11, 100,   2, true,  0,    {11460, 2790, 2550, 450}},
  {4, 71,  "Group,4,&H17", 2, 11, 100,   2, true,  0,    {11460, 3330, 2550, 450}},
  {4, 175, "Group,4,&H18", 7, 10, 150,   0, false, 0,    {3960,  4020, 2610, 375}},

  {5, 79,  "Group,5,0",    2, 10, 150,   3, true,  0,    {1260,  3000, 2700, 390}},
  {5, 80,  "Group,5,1",    2, 10, 150,   3, true,  0,    {1260,  3390, 2700, 390}},
  {5, 81,  "Group,5,3",    2, 10, 150,   3, true,  0,    {5100,  3000, 2700, 390}},
  {5, 82,  "Group,5,2",    2, 10, 150,   3, true,  0,    {5100,  3390, 2700, 390}},
  {5, 83,  "Group,5,&HF",  2, 12, 400,   0, true,  0,    {8380,  840,  2250, 600}},
  {5, 84,  "Group,5,&H11", 2, 4,  199,   0, true,  0,    {8380,  1530, 2250, 600}},
  {5, 85,  "Group,5,&H12", 2, 5,  199,   0, true,  0,    {8380,  2280, 2250, 600}},
  {5, 151, "Group,5,&H10", 2, 3,  180,   0, true,  0,    {8380,  2980, 2250, 600}},
  {5, 87,  "Group,5,4",    2, 0,  80,    2, true,  2578, {11460, 1620, 2550, 450}},
  {5, 88,  "Group,5,5",    2, 0,  80,    2, true,  2579, {11460, 2180, 2550, 450}},
  {5, 89,  "Group,5,&H13", 2, 11, 100,   2, true,  0,    {11460, 2800, 2550, 450}},
  {5, 90,  "Group,5,&H14", 2, 11, 100,   2, true,  0,    {11460, 3330, 2550, 450}},
  {5, 176, "Group,5,&H15", 7, 10, 150,   0, false, 0,    {1890,  4170, 2610, 375}},

  {6, 98,  "Group,6,0",    2, 10, 150,   3, true,  0,    {1260,  3000, 2700, 390}},
  {6, 99,  "Group,6,1",    2, 10, 150,   3, true,  0,    {1260,  3390, 2700, 390}},
  {6, 100, "Group,6,3",    2, 10, 150,   3, true,  0,    {5100,  3000, 2700, 390}},
  {6, 101, "Group,6,2",    2, 10, 150,   3, true,  0,    {5100,  3390, 2700, 390}},
  {6, 102, "Group,6,&HE",  2, 12, 400,   0, true,  0,    {8380,  840,  2250, 600}},
  {6, 103, "Group,6,&H10", 2, 4,  199,   0, true,  0,    {8380,  1530, 2250, 600}},
  {6, 104, "Group,6,&H11", 2, 5,  199,   0, true,  0,    {8380,  2280, 2250, 600}},
  {6, 150, "Group,6,&HF",  2, 3,  180,   0, true,  0,    {8380,  2980, 2250, 600}},
  {6, 106, "Group,6,4",    2, 0,  80,    2, true,  2580, {11400, 1620, 2550, 450}},
  {6, 107, "Group,6,&H12", 2, 11, 100,   2, true,  0,    {11400, 2240, 2550, 450}},
  {6, 172, "Group,6,&H13", 7, 10, 150,   0, false, 0,    {1950,  4200, 2610, 375}},

  {7, 115, "Group,7,&H10", 2, 12, 400,   0, true,  0,    {4920,  980,  2250, 600}},
  {7, 116, "Group,7,&H12", 2, 4,  199,   0, true,  0,    {4920,  1660, 2250, 600}},
  {7, 117, "Group,7,&H13", 2, 5,  199,   0, true,  0,    {4920,  2420, 2250, 600}},
  {7, 149, "Group,7,&H11", 2, 3,  180,   0, true,  0,    {4920,  3140, 2250, 600}},
  {7, 121, "Group,7,3",    2, 0,  80,    2, true,  2581, {7200,  1180, 2550, 450}},
  {7, 122, "Group,7,&H14", 2, 11, 100,   2, true,  0,    {7200,  1900, 2550, 450}},
  {7, 113, "Group,7,0",    2, 10, 150,   3, true,  0,    {7200,  2640, 2700, 390}},
  {7, 114, "Group,7,1",    2, 10, 150,   3, true,  0,    {7200,  3320, 2700, 390}},
  {7, 120, "Group,7,2",    7, 10, 150,   0, false, 0,    {7620,  4440, 2610, 375}},
};

// The option lists MyComboBox(n): filter types ("EQT", SpecialFeature = the graph band whose
// type they set) and the reverb mode list ("RevSelect").
struct OptionListRow {
  int page;
  int number;
  const char* tag;
  int showType;
  const char* specialFeature;
  TwipsRect rect;
};

constexpr OptionListRow kOptionLists[] = {
  {3, 5, "Group,3,&H2A", 3, "RevSelect", {4590,  570,  1230, 300}},
  {4, 0, "EQT,4,6",      1, "10",        {11820, 400,  2070, 315}},
  {5, 1, "EQT,5,6",      1, "7",         {11940, 420,  2070, 315}},
  {6, 2, "EQT,6,5",      1, "7",         {11940, 420,  2070, 315}},
  {7, 3, "EQT,7,7",      0, "5",         {11640, 440,  2070, 315}},
  {7, 4, "EQT,7,9",      0, "6",         {11640, 1440, 2070, 315}},
};

// The bound flag buttons MyBTN(n) of the sub-woofer page: the phase switch and the five
// control targets; the first two hold values the page never shows.
struct FlagButtonRow {
  int page;
  int number;
  const char* tag;
  const char* images;
  int actionType;
  int value;
  TwipsRect rect;
};

constexpr FlagButtonRow kFlagButtons[] = {
  {7, 0, "Group,7,4",    "142,143", 4, 1, {10380, 4440, 360,  300}},
  {7, 1, "Group,7,5",    "142,143", 4, 1, {10740, 4440, 360,  300}},
  {7, 2, "Group,7,6",    "380,381", 3, 1, {8100,  580,  1110, 255}},
  {7, 3, "Group,7,&H15", "378,379", 0, 1, {10500, 2880, 435,  405}},
  {7, 4, "Group,7,&H16", "378,379", 0, 1, {11160, 2880, 435,  405}},
  {7, 6, "Group,7,&H17", "378,379", 0, 1, {11820, 2880, 435,  405}},
  {7, 5, "Group,7,&H18", "378,379", 0, 1, {12540, 2880, 435,  405}},
  {7, 7, "Group,7,&H19", "378,379", 0, 1, {13260, 2880, 435,  405}},
};
// clang-format on

}  // namespace

const std::vector<PageButtonEntry>& PageButtons() {
  static const std::vector<PageButtonEntry> buttons = {
      {0, 158, {120, 510, 1560, 495}, true},   {1, 160, {1965, 510, 1560, 495}, true},
      {2, 162, {18360, 1440, 1560, 495}, false}, {3, 164, {3825, 510, 1560, 495}, true},
      {4, 166, {5670, 510, 1560, 495}, true},  {5, 170, {7500, 510, 1560, 495}, true},
      {6, 168, {9345, 510, 1560, 495}, true},  {7, 172, {11190, 510, 1560, 495}, true},
  };
  return buttons;
}

int EffectStripLeft(int k) { return 754 * k + 570; }

const std::vector<TabEntry>& EffectTabs() {
  static const std::vector<TabEntry> tabs = {
      {"289,288", {840, 120, 1080, 465}},
      {"287,286", {1950, 120, 1080, 465}},
      {"291,290", {3060, 120, 1080, 465}},
  };
  return tabs;
}

std::vector<SliderEntry> PageSliders(int page) {
  std::vector<SliderEntry> out;
  for (const StripRow& row : kStripRows) {
    if (row.page != page) continue;
    for (int i = 0; i < row.count; ++i) {
      SliderEntry e;
      e.number = row.first + i;
      e.page = page;
      e.tag = QString("EQ,%1,%2").arg(page).arg(row.menuAddress + i);
      e.setup.ScrollBarType = 1;
      e.setup.ValueType = 15;
      e.setup.MaxValue = 360;
      e.setup.TVisible = row.visible;
      e.setup.EQNormalStyle = row.normalStyle;
      e.rect = {row.left0 + row.step * i, row.top, row.width, row.height};
      e.effectSubPage = row.subPage;
      out.push_back(e);
    }
  }
  for (const FilterSlider& f : kFilterSliders) {
    if (f.page != page) continue;
    SliderEntry e;
    e.number = f.number;
    e.page = page;
    e.tag = f.tag;
    e.setup.ScrollBarType = 2;
    e.setup.ValueType = f.valueType;
    e.setup.MaxValue = f.maxValue;
    e.setup.HScrollSize = f.hScrollSize;
    e.rect = f.rect;
    out.push_back(e);
  }
  for (const GroupSlider& g : kGroupSliders) {
    if (g.page != page) continue;
    SliderEntry e;
    e.number = g.number;
    e.page = page;
    e.tag = g.tag;
    e.setup.ScrollBarType = g.style;
    e.setup.ValueType = g.valueType;
    e.setup.MaxValue = g.maxValue;
    e.setup.HScrollSize = g.hScrollSize;
    e.setup.TVisible = g.visible;
    e.setup.MuteRAMindex = g.muteRecord;
    e.rect = g.rect;
    out.push_back(e);
  }
  return out;
}

std::vector<OptionListEntry> PageOptionLists(int page) {
  std::vector<OptionListEntry> out;
  for (const OptionListRow& r : kOptionLists) {
    if (r.page != page) continue;
    OptionListEntry e;
    e.number = r.number;
    e.page = page;
    e.tag = r.tag;
    e.setup.ShowType = r.showType;
    e.setup.SpecialFeature = r.specialFeature;
    e.rect = r.rect;
    out.push_back(e);
  }
  return out;
}

std::vector<FlagButtonEntry> PageFlagButtons(int page) {
  std::vector<FlagButtonEntry> out;
  for (const FlagButtonRow& r : kFlagButtons) {
    if (r.page != page) continue;
    FlagButtonEntry e;
    e.number = r.number;
    e.page = page;
    e.tag = r.tag;
    e.setup.PngIndexStr = r.images;
    e.setup.ActionType = r.actionType;
    e.setup.Value = r.value;
    e.rect = r.rect;
    out.push_back(e);
  }
  return out;
}

}  // namespace mirelune::ui
