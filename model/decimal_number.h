// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers as measurement programs write them in their text files: the filter sets
// (model/filter_set.h) and the measurements and microphone calibrations (measure/). One reader,
// so that a file means the same to every part and under every locale. Plain C++, no Qt.
//
// A number is an optional sign ("+" or "-"), digits with at most one decimal separator and an
// optional exponent ("1e3", "-.9", "2,5E-1"). It is read with from_chars, never strtod: the
// process's locale must not change what a file means.
//
// The decimal separator is "." or ",", as the file's mark says:
//   - Either: both are taken; a comma followed by exactly three digits at the end of a number
//     with a digit before it ("1,000") may as well separate thousands, so such a number is
//     ambiguous rather than read as 1 - the file says which it means by writing 1000 or 1.000;
//   - Point: only "."; a comma makes the text no number;
//   - Comma: only ","; "1,000" is 1.0 (the file has shown that it writes decimal commas), a
//     point makes the text no number.
// A text with both separators, two of one, or anything after the number is no number.
#pragma once

#include <optional>
#include <string_view>

namespace mirelune {

enum class DecimalMark { Either, Point, Comma };

// The value of `text`, or nothing when it is no number (or not finite). With DecimalMark::Either
// `*ambiguous` (when given) is set for a number refused as "1,000".
std::optional<double> ParseDecimalNumber(std::string_view text, DecimalMark mark = DecimalMark::Either,
                                         bool* ambiguous = nullptr);

// Whether `text` holds a comma that can only be a decimal comma: a comma not followed by exactly
// three digits to its end ("-3,5", "20,000000"). False for "1,000" and for texts without one.
bool HasPlainDecimalComma(std::string_view text);

}  // namespace mirelune
