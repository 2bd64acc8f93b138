// Pixel maps: rectangular pixel buffers in one of six byte formats.
#pragma once

#include <cstdint>
#include <memory>

// Pixel formats. The values are the ones stored in `TPixmap::format`.
enum PixelFormat : int {
  PF_I8 = 1,        // 8-bit intensity (grey)
  PF_A8 = 2,        // 8-bit alpha only
  PF_BGR888 = 3,    // B, G, R bytes
  PF_RGB888 = 4,    // R, G, B bytes
  PF_BGRA8888 = 5,  // B, G, R, A bytes
  PF_RGBA8888 = 6,  // R, G, B, A bytes
};

// Bytes per pixel of a format; 0 for an unknown format.
int BytesPerPixel(int format);
// Bits of alpha of a format: 8 for A8, BGRA8888, RGBA8888, else 0.
int AlphaBits(int format);

// Largest pixel map the media layer will create: each side at most kMaxPixmapSide
// and at most kMaxPixmapPixels pixels in all (128 MB in a 4-byte format). Loaders
// reject anything bigger instead of trying to allocate it.
constexpr int kMaxPixmapSide = 32768;
constexpr int64_t kMaxPixmapPixels = int64_t{1} << 25;
// True when a map of that size may be created.
bool PixmapSizeAllowed(int64_t width, int64_t height);

// Colours pass between maps as 32-bit ARGB values: alpha in bits 24..31, red in
// 16..23, green in 8..15, blue in 0..7.
constexpr uint32_t MakeArgb(int a, int r, int g, int b) {
  return (uint32_t(a & 255) << 24) | (uint32_t(r & 255) << 16) | (uint32_t(g & 255) << 8) | uint32_t(b & 255);
}

// A pixel map. Pixels of row y start at `pixels + y * pitch`. A map made by
// `Create` owns its buffer, with rows aligned to 4 bytes; a map made by `Window`
// shares the buffer of the map it views (kept alive through `_source`).
class TPixmap {
 public:
  uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int pitch = 0;
  int format = 0;
  int capacity = 0;  // bytes owned by this map; -1 for a window into another map
  std::shared_ptr<uint8_t[]> _source;

  virtual ~TPixmap() = default;

  // A new map of the given size and format, rows aligned to `align` bytes,
  // cleared to zero. Throws std::invalid_argument for a negative or oversized
  // size or an unknown format.
  static std::shared_ptr<TPixmap> Create(int width, int height, int format, int align = 4);

  virtual uint8_t* PixelPtr(int x, int y) const;
  // A view of the rectangle (x, y, w, h) sharing this map's pixels. Throws
  // std::out_of_range when the rectangle is not inside the map.
  virtual std::shared_ptr<TPixmap> Window(int x, int y, int w, int h) const;
  // A new map with the same size, format and pixels (rows aligned to 4 bytes).
  virtual std::shared_ptr<TPixmap> Copy() const;
  // Copies `src` (converted to this map's format) with its top-left corner at
  // (x, y); the parts falling outside this map are left out.
  virtual void Paste(const TPixmap& src, int x, int y);
  // A new map holding these pixels in another format (a copy when it is the same).
  virtual std::shared_ptr<TPixmap> Convert(int new_format) const;
  // The pixel at (x, y) as ARGB. Formats without alpha read as alpha 255; I8
  // reads as grey; A8 reads as white with its alpha. Coordinates must be inside.
  virtual uint32_t ReadPixel(int x, int y) const;
  // Stores an ARGB value at (x, y) in this map's format (I8 keeps the mean of
  // r, g and b; A8 keeps the alpha). Coordinates must be inside.
  virtual void WritePixel(int x, int y, uint32_t argb);

  int BytesPerPixel() const { return ::BytesPerPixel(format); }
  bool HasAlpha() const { return AlphaBits(format) != 0; }
};

using PixmapPtr = std::shared_ptr<TPixmap>;

// Converts `count` pixels from one format to another.
void ConvertPixels(const uint8_t* src, int src_format, uint8_t* dst, int dst_format, int count);
