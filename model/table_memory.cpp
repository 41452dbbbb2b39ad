// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/table_memory.h"

#include <cstdint>
#include <mutex>
#include <new>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace mirelune {
namespace {

constexpr std::size_t kChunk = std::size_t{2} << 20;
constexpr std::size_t kUnit = std::size_t{64} << 10;
constexpr std::size_t kUnits = kChunk / kUnit;  // 32: one bit each in `used`
static_assert(kUnits == 32);

struct Chunk {
  char* base;
  std::uint32_t used;  // bit i: unit i is taken
};

std::mutex& Lock() {
  static std::mutex lock;
  return lock;
}

// Never destroyed: tables may be freed by other static objects' destructors.
std::vector<Chunk>& Chunks() {
  static auto* chunks = new std::vector<Chunk>;
  return *chunks;
}

// `bytes` (a multiple of 2 MiB) on a 2 MiB boundary, advised to be huge pages; nullptr when
// none.
char* MapHuge(std::size_t bytes) {
#if defined(__linux__)
  void* raw = ::mmap(nullptr, bytes + kChunk, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t aligned = (start + kChunk - 1) & ~(std::uintptr_t{kChunk} - 1);
  if (aligned > start) ::munmap(raw, aligned - start);
  const std::uintptr_t end = start + bytes + kChunk;
  if (end > aligned + bytes) ::munmap(reinterpret_cast<void*>(aligned + bytes), end - (aligned + bytes));
  ::madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);
  return reinterpret_cast<char*>(aligned);
#else
  (void)bytes;
  return nullptr;
#endif
}

char* MapChunk() { return MapHuge(kChunk); }

std::size_t WholeChunks(std::size_t bytes) { return (bytes + kChunk - 1) / kChunk * kChunk; }

std::uint32_t Run(std::size_t first, std::size_t count) {
  const std::uint32_t ones = count >= 32 ? ~std::uint32_t{0} : (std::uint32_t{1} << count) - 1;
  return ones << first;
}

}  // namespace

void* AllocateTableMemory(std::size_t bytes) {
  const std::size_t units = (bytes + kUnit - 1) / kUnit;
  if (units >= 1 && units <= kUnits) {
    std::lock_guard<std::mutex> guard(Lock());
    for (Chunk& c : Chunks())
      for (std::size_t first = 0; first + units <= kUnits; ++first)
        if ((c.used & Run(first, units)) == 0) {
          c.used |= Run(first, units);
          return c.base + first * kUnit;
        }
    if (char* base = MapChunk()) {
      Chunks().push_back({base, Run(0, units)});
      return base;
    }
  }
  return ::operator new(bytes);
}

void FreeTableMemory(void* memory, std::size_t bytes) {
  if (!memory) return;
  {
    std::lock_guard<std::mutex> guard(Lock());
    const char* p = static_cast<const char*>(memory);
    for (Chunk& c : Chunks())
      if (p >= c.base && p < c.base + kChunk) {
        const std::size_t first = static_cast<std::size_t>(p - c.base) / kUnit;
        c.used &= ~Run(first, (bytes + kUnit - 1) / kUnit);
        return;
      }
  }
  ::operator delete(memory);
}

}  // namespace mirelune

namespace mirelune {

// The blocks AllocateLargeMemory mapped (the others came from operator new); a program holds a
// few large images at most.
namespace {
std::vector<void*>& LargeBlocks() {
  static auto* blocks = new std::vector<void*>;
  return *blocks;
}
}  // namespace

void* AllocateLargeMemory(std::size_t bytes) {
  if (bytes == 0) return nullptr;
  if (char* block = MapHuge(WholeChunks(bytes))) {
    std::lock_guard<std::mutex> guard(Lock());
    LargeBlocks().push_back(block);
    return block;
  }
  return ::operator new(bytes);
}

void FreeLargeMemory(void* memory, std::size_t bytes) {
  if (!memory) return;
  {
    std::lock_guard<std::mutex> guard(Lock());
    std::vector<void*>& blocks = LargeBlocks();
    for (auto it = blocks.begin(); it != blocks.end(); ++it)
      if (*it == memory) {
        blocks.erase(it);
#if defined(__linux__)
        ::munmap(memory, WholeChunks(bytes));
#endif
        return;
      }
  }
  ::operator delete(memory);
}

}  // namespace mirelune
