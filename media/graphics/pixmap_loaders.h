// Pixel-map loaders: decoders for the picture files the game ships with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "media/graphics/pixmap.h"
#include "media/text/streams.h"

// Decode a whole file held in memory. Each returns null when the bytes are not a
// picture of its kind or are truncated, corrupt or absurdly large; none of them
// reads outside [data, data + size) or allocates more than the picture needs.
PixmapPtr DecodeBmp(const uint8_t* data, size_t size);   // BGR888, or BGRA8888 for 32 bits
PixmapPtr DecodeJpeg(const uint8_t* data, size_t size);  // I8 or RGB888

// A pixel-map loader. Loaders form a list tried in turn on the same stream; each
// new loader goes to the front.
class TPixmapLoader {
 public:
  TPixmapLoader* _succ = nullptr;
  virtual ~TPixmapLoader() = default;
  // Decodes from the stream's current position; null when the data is not a
  // picture this loader understands. May throw (stream errors); the caller
  // counts that as "not recognised".
  virtual PixmapPtr LoadPixmap(TStream& stream) = 0;
};

// Puts a loader at the front of the list (moves it there when it is in the list
// already). The list does not own it; it must live as long as loading may happen.
void RegisterPixmapLoader(TPixmapLoader* loader);
// The first loader of the list (the BMP and JPEG loaders are always in it).
TPixmapLoader* PixmapLoaders();

// Tries every loader on the stream from its current position, seeking back there
// before each. Null when none recognises the data.
PixmapPtr LoadPixmap(TStream& stream);
// Opens the url for reading, loads it and closes it. Null when the file cannot be
// opened or decoded.
PixmapPtr LoadPixmap(std::string_view url);
PixmapPtr LoadPixmap(std::u16string_view url);
