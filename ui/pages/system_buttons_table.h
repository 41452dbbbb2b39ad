// SPDX-License-Identifier: GPL-3.0-or-later
// The tuning window's buttons that act on whole groups of settings or on the system settings:
// the sound-mode pair, the sub-woofer automatic control, the page bypass, the EQ reset, the
// mutes and the radio groups, with the three master volume sliders of the top bar. Layout as
// data: the window creates one control per row.
#pragma once

#include <QString>
#include <vector>

#include "controls/control_setup.h"

namespace mirelune::ui {

// What a button does when it changes; the index within its group is the row's `index`.
enum class SystemButtonGroup {
  BassMode,        // cmdBassMode(0 singing, 1 dance)
  BassAutoPair,    // cmdBassAutoControl2(0 off, 1 on)
  BassAutoSingle,  // cmdBassAutoControl: the same switch as one flag
  ByPass,          // cmdByPass: the bypass of the page (or effects part) shown
  Reset,           // cmdReset: the factory EQ of the page into the current sound mode
  SingleMute,      // SingleMute(0..2): master mutes, 2593 + index
  MyMute,          // MyMute(0..5): output mutes, the address in the row's tag
  OptionInput,     // radio group, stores the index at 2563
  OptionFbx,       // 2572
  OptionFbx2,      // 2573
  OptionEx,        // 2596
};

// Where a row stands: the top bar (Picture2), the tool bar (Picture4) or page container p.
enum class SystemPanel { TopBar, ToolBar, Page };

struct SystemButtonEntry {
  SystemButtonGroup group;
  int index;
  SystemPanel panel;
  int page;                  // for SystemPanel::Page
  QString images;            // PNGIndexStr
  int actionType;
  int value;                 // the image index it starts with
  QString tag;               // "Button", or the bare address of an output mute
  controls::TwipsRect rect;  // twips in the panel; tool bar rows right of the history buttons
                             // are placed from the bar's width (ToolBarFromRight)
  const char* name;          // object name
};
const std::vector<SystemButtonEntry>& SystemButtons();

// The system address a radio or mute group writes: the group's first address plus the index
// for the mutes, the group's one address for the radio groups; -1 for the other groups.
int SystemGroupAddress(SystemButtonGroup group, int index);

// The number of buttons in a radio group (0 for the other groups).
int RadioGroupSize(SystemButtonGroup group);

// The tool bar's right-hand buttons follow the bar's width: their left edge in pixels is the
// bar's width minus this (-1 for a row placed by its own rectangle).
int ToolBarFromRight(const SystemButtonEntry& e);

// The master volume sliders MyScrollBar(0..2) of the top bar: kind 10, addresses 2560..2562,
// each muted by the record at MuteRAMindex.
struct MasterSliderEntry {
  int number;
  QString tag;
  controls::SliderSetup setup;
  controls::TwipsRect rect;
};
const std::vector<MasterSliderEntry>& MasterSliders();

}  // namespace mirelune::ui
