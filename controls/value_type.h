// SPDX-License-Identifier: GPL-3.0-or-later
// How a slider's integer position maps to the raw device value and to the text it shows.
//
// A slider keeps a position 0..MaxValue; the ValueType decides what `Value` reads and writes and
// what the readout says. The mute flag of the volume sliders travels in the 250s of the raw
// value and is handled by the slider, not here. Pure functions, no Qt widgets.
#pragma once

#include <QString>

namespace mirelune::controls {

// Raw value of position p (the mute flag not added). Unknown types read 0.
float ValueFromPosition(int valueType, int position);

// Position of raw value v: converted by type, clamped to 0..maxValue, rounded half to even.
// A value that is not a number gives 0; unknown types give 0.
int PositionFromValue(int valueType, float value, int maxValue);

// The readout text of position p. Frequencies are the shortest decimal form of the table entry
// ("19.7", "303", "20200"); the top entry 20220 reads "OFF". Unknown types show "0".
QString ShownText(int valueType, int position);

// FreqTable entry i as the slider shows it; "OFF" for the top entry, "" beyond the table.
QString FrequencyText(int index);

// QTable entry i with two decimals ("0.71").
QString QText(int index);

}  // namespace mirelune::controls
