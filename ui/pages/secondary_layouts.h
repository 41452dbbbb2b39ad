// SPDX-License-Identifier: GPL-3.0-or-later
// The layouts of the three small parameter windows as data: the recording window (menu kinds
// 8 and 9), the professional reverb settings (menu kind 3) and the system settings (kind 10).
// Positions are twips inside the window (15 per pixel), as in the page tables.
#pragma once

#include <QSize>
#include <QString>
#include <vector>

#include "controls/control_setup.h"
#include "platform/tr.h"

namespace mirelune::ui {

enum class SecondaryKind { Recording, Effects, SystemSettings };

// How an edit is written: slot 0 (system and recording kinds), or by the sound-mode slot rule
// like the tuning window's own sliders of the same addresses.
enum class SecondaryWrite { SlotZero, SlotRule };

struct SecondarySlider {
  int number;  // MyScrollBar(number) of the window
  QString tag;
  controls::SliderSetup setup;
  controls::TwipsRect rect;
};

struct SecondaryOptionList {
  int number;   // MComboBox1(number)
  int address;  // the list's Tag is the bare address
  int showType;
  controls::TwipsRect rect;
};

// A caption drawn on the window's background: a group frame with its title, a group's title
// alone (where the layout leaves no room for a frame), or a control's label (left-aligned, or
// centred under a button).
struct Caption {
  enum Kind { Group, Label, Title, Centred };
  Kind kind;
  controls::TwipsRect rect;
  QString text;  // the source text
  const char* context = mirelune::kTrContext;  // its translation context (platform/tr.h)

  QString Shown() const { return TrIn(context, text); }
};

struct SecondaryLayout {
  QString objectName;  // frmRec, frmEffect, frmSet
  QString title;       // the window caption
  QSize size;          // pixels
  SecondaryWrite write;
  std::vector<SecondarySlider> sliders;
  std::vector<SecondaryOptionList> lists;
  std::vector<Caption> captions;
};

const SecondaryLayout& SecondaryWindowLayout(SecondaryKind kind);

}  // namespace mirelune::ui
