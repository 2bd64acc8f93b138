// The decoders behind the built-in pixel-map loaders, for whole files held in
// memory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "media/pixmap/pixmap.h"

// Each returns null when the bytes are not a picture of its kind or are
// truncated, corrupt or absurdly large; none of them reads outside
// [data, data + size) or allocates more than the picture needs.
PixmapPtr DecodeBmp(const uint8_t* data, size_t size);   // BGR888, or BGRA8888 for 32 bits
PixmapPtr DecodeJpeg(const uint8_t* data, size_t size);  // I8 or RGB888
