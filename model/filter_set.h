// SPDX-License-Identifier: GPL-3.0-or-later
// Filter sets of room-measurement programs: the "Filter Settings file" text a measurement program
// such as Room EQ Wizard (REW) exports for the correction filters it computed, and the
// configuration text of Equalizer APO. Installers measure a room, let the program compute the
// filters and load them onto a page of the amplifier instead of copying them band by band.
// Plain C++, no Qt.
//
// One parser reads both formats, line by line:
//   Filter  1: ON  PK       Fc   63.0 Hz  Gain  -3.0 dB  Q  2.00      (REW)
//   Filter 2: ON LSC 9.0 dB Fc 100 Hz Gain 4 dB                       (Equalizer APO)
//   Filter: ON PK Fc 1000 Hz Gain -2 dB BW Oct 0.5
//   Filter  4: OFF None
//   Preamp: -6 dB
// "#" starts a comment. Lines ending in CR LF, a UTF-8 byte-order mark, numbers written with a
// decimal comma ("-3,5") and frequencies in kHz ("Fc 1,5 kHz" is 1500 Hz) are read as well; a
// comma that may as well separate thousands ("1,000") is refused with its line. REW's header and notes (any other text) are skipped;
// Equalizer APO's other commands (Channel:, Include:, Delay:, GraphicEQ:, ...) change what the
// filters mean and are refused. A filter type the parser does not know is kept, with its text, as
// FilterType::Unknown: whoever places the set reports it, nothing is dropped on the way. A
// malformed line (a number that is none, a filter without the values its type needs, a Q of 0)
// is an error that names the line number and the line.
//
// Shelf slopes. The amplifier's shelves are the Audio EQ Cookbook shelves with the slope S, and
// a shelf's Fc is the cookbook's f0. A shelf line gives its slope as a Q ("LSC ... Q 0.71",
// converted with the cookbook's relation between Q, S and the gain), as dB per octave ("LSC 9 dB",
// "LS 6dB": S = dB / 12, so that S = 1, the steepest shelf that stays monotonic, is 12 dB per
// octave), or not at all (S = 1).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mirelune {

enum class FilterType : uint8_t {
  None,       // an unused slot: "None"
  Peaking,    // PK
  LowShelf,   // LS, LSC, "LS 6dB", "LS 12dB"
  HighShelf,  // HS, HSC, "HS 6dB", "HS 12dB"
  HighPass,   // HP, HPQ
  LowPass,    // LP, LPQ
  BandPass,   // BP
  Notch,      // NO
  AllPass,    // AP
  Unknown,    // any other type word, kept as written in `typeText`
};

struct Filter {
  int line = 0;          // 1-based line of the file; 0 for a filter made by the program
  int number = 0;        // the N of "Filter N:"; 0 when the line has none
  std::string source;    // the line as written, without its line end
  std::string typeText;  // the type as written, qualifier included ("PK", "LS 6dB", "XO")
  bool on = true;        // ON / OFF
  FilterType type = FilterType::None;
  double freqHz = 0;     // Fc, > 0 when given
  double gainDb = 0;
  double q = 0;          // > 0 when given (a BW in octaves is converted to Q)
  double slopeDb = 0;    // shelf slope in dB per octave, > 0 when given
  bool hasFreq = false;
  bool hasGain = false;
  bool hasQ = false;
};

struct FilterSet {
  bool hasPreamp = false;
  double preampDb = 0;   // the sum of every Preamp line, as Equalizer APO adds them
  int preampLine = 0;    // the first Preamp line
  std::vector<Filter> filters;  // in file order
};

// Why a text is refused, with what the console and the CLI need to say it in their own words.
struct FilterSetError {
  enum class Kind {
    None,
    File,           // the file cannot be read; `detail` is the file system's message
    TooLarge,       // over 1 MiB
    NotText,        // NUL bytes
    NoFilters,      // neither a Filter nor a Preamp line
    NoColon,        // "Filter 3 ON ...": the number is not followed by ':'
    Command,        // an Equalizer APO command other than Preamp and Filter; `detail` names it
    NoOnOff,        // no ON or OFF after the colon
    NoType,         // "Filter 1: ON" without a type
    BadNumber,      // `detail` is not a number
    Ambiguous,      // `detail` ("1,000") reads as a thousands separator or a decimal comma
    NoValue,        // the value `detail` is missing
    NoUnit,         // the shelf slope `detail` lacks its "dB"
    NotAValue,      // `detail` is no value of a `detail2` filter
    NotPositive,    // `detail` (Fc, Q, BW, the slope) must be above 0
    MissingValues,  // a `detail` filter needs the values `detail2` ("Fc, Gain, Q")
    AfterValue,     // `detail` follows the preamp's value
    OutOfRange,     // `detail` (Fc, Gain, Q, BW, the slope, Preamp) is `detail2`, beyond any
                    // filter a measurement program makes
  };
  Kind kind = Kind::None;
  int line = 0;          // 1-based; 0 for the file as a whole
  std::string lineText;  // the line as written, without its line end
  std::string detail;
  std::string detail2;
  std::string path;      // the file, when read by LoadFilterSet

  // In English: "FILE: line 7: 'Filter 3: ON PK Fc abc Hz': 'abc' is not a number".
  std::string Text() const;
};

// Parses `text`. False with `error` for a malformed line, a refused command, a text that is not
// one (NUL bytes) and a text holding neither a Filter nor a Preamp line; `set` is then left as
// it was.
bool ParseFilterSet(std::string_view text, FilterSet& set, FilterSetError& error);

// Reads and parses the file at `path`: a regular file of at most 1 MiB.
bool LoadFilterSet(const std::string& path, FilterSet& set, FilterSetError& error);

enum class FilterFormat { Rew, Apo };
// "rew" or "apo"; false for anything else.
bool ParseFilterFormat(std::string_view name, FilterFormat& format);

// The set as text of the format, "." as the decimal separator under every locale, lines ending in
// "\n". Peaking filters are written PK with Q, shelves LSC / HSC with their Q, unused slots as
// "OFF None" (REW lists every slot that way; Equalizer APO's text leaves them out). Filters are
// numbered by `number`, or by their position when it is 0. An Equalizer APO text of a set with
// no filter in use says so in a comment line and lists the unused slots as REW does, so that
// the file is never empty and reads back as the same flat set.
inline constexpr char kNoFilterInUseComment[] = "# No filter in use: every EQ band is flat (0 dB).";
std::string WriteFilterSet(const FilterSet& set, FilterFormat format);

// The cookbook shelf's slope S for a Q at a gain and back: 1/Q = sqrt((A + 1/A)(1/S - 1) + 2),
// A = 10^(gain/40). ShelfQFromSlope returns +infinity for a slope too steep for the gain (the
// root's radicand not positive); every Q above 0 has its slope.
double ShelfSlopeFromQ(double q, double gainDb);
double ShelfQFromSlope(double slope, double gainDb);
// The slope S a shelf filter asks for: from its Q, else from its dB per octave, else 1.
double ShelfSlopeOf(const Filter& f);
// The Q of a peaking filter with a bandwidth of `octaves` (the cookbook's relation).
double QFromOctaves(double octaves);

}  // namespace mirelune
