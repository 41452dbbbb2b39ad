// SPDX-License-Identifier: GPL-3.0-or-later
// What a person reads and types for a value: the shown number of a slider position, its unit,
// and the reading of typed text back into a position.
//
// A slider keeps a position 0..MaxValue; its value type maps the position to the device's raw
// value and to the number shown (the value-type table of the parameter slider). The unit of a
// value type is fixed (Hz, dB, ms, %, :1), except for the plain numbers of type 0, whose unit is
// the parameter's own (a delay in ms, a level without unit): model/param_names.h gives it.
//
// Typed text is read the same under every process locale: "." and "," are both the decimal
// mark, no group separators; a unit may follow the number ("80 Hz", "1.2k", "1,5 kHz",
// "-3.5 dB", "250 ms", "100%", "4:1"). Text that is not a number, carries another unit, or lies
// outside the slider's range is refused with a reason; nothing is ever replaced by a default.
//
// Plain C++, no Qt.
#pragma once

#include <string>
#include <string_view>

namespace mirelune {

// The unit of value type `valueType`'s shown number: "Hz", "dB", "ms", "%", ":1", or "" for
// plain numbers (type 0, counts, sizes) and unknown types.
const char* ValueTypeUnit(int valueType);

// The number shown at `position` without unit ("19.7", "-3.5", "OFF", "100" for 100 %).
// Unknown types show "0".
std::string ShownNumber(int valueType, int position);

// FreqTable entry `index` in its shortest decimal form ("19.7", "303", "20200"); "OFF" for the top
// entry, "" beyond the table.
std::string FrequencyNumber(int index);

// `number` followed by `unit` as the console writes it: "80 Hz", "-3.5 dB", "100%", "4.0:1";
// "OFF" and an empty unit stay bare.
std::string WithUnit(const std::string& number, std::string_view unit);

// Splits typed text into a number and its unit word. The number takes "." or "," as decimal
// mark and an optional leading sign; a "k" right after it multiplies by 1000 ("1.2k", "1,5
// kHz" -> 1500 and "Hz"). The unit is what follows, blanks trimmed ("" when none). False when
// no finite number starts the text.
bool ReadNumberAndUnit(std::string_view text, double& number, std::string& unit);

enum class TypedProblem { None, NotANumber, WrongUnit, OutOfRange, NoOff };

struct TypedValue {
  bool ok = false;
  int position = 0;  // when ok
  TypedProblem problem = TypedProblem::None;
  std::string range;  // the range as a person reads it ("19.7 … 303 Hz"), for the message
  std::string error;  // when not ok: what is wrong, in English, with the range
};

// The range a slider of `valueType` over 0..maxValue covers, as a person reads it: "19.7 … 303
// Hz", "OFF, 19.7 … 303 Hz", "0 … 200%".
std::string RangeText(int valueType, int maxValue, std::string_view unit);

// Reads `text` typed into the editor of a slider of `valueType` (positions 0..maxValue) whose
// shown unit is `unit`. The number is taken to the nearest position (frequencies on their
// logarithmic scale); the unit, when given, must be the slider's ("k"/"kHz" for Hz, "s" for ms
// also). "OFF" is taken where the scale has it. A number beyond the ends of the range by more
// than half a step is refused.
TypedValue ParseSliderText(std::string_view text, int valueType, int maxValue, std::string_view unit);

// A gain code in dB with its sign: "+15.0", "0.0", "-3.5".
std::string SignedGainText(int code);
// Gain codes lo..hi as a range of dB: "-24.0 … +12.0 dB".
std::string GainRangeText(int loCode, int hiCode);

// The EQ band fields typed into a band strip's editor. Gains are dB within lo..hi gain codes,
// frequencies Hz within FreqTable indices lo..hi, Q and slope plain numbers within QTable
// indices lo..hi. The result's position is the gain code or the table index.
TypedValue ParseGainText(std::string_view text, int loCode, int hiCode);
TypedValue ParseFreqText(std::string_view text, int loIndex, int hiIndex);
TypedValue ParseQText(std::string_view text, int loIndex, int hiIndex);

}  // namespace mirelune
