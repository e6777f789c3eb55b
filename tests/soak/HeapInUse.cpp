#include "HeapInUse.h"

#if defined(__SANITIZE_ADDRESS__)
#define TARNWELL_HEAP_FROM_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARNWELL_HEAP_FROM_ASAN 1
#endif
#endif

#ifdef TARNWELL_HEAP_FROM_ASAN
// From the sanitizer runtime's allocator interface; g++ ships the runtime but not its header.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace tarnwell::soak {

std::size_t heapInUse() {
#ifdef TARNWELL_HEAP_FROM_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    // Large blocks may come from mmap or from the heap, depending on what was freed before.
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

}  // namespace tarnwell::soak
