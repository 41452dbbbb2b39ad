// SPDX-License-Identifier: GPL-3.0-or-later
// The amplifier's front-panel menu: item names and the addresses they show, and which items
// are hidden.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/param_record.h"

namespace mirelune {

constexpr int kCatalogueKinds = 10;  // kinds 0..9; the system kind has no menu
constexpr int kMaxMenuItems = 200;

// The catalogue literal of a kind: item name, menu address ("&H" for hexadecimal), ...
// Empty for kind 10.
const char* CatalogueLiteral(int kind);

// Caption of kind k on the menu visibility editor's buttons ("音乐", "话筒1.2", ...).
const char* CatalogueKindCaption(int kind);

// Parses a decimal or "&H"-prefixed hexadecimal number. Returns false for anything else.
bool ParseMenuNumber(const std::string& text, int& value);

class MenuCatalogue {
 public:
  std::array<uint8_t, kKindCount> MenuItemCount{};
  std::array<std::array<uint8_t, kMaxMenuItems>, kKindCount> MenuHidden{};  // 1 hidden
  std::array<uint8_t, kAddressCount> AddrHidden{};

  // Fills MenuItemCount for kinds 0..9 from the literals.
  void CountMenuItems();
  // Copies each item's hidden flag to the address its catalogue entry names; other addresses
  // keep their value.
  void MapHiddenToAddresses();
  // The item names of a kind in device order; empty for kind 10.
  static std::vector<std::string> CatalogueNames(int kind);
  // The menu addresses of a kind's items in device order.
  static std::vector<int> CatalogueAddresses(int kind);
};

}  // namespace mirelune
