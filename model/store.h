// SPDX-License-Identifier: GPL-3.0-or-later
// Folder model/: the parameter store, value scales, the menu catalogue, the naming table, the slot
// rule and the .sp file format; plain C++, no Qt. May include: nothing else of the tree.
//
// The parameter store: the console's image of everything the amplifier can be told.
//
// One Store is created per run (the console, each CLI command, each test) and passed to whoever
// needs it. Readers index the tables directly; there is no change notification: whoever writes
// a value refreshes the controls, redraws the graph and sends the frame.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/menu_catalogue.h"
#include "model/param_record.h"
#include "model/table_memory.h"

namespace mirelune {

// System addresses (kind 10) that other parts of the console address by number.
namespace sysaddr {
constexpr int kFirst = 2560;
constexpr int kOptionInput = 2563;
constexpr int kModeManagerEnable = 2574;
constexpr int kMuteFirst = 2576;       // ..2581
constexpr int kBypassFirst = 2582;     // + page, 2582..2589
constexpr int kSoundMode = 2590;
constexpr int kBassAuto = 2591;
constexpr int kRights = 2592;          // 0 administrator... as the device reports it
constexpr int kSingleMuteFirst = 2593; // ..2595
constexpr int kMasterLimitFirst = 2568;  // ..2570: upper limits of the three master volumes
constexpr int kOptionEX = 2596;
constexpr int kEchoBypass = 2598;
constexpr int kReverbBypass = 2599;
}  // namespace sysaddr

class Store {
 public:
  // On the heap, in the tables' own memory (model/table_memory.h).
  static void* operator new(std::size_t bytes) { return AllocateTableMemory(bytes); }
  static void operator delete(void* memory, std::size_t bytes) { FreeTableMemory(memory, bytes); }

  RecordTable ParamTable;
  RecordTable ReadBackTable;
  std::array<int32_t, kKindCount> KindStart{};
  std::array<int32_t, kKindCount> KindEnd{};

  uint8_t CurrentSoundMode = 0;  // 0 singing, 1 dance; mirrored at address 2590
  uint8_t BassAutoControl = 0;   // mirrored at address 2591
  uint8_t EffectSubPage = 0;     // 0..2
  int32_t CurrentPage = 0;       // 0..7, page p edits menu kind p
  int16_t ModifiedFlag = kFalse;

  MenuCatalogue Menu;

  // Fills ParamTable, KindStart and KindEnd with the start-up content, copies slots 0 and 1
  // into ReadBackTable and counts the menu catalogue.
  void InitDefaults();

  // Writes a plain value at the running address, marks it valid, and advances the address.
  void SetPlain(int slot, int& address, int32_t value, bool perMode);
  // Appends `count` EQ bands (15, 10, 7, 5, or 51 for the five-band sub-woofer list).
  void AddEqBands(int slot, int& address, int count, bool perMode);

  // For every address whose slot-0 record is not PerMode, copies slot 0 over slot 1.
  static void CopyCommonToDance(RecordTable& table);

  // The slot a frame or an edit uses for this address: slot 0 for the slot-0-only kinds,
  // otherwise the current sound mode.
  int SlotFor(int address) const {
    return address >= kFirstSlotOnlyAddress ? 0 : CurrentSoundMode;
  }

  // Sets the current sound mode and mirrors it at address 2590.
  void SetCurrentSoundMode(uint8_t mode);

  // The bypass address of the page shown.
  int BypassAddress() const;
};

// "Family,kind,menuAddress" -> kind*256 + menuAddress; -1 unless there are exactly three fields
// with numeric kind and address.
int AddressFromTag(const std::string& tag);

// The frequency lists of AddEqBands, in Hz, by count (15, 10, 7, 5, 51).
const char* EqBandFrequencies(int count);

// The console's start-up content (InitDefaults), built once on first use and shared: what tells
// which addresses hold a parameter, their kinds and their start-up values. Read-only.
const Store& StartUpStore();
// Whether `address` holds a parameter (a valid record in the start-up content).
bool HoldsParam(long address);

}  // namespace mirelune
