// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/option_lists.h"

#include <map>

namespace mirelune {
namespace {

using Entries = std::vector<OptionEntry>;

// The lists by their look (the option list's ShowType), as the console builds them.
const Entries& CrossoverTypes() {  // ShowType 0: outputs and sub-woofer
  static const Entries e = {{"LinkWitz 48dB", "Linkwitz 48dB"},
                            {"LinkWitz 24dB", "Linkwitz 24dB"},
                            {"ButterWorth 12dB", "Butterworth 12dB"},
                            {"Bessel 24dB", "Bessel 24dB"},
                            {"Bessel 12dB", "Bessel 12dB"}};
  return e;
}
const Entries& InputFilterTypes() {  // ShowType 1
  static const Entries e = {{"ButterWorth 12dB", "Butterworth 12dB"},
                            {"ButterWorth 24dB", "Butterworth 24dB"}};
  return e;
}
const Entries& StartModes() {  // ShowType 2
  static const Entries e = [] {
    Entries l;
    for (int i = 1; i <= 10; ++i)
      l.push_back({"模式" + std::to_string(i), "Mode " + std::to_string(i)});
    return l;
  }();
  return e;
}
const Entries& ReverbModes() {  // ShowType 3
  static const Entries e = {{"用户定义", "User"},
                            {"房间", "Room"},
                            {"小厅", "Small hall"},
                            {"大厅", "Large hall"},
                            {"人声", "Vocal"}};
  return e;
}
const Entries& AutoManual() {  // ShowType 4
  static const Entries e = {{"自动", "Auto"}, {"手动", "Manual"}};
  return e;
}
const Entries& OffOneTwoThree() {  // ShowType 5
  static const Entries e = {{"关", "Off"}, {"1", "1"}, {"2", "2"}, {"3", "3"}};
  return e;
}
const Entries& InputLevels() {  // ShowType 6
  static const Entries e = {{"-6dB", "-6dB"}, {"-3dB", "-3dB"}, {"0dB", "0dB"}, {"+3dB", "+3dB"}};
  return e;
}

// Where the console binds them: the pages' lists (ui/page_table.cpp) and the system settings
// window's (ui/secondary_layouts.cpp).
const std::map<int, const Entries*>& Lists() {
  static const std::map<int, const Entries*> lists = {
      {3 * 256 + 0x2A, &ReverbModes()},
      {4 * 256 + 6, &InputFilterTypes()},
      {5 * 256 + 6, &InputFilterTypes()},
      {6 * 256 + 5, &InputFilterTypes()},
      {7 * 256 + 7, &CrossoverTypes()},
      {7 * 256 + 9, &CrossoverTypes()},
      {2564, &StartModes()},
      {2571, &AutoManual()},
      {2596, &OffOneTwoThree()},
      {2597, &InputLevels()},
  };
  return lists;
}

}  // namespace

const std::vector<OptionEntry>* OptionListOf(int address) {
  const auto it = Lists().find(address);
  return it == Lists().end() ? nullptr : it->second;
}

std::vector<int> OptionListAddresses() {
  std::vector<int> out;
  for (const auto& [address, entries] : Lists()) out.push_back(address);
  return out;
}

}  // namespace mirelune
