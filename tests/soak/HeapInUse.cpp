#include "HeapInUse.h"

#if defined(__SANITIZE_ADDRESS__)
#define TARNWELL_HEAP_FROM_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARNWELL_HEAP_FROM_ASAN 1
#endif
#endif

#ifdef TARNWELL_HEAP_FROM_ASAN
#include <sanitizer/allocator_interface.h>
#else
#include <malloc.h>
#endif

namespace tarnwell::soak {

std::size_t heapInUse() {
#ifdef TARNWELL_HEAP_FROM_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

}  // namespace tarnwell::soak
