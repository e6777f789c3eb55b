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
#elif defined(__GLIBC__)
#include <malloc.h>
#elif defined(_WIN32)
#include <malloc.h>  // _heapwalk
#else
#error "no heap measure for this C library yet: add one to heapInUse()"
#endif

namespace tarnwell::soak {

std::size_t heapInUse() {
#ifdef TARNWELL_HEAP_FROM_ASAN
    return __sanitizer_get_current_allocated_bytes();
#elif defined(__GLIBC__)
    // Large blocks may come from mmap or from the heap, depending on what was freed before.
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#else
    // The C runtime's heap, block by block: slow, but the soak asks only at a few checkpoints.
    std::size_t used = 0;
    _HEAPINFO entry{};
    while (_heapwalk(&entry) == _HEAPOK) {
        if (entry._useflag == _USEDENTRY) {
            used += entry._size;
        }
    }
    return used;
#endif
}

}  // namespace tarnwell::soak
