// SPDX-License-Identifier: GPL-3.0-or-later
// Where the parameter tables live. A RecordTable is 324 kB and a Store 648 kB; a short command
// makes three of them, and faulting their pages in one by one cost more than all its own work
// (on a virtual machine, about 4 ms of CPU for 1.6 MB against 0.2 ms on a huge page).
// They are placed in 2 MiB chunks that the kernel is asked to back with huge pages (Linux,
// transparent huge pages on "madvise" or "always"), in 64 kB units, and a freed table's units
// are used again. Elsewhere, or when no chunk can be mapped, they come from operator new.
#pragma once

#include <cstddef>

namespace mirelune {

void* AllocateTableMemory(std::size_t bytes);
void FreeTableMemory(void* memory, std::size_t bytes);

// A block of its own for a large buffer (an image of a whole graph, say), in whole 2 MiB
// pages that the kernel is asked to back with huge pages: writing a fresh 3 MB image otherwise
// faults in some 700 small pages. Elsewhere, or when it cannot be mapped, from operator new.
// Free it with the same size.
void* AllocateLargeMemory(std::size_t bytes);
void FreeLargeMemory(void* memory, std::size_t bytes);

}  // namespace mirelune
