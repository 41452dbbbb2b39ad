#include "ui/page_table.h"

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
  {3, 135, "EQF,3,&HD",  1,  142, 4, {7140, 1120, 2550, 450}},
  {3, 140, "EQF,3,&HE",  6,  63,  4, {7140, 670,  2550, 450}},
  {3, 141, "EQF,3,6",    1,  142, 4, {5940, 2460, 2550, 450}},
  {3, 142, "EQF,3,7",    6,  63,  4, {5940, 2050, 2550, 450}},
  {4, 67,  "EQF,4,7",    13, 143, 2, {11160, 795, 2550, 450}},
  {5, 86,  "EQF,5,7",    13, 143, 2, {11280, 780, 2550, 450}},
  {6, 105, "EQF,6,6",    13, 143, 2, {11280, 780, 2550, 450}},
  {7, 118, "EQF,7,8",    13, 143, 2, {10920, 800, 2550, 450}},
  {7, 119, "EQF,7,10",   1,  142, 2, {10920, 1720, 2550, 450}},
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
  return out;
}

}  // namespace mirelune::ui
