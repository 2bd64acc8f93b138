// Arbitrary bytes through the BMP decoder, the loader list and the masking of
// what they produce.
#include <cstddef>
#include <cstdint>

#include "media/graphics/image.h"
#include "media/pixmap/decoders.h"
#include "media/pixmap/loaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (PixmapPtr map = DecodeBmp(data, size)) {
    if (map->width > 0 && map->height > 0) {
      MaskPixmap(*map, 255, 0, 255);
      LoadImageStrip(map, 2, 2, 0, 1, 1);
    }
  }
  TMemoryStream stream(data, size);
  LoadPixmap(stream);
  return 0;
}
