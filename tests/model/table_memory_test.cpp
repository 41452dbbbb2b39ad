// SPDX-License-Identifier: GPL-3.0-or-later
// The tables' own memory: tables and stores made and freed in any order never share a byte, and
// freed memory is used again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "model/param_record.h"
#include "model/store.h"

namespace mirelune {
namespace {

struct Span {
  std::uintptr_t first, end;
};

bool Overlap(const Span& a, const Span& b) { return a.first < b.end && b.first < a.end; }

TEST(TableMemory, TablesAndStoresMadeAndFreedInAnyOrderNeverOverlap) {
  std::mt19937 random(7);
  std::vector<std::unique_ptr<RecordTable>> tables;
  std::vector<std::unique_ptr<Store>> stores;
  for (int step = 0; step < 400; ++step) {
    switch (random() % 4) {
      case 0: tables.push_back(std::make_unique<RecordTable>()); break;
      case 1: stores.push_back(std::make_unique<Store>()); break;
      case 2:
        if (!tables.empty()) tables.erase(tables.begin() + static_cast<long>(random() % tables.size()));
        break;
      default:
        if (!stores.empty()) stores.erase(stores.begin() + static_cast<long>(random() % stores.size()));
    }
    std::vector<Span> spans;
    for (const auto& t : tables)
      spans.push_back({reinterpret_cast<std::uintptr_t>(t.get()), reinterpret_cast<std::uintptr_t>(t.get()) + sizeof(RecordTable)});
    for (const auto& s : stores)
      spans.push_back({reinterpret_cast<std::uintptr_t>(s.get()), reinterpret_cast<std::uintptr_t>(s.get()) + sizeof(Store)});
    for (size_t i = 0; i < spans.size(); ++i)
      for (size_t j = i + 1; j < spans.size(); ++j)
        ASSERT_FALSE(Overlap(spans[i], spans[j])) << "step " << step << ": two live tables share memory";
    // Each table holds what was written to it, untouched by the others.
    for (size_t i = 0; i < tables.size(); ++i) tables[i]->record(static_cast<int>(i) % RecordTable::kRecords).Value = static_cast<int32_t>(i + 1);
    for (size_t i = 0; i < tables.size(); ++i)
      ASSERT_EQ(tables[i]->record(static_cast<int>(i) % RecordTable::kRecords).Value, static_cast<int32_t>(i + 1));
  }
}

TEST(TableMemory, AFreedTablesMemoryIsUsedAgain) {
  // Made and freed a thousand times, a store lives in a handful of places, not in a thousand
  // new ones (freed memory that is never used again grows a long-running console).
  std::vector<const void*> places;
  for (int round = 0; round < 1000; ++round) {
    auto store = std::make_unique<Store>();
    auto table = std::make_unique<RecordTable>();
    for (const void* p : {static_cast<const void*>(store.get()), static_cast<const void*>(table.get())})
      if (std::find(places.begin(), places.end(), p) == places.end()) places.push_back(p);
  }
  EXPECT_LE(places.size(), 4u);
}

}  // namespace
}  // namespace mirelune
