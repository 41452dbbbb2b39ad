// SPDX-License-Identifier: GPL-3.0-or-later
// Folder ui/pages/: the tuning window's pages as data and their pieces: page and system-button
// tables, captions, skin panels, strip editing, the controls' help texts. May include: ui/look/,
// controls/ and what lies under them.
//
// Which controls each page of the tuning window has, and where they stand: the window's layout
// as data. Positions are twips inside the page container (15 per pixel), as the layout gives
// them; controls::PixelRect converts them.
//
// Slider numbers are the window's slider array numbers (MyScrollBar(n)), so that the graph, the
// undo history and later windows can name the same slider.
#pragma once

#include <QString>
#include <vector>

#include "controls/control_setup.h"

namespace mirelune::ui {

constexpr int kPageCount = 8;
constexpr int kEffectsPage = 3;
constexpr int kEffectSubPages = 3;
// Sliders are numbered 0..kSliderSlots-1 (the highest in the layout is 183).
constexpr int kSliderSlots = 184;

// The page selector buttons, cmdPage(0..7). Images are "id,id+1" (normal, pressed).
struct PageButtonEntry {
  int page;
  int image;
  controls::TwipsRect rect;  // on the window
  bool reachable;            // page 2's button stands out of sight: its page cannot be opened
};
const std::vector<PageButtonEntry>& PageButtons();

// One bound slider of a page.
struct SliderEntry {
  int number;             // MyScrollBar(number)
  int page;               // container PictureMode(page)
  QString tag;            // binding Tag, e.g. "EQ,0,3"
  controls::SliderSetup setup;
  controls::TwipsRect rect;
  int effectSubPage = -1;  // on the effects page: the sub-page it belongs to, else -1
};

// Every slider of page p: the EQ band strips row by row (laid out as the window lays them out
// at load), then the filter frequency sliders, then the plain parameter sliders.
std::vector<SliderEntry> PageSliders(int page);

// Option lists are numbered MyComboBox(0..kOptionListSlots-1), flag buttons MyBTN(0..7).
constexpr int kOptionListSlots = 6;
constexpr int kFlagButtonSlots = 8;
// The reverb mode list: its SpecialFeature, number and address.
inline constexpr char kReverbSelectFeature[] = "RevSelect";
constexpr int kReverbModeList = 5;

// One bound option list of a page.
struct OptionListEntry {
  int number;  // MyComboBox(number)
  int page;
  QString tag;
  controls::ComboSetup setup;  // ShowType and SpecialFeature
  controls::TwipsRect rect;    // the list's face keeps the size its ShowType gives it
};
std::vector<OptionListEntry> PageOptionLists(int page);

// One bound flag button of a page (an on/off parameter).
struct FlagButtonEntry {
  int number;  // MyBTN(number)
  int page;
  QString tag;
  controls::FlagSetup setup;
  controls::TwipsRect rect;
};
std::vector<FlagButtonEntry> PageFlagButtons(int page);

// The left edge, in twips, of the k-th (0..4) strip of the effects sub-page shown; the strips
// of the other two sub-pages stand out of sight at kOutOfSightLeft.
int EffectStripLeft(int k);
constexpr int kOutOfSightLeft = 100000;
constexpr int kEffectStripTop = 820;

// The effects sub-page tabs Command3(0..2): images "normal,pressed".
struct TabEntry {
  QString images;
  controls::TwipsRect rect;  // in the effects page's container
};
const std::vector<TabEntry>& EffectTabs();

}  // namespace mirelune::ui
