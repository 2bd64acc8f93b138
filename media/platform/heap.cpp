#include "media/platform/heap.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <climits>

namespace platform {

void RetainFreedHeap(size_t bytes) {
#if defined(__GLIBC__)
  mallopt(M_TRIM_THRESHOLD, bytes > size_t(INT_MAX) ? INT_MAX : int(bytes));
#else
  (void)bytes;
#endif
}

}  // namespace platform
