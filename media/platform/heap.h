// Heap tuning the renderer asks for.
#pragma once

#include <cstddef>

namespace platform {

// Lets the C library keep up to `bytes` of freed memory at the top of the heap
// instead of handing it back to the system at once. Mesa's software renderer
// allocates and frees tens of megabytes of command memory every frame when
// textures change often; returning it each time and faulting it back in costs
// more than the drawing itself. Does nothing where the C library has no such
// setting.
void RetainFreedHeap(size_t bytes);

}  // namespace platform
