// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/pages/system_buttons_table.h"

#include "model/store.h"

namespace mirelune::ui {
namespace {

using G = SystemButtonGroup;
using P = SystemPanel;


}  // namespace

const std::vector<SystemButtonEntry>& SystemButtons() {
  // clang-format off
  static const std::vector<SystemButtonEntry> rows = {
    // Tool bar (pixels on screen are twips / 15, as everywhere).
    {G::ByPass,       0, P::ToolBar, 0, "190,191", 0, 0, "Button", {0,     0, 1065, 330}, "cmdByPass"},
    {G::Reset,        0, P::ToolBar, 0, "188,189", 1, 0, "Button", {1080,  0, 1065, 330}, "cmdReset"},
    // The sound-mode pair: one two-state switch, its halves side by side, one line each.
    {G::BassMode,     0, P::ToolBar, 0, "282,283", 2, 1, "Button", {8940,  0, 960, 330}, "cmdBassMode0"},
    {G::BassMode,     1, P::ToolBar, 0, "280,281", 2, 0, "Button", {9900,  0, 960, 330}, "cmdBassMode1"},
    // The automatic-control pair: as wide as the sound-mode halves, one line each, so that its
    // words stay readable.
    {G::BassAutoPair, 0, P::ToolBar, 0, "298,299", 0, 1, "Button", {10350, 0, 960, 330}, "cmdBassAutoControl2_0"},
    {G::BassAutoPair, 1, P::ToolBar, 0, "296,297", 0, 0, "Button", {11310, 0, 960, 330}, "cmdBassAutoControl2_1"},
    // Top bar: the master mutes beside their sliders.
    {G::SingleMute, 0, P::TopBar, 0, "292,293", 0, 0, "Button", {5310,  105, 360, 300}, "SingleMute0"},
    {G::SingleMute, 1, P::TopBar, 0, "292,293", 0, 0, "Button", {9180,  105, 360, 300}, "SingleMute1"},
    {G::SingleMute, 2, P::TopBar, 0, "292,293", 0, 0, "Button", {13200, 105, 360, 300}, "SingleMute2"},
    // Page 0: input source (evenly spaced, clear of the low-pass slider) and OptionEX.
    {G::OptionEx,    0, P::Page, 0, "218,219", 2, 1, "Button", {10740, 555, 240, 240}, "OptionEX0"},
    {G::OptionEx,    1, P::Page, 0, "218,219", 2, 0, "Button", {10740, 885, 240, 240}, "OptionEX1"},
    {G::OptionInput, 0, P::Page, 0, "218,219", 2, 0, "Button", {1920, 3240, 240, 240}, "OptionInput0"},
    {G::OptionInput, 1, P::Page, 0, "218,219", 2, 1, "Button", {2880, 3240, 240, 240}, "OptionInput1"},
    {G::OptionInput, 2, P::Page, 0, "218,219", 2, 0, "Button", {3840, 3240, 240, 240}, "OptionInput2"},
    {G::OptionInput, 3, P::Page, 0, "218,219", 2, 0, "Button", {4800, 3240, 240, 240}, "OptionInput3"},
    {G::OptionInput, 4, P::Page, 0, "218,219", 2, 0, "Button", {5760, 3240, 240, 240}, "OptionInput4"},
    {G::OptionInput, 5, P::Page, 0, "218,219", 2, 0, "Button", {6720, 3240, 240, 240}, "OptionInput5"},
    {G::OptionInput, 6, P::Page, 0, "218,219", 2, 0, "Button", {7680, 3240, 240, 240}, "OptionInput6"},
    {G::OptionInput, 7, P::Page, 0, "218,219", 2, 0, "Button", {8640, 3240, 240, 240}, "OptionInput7"},
    // Pages 1 and 2: the microphone options.
    {G::OptionFbx,  0, P::Page, 1, "218,219", 2, 0, "Button", {6690, 3300, 240, 240}, "OptionFBX_0"},
    {G::OptionFbx,  1, P::Page, 1, "218,219", 2, 1, "Button", {7440, 3300, 240, 240}, "OptionFBX_1"},
    {G::OptionFbx,  2, P::Page, 1, "218,219", 2, 0, "Button", {8415, 3300, 240, 240}, "OptionFBX_2"},
    {G::OptionFbx,  3, P::Page, 1, "218,219", 2, 0, "Button", {9360, 3300, 240, 240}, "OptionFBX_3"},
    {G::OptionFbx2, 0, P::Page, 2, "218,219", 2, 0, "Button", {8790, 3300, 240, 240}, "OptionFBX2_0"},
    {G::OptionFbx2, 1, P::Page, 2, "218,219", 2, 1, "Button", {9540, 3300, 240, 240}, "OptionFBX2_1"},
    {G::OptionFbx2, 2, P::Page, 2, "218,219", 2, 0, "Button", {10515, 3300, 240, 240}, "OptionFBX2_2"},
    {G::OptionFbx2, 3, P::Page, 2, "218,219", 2, 0, "Button", {11460, 3300, 240, 240}, "OptionFBX2_3"},
    // Pages 4..7: the output mutes, tagged with their address, inside the container's right edge.
    {G::MyMute, 0, P::Page, 4, "142,143", 0, 0, "&HA10", {14025, 1600, 360, 300}, "MyMute0"},
    {G::MyMute, 1, P::Page, 4, "142,143", 0, 0, "&HA11", {14025, 2130, 360, 300}, "MyMute1"},
    {G::MyMute, 2, P::Page, 5, "142,143", 0, 0, "&HA12", {14025, 1605, 360, 300}, "MyMute2"},
    {G::MyMute, 3, P::Page, 5, "142,143", 0, 0, "&HA13", {14025, 2160, 360, 300}, "MyMute3"},
    {G::MyMute, 4, P::Page, 6, "142,143", 0, 0, "&HA14", {13980, 1605, 360, 300}, "MyMute4"},
    {G::MyMute, 5, P::Page, 7, "142,143", 0, 0, "&HA15", {9780, 1180, 360, 300}, "MyMute5"},
    // Page 7: the automatic control as one switch, below the container's visible height.
    {G::BassAutoSingle, 0, P::Page, 7, "142,143", 3, 0, "Button", {11100, 4440, 360, 300}, "cmdBassAutoControl"},
  };
  // clang-format on
  return rows;
}

int SystemGroupAddress(SystemButtonGroup group, int index) {
  switch (group) {
    case G::SingleMute: return sysaddr::kSingleMuteFirst + index;
    case G::MyMute: return sysaddr::kMuteFirst + index;
    case G::OptionInput: return sysaddr::kOptionInput;
    case G::OptionFbx: return 2572;
    case G::OptionFbx2: return 2573;
    case G::OptionEx: return sysaddr::kOptionEX;
    default: return -1;
  }
}

int RadioGroupSize(SystemButtonGroup group) {
  switch (group) {
    case G::OptionInput: return 8;
    case G::OptionFbx:
    case G::OptionFbx2: return 4;
    case G::OptionEx: return 2;
    default: return 0;
  }
}

int ToolBarFromRight(const SystemButtonEntry& e) {
  if (e.panel != P::ToolBar) return -1;
  // The sound-mode and automatic-control pairs keep these distances to the bar's right end
  // whatever its width.
  switch (e.group) {
    case G::BassMode: return e.index == 0 ? 266 : 202;
    case G::BassAutoPair: return e.index == 0 ? 132 : 66;
    default: return -1;
  }
}

const std::vector<MasterSliderEntry>& MasterSliders() {
  static const std::vector<MasterSliderEntry> rows = [] {
    std::vector<MasterSliderEntry> out;
    const int lefts[] = {2520, 6390, 10410};
    for (int i = 0; i < 3; ++i) {
      MasterSliderEntry e;
      e.number = i;
      e.tag = QString("Common,10,%1").arg(i);
      e.setup.ScrollBarType = 6;
      e.setup.ValueType = 0;
      e.setup.MaxValue = 80;
      e.setup.HScrollSize = 0;
      e.setup.MuteRAMindex = sysaddr::kSingleMuteFirst + i;
      e.rect = {lefts[i], 45, 2730, 420};
      out.push_back(e);
    }
    return out;
  }();
  return rows;
}

}  // namespace mirelune::ui
