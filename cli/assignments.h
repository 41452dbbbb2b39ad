// SPDX-License-Identifier: GPL-3.0-or-later
// Parameters named on the command line, and the assignments of `set`: plain parsing, no
// device, so that every assignment of a command (or of a script) is checked before the first
// frame goes out.
//
// A parameter is named by its address (decimal or 0x-hexadecimal, menu kind * 256 + menu
// address) or by its name (model/param_names.h, Chinese or English): "KIND:NAME" (e.g.
// "4:音乐音量", "1:High-pass frequency") or NAME alone when exactly one address carries it.
//
// An assignment is PARAM=VALUE; for an EQ band VALUE is a list of band fields, and
// PARAM:FIELDS is the same ("0:gain=300,freq=120" is "0=gain=300,freq=120").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/command.h"
#include "model/param_record.h"

namespace mirelune::cli {

// The address `text` names; false with `error` ("no parameter ...", "... is ambiguous: ...").
// Only addresses that hold a parameter are accepted.
bool ResolveParam(const std::string& text, int& address, std::string& error);

// The addresses `words` name in order. A name may take several words (English names have
// blanks: `get Music master volume`): the longest run of at most kMaxNameWords words that names
// a parameter counts as one. False with the error of the first word that names none.
constexpr size_t kMaxNameWords = 8;
bool ResolveParams(const std::vector<std::string>& words, std::vector<int>& addresses,
                   std::string& error);

// "KIND:NAME" of `address` (its name in the one naming table); empty for no parameter.
std::string ParamName(int address);

// "gain=CODE,freq=INDEX,..." applied onto `band`; false with `error` for an unknown field, a
// malformed number or a value outside the field's range.
bool ApplyBandFields(const std::string& text, ParamRecord& band, std::string& error);

struct Assignment {
  int address = 0;
  bool band = false;
  int32_t plain = 0;       // the value of a plain parameter
  std::string bandFields;  // the field list of an EQ band
};

// What `set` was asked to do, checked in full before the amplifier is touched.
struct SetRequest {
  std::vector<Assignment> assignments;
  bool hasSound = false;
  int sound = 0;
};

// The syntax of `set`: its options and operands (cli/command.h).
const Syntax& SetSyntax();

// Parses `set`'s arguments: one or more PARAM=VALUE / PARAM:FIELDS, or the two-word form
// PARAM VALUE, and --sound-mode 0|1. A PARAM may take several words, up to the word with the
// '=' ("Music master volume=25", "Music master volume 25"). False with `error` for anything
// malformed or out of range.
bool ParseSet(const std::vector<std::string>& words, SetRequest& req, std::string& error);
// The same for a command line already parsed by SetSyntax().
bool ParseSet(const Args& args, SetRequest& req, std::string& error);

// Splits one line of a script into words: blanks separate them, "..." and '...' quote, and an
// unquoted # starts a comment that runs to the end of the line. False with `error` for an
// unterminated quote.
bool SplitScriptLine(const std::string& line, std::vector<std::string>& words, std::string& error);

}  // namespace mirelune::cli
