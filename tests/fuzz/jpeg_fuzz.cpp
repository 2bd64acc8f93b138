// Arbitrary bytes through the JPEG decoder and the loader list.
#include <cstddef>
#include <cstdint>

#include "media/pixmap/decoders.h"
#include "media/pixmap/loaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (PixmapPtr map = DecodeJpeg(data, size)) map->Convert(PF_RGBA8888);
  TMemoryStream stream(data, size);
  LoadPixmap(stream);
  return 0;
}
