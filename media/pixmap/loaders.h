// Pixel-map loaders: readers of picture files, tried in turn on a stream. The
// BMP and JPEG loaders are built in.
#pragma once

#include <string_view>

#include "media/files/streams.h"
#include "media/pixmap/pixmap.h"

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
