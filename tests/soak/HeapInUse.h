#pragma once

#include <cstddef>

namespace tarnwell::soak {

// Bytes the program holds on the heap right now: the malloc statistics, or under
// AddressSanitizer, whose allocator replaces malloc, its own count.
std::size_t heapInUse();

}  // namespace tarnwell::soak
