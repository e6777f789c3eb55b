#pragma once

#include <cstddef>

namespace tarnwell::soak {

// Bytes the program holds on the heap right now: glibc's malloc statistics, the Windows C
// runtime's heap walked block by block, or under AddressSanitizer, whose allocator replaces
// malloc, its own count.
std::size_t heapInUse();

}  // namespace tarnwell::soak
