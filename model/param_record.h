// SPDX-License-Identifier: GPL-3.0-or-later
// One record of the parameter image, and the table of them.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "model/table_memory.h"

namespace mirelune {

// 16-bit booleans as stored in records, files and control properties.
constexpr int16_t kTrue = -1;
constexpr int16_t kFalse = 0;

constexpr int kAddressCount = 3000;  // parameter addresses 0..2999
constexpr int kSlotCount = 3;        // 0 singing, 1 dance, 2 factory defaults
constexpr int kKindCount = 11;       // menu kinds 0..10
constexpr int kFirstSlotOnlyAddress = 2048;  // kinds 8..10 live in slot 0 only

// Record kinds.
enum RecordKind : uint8_t { kPlain = 0, kEqBand = 1, kHighPass = 2, kLowPass = 3 };

// Field order and widths are those of the configuration file and the undo buffer.
struct ParamRecord {
  uint8_t Kind = 0;       // RecordKind
  int32_t Value = 0;      // plain value, or filter type / frequency index
  uint8_t QType = 0;      // 0 peaking, 1 low shelf, 2 high shelf
  int32_t Freq = 0;       // FreqTable index 0..362
  int32_t Gain = 0;       // GainCode: dB*10 + 250
  int32_t Q = 0;          // QTable index 0..100
  int32_t SQ = 0;         // shelf slope, QTable index; one byte on the wire
  int16_t Valid = kFalse;
  int16_t PerMode = kFalse;
  int16_t EQDisabled = kFalse;

  bool operator==(const ParamRecord&) const = default;
};

inline int MakeAddress(int kind, int menuAddress) { return kind * 256 + menuAddress; }

// 3 slots x 3000 addresses; the slots of one address are neighbours
// (element address*3 + slot), which is also the order of the file format.
class RecordTable {
 public:
  // On the heap, in the tables' own memory (model/table_memory.h).
  static void* operator new(std::size_t bytes) { return AllocateTableMemory(bytes); }
  static void operator delete(void* memory, std::size_t bytes) { FreeTableMemory(memory, bytes); }

  static constexpr int kRecords = kAddressCount * kSlotCount;

  ParamRecord& at(int slot, int address) { return records_[index(slot, address)]; }
  const ParamRecord& at(int slot, int address) const { return records_[index(slot, address)]; }

  // Record n in file order: address n/3, slot n%3.
  ParamRecord& record(int n) { return records_.at(static_cast<size_t>(n)); }
  const ParamRecord& record(int n) const { return records_.at(static_cast<size_t>(n)); }

  void clear() { records_.fill(ParamRecord{}); }
  bool operator==(const RecordTable&) const = default;

  static bool inRange(int slot, int address) {
    return slot >= 0 && slot < kSlotCount && address >= 0 && address < kAddressCount;
  }

 private:
  static size_t index(int slot, int address) {
    if (!inRange(slot, address))
      throw std::out_of_range("parameter record out of range: slot " + std::to_string(slot) +
                              ", address " + std::to_string(address));
    return static_cast<size_t>(address) * kSlotCount + static_cast<size_t>(slot);
  }
  std::array<ParamRecord, kRecords> records_{};
};

}  // namespace mirelune
