// SPDX-License-Identifier: GPL-3.0-or-later
// The parameters the console shows as an option list: the value is the index of an entry (the
// crossover filter types, the reverb mode, the start-up mode and its choice, the output option,
// the input level). The entries as the console's lists show them in Chinese and English, for the
// command line, which has no widgets: its completion offers them after "PARAM=". The console's
// own lists (controls/mcombobox.cpp) must show the same; tests/ui/names_test.cpp compares them.
//
// Plain C++, no Qt.
#pragma once

#include <string>
#include <vector>

namespace mirelune {

struct OptionEntry {
  std::string zh;
  std::string en;
};

// The entries of the option list bound to `address` (value 0 is the first); nullptr for an
// address no option list shows.
const std::vector<OptionEntry>* OptionListOf(int address);

// Every address an option list shows, in address order.
std::vector<int> OptionListAddresses();

}  // namespace mirelune
