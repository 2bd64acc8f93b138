#include "media/pixmap/pixmap.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

int BytesPerPixel(int format) {
  switch (format) {
    case PF_I8:
    case PF_A8:
      return 1;
    case PF_BGR888:
    case PF_RGB888:
      return 3;
    case PF_BGRA8888:
    case PF_RGBA8888:
      return 4;
    default:
      return 0;
  }
}

int AlphaBits(int format) {
  return (format == PF_A8 || format == PF_BGRA8888 || format == PF_RGBA8888) ? 8 : 0;
}

bool PixmapSizeAllowed(int64_t width, int64_t height) {
  return width >= 0 && height >= 0 && width <= kMaxPixmapSide && height <= kMaxPixmapSide &&
         width * height <= kMaxPixmapPixels;
}

namespace {

inline uint32_t ReadAt(const uint8_t* p, int format) {
  switch (format) {
    case PF_I8:
      return MakeArgb(255, p[0], p[0], p[0]);
    case PF_A8:
      return MakeArgb(p[0], 255, 255, 255);
    case PF_BGR888:
      return MakeArgb(255, p[2], p[1], p[0]);
    case PF_RGB888:
      return MakeArgb(255, p[0], p[1], p[2]);
    case PF_BGRA8888:
      return MakeArgb(p[3], p[2], p[1], p[0]);
    case PF_RGBA8888:
      return MakeArgb(p[3], p[0], p[1], p[2]);
    default:
      return 0;
  }
}

inline void WriteAt(uint8_t* p, int format, uint32_t argb) {
  const uint8_t a = uint8_t(argb >> 24), r = uint8_t(argb >> 16), g = uint8_t(argb >> 8), b = uint8_t(argb);
  switch (format) {
    case PF_I8:
      p[0] = uint8_t((r + g + b) / 3);
      break;
    case PF_A8:
      p[0] = a;
      break;
    case PF_BGR888:
      p[0] = b, p[1] = g, p[2] = r;
      break;
    case PF_RGB888:
      p[0] = r, p[1] = g, p[2] = b;
      break;
    case PF_BGRA8888:
      p[0] = b, p[1] = g, p[2] = r, p[3] = a;
      break;
    case PF_RGBA8888:
      p[0] = r, p[1] = g, p[2] = b, p[3] = a;
      break;
    default:
      break;
  }
}

void CheckInside(const TPixmap& map, int x, int y) {
  if (x < 0 || y < 0 || x >= map.width || y >= map.height) {
    throw std::out_of_range("Pixel (" + std::to_string(x) + "," + std::to_string(y) + ") outside pixmap of " +
                            std::to_string(map.width) + "x" + std::to_string(map.height));
  }
}

}  // namespace

void ConvertPixels(const uint8_t* src, int src_format, uint8_t* dst, int dst_format, int count) {
  if (src_format == dst_format) {
    std::memmove(dst, src, size_t(count) * size_t(BytesPerPixel(src_format)));
    return;
  }
  // The conversions met when loading and uploading get direct loops.
  if (dst_format == PF_RGBA8888) {
    switch (src_format) {
      case PF_BGR888:
        for (int i = 0; i < count; ++i, src += 3, dst += 4) dst[0] = src[2], dst[1] = src[1], dst[2] = src[0], dst[3] = 255;
        return;
      case PF_RGB888:
        for (int i = 0; i < count; ++i, src += 3, dst += 4) dst[0] = src[0], dst[1] = src[1], dst[2] = src[2], dst[3] = 255;
        return;
      case PF_BGRA8888:
        for (int i = 0; i < count; ++i, src += 4, dst += 4) dst[0] = src[2], dst[1] = src[1], dst[2] = src[0], dst[3] = src[3];
        return;
      default:
        break;
    }
  }
  const int sb = BytesPerPixel(src_format), db = BytesPerPixel(dst_format);
  for (int i = 0; i < count; ++i, src += sb, dst += db) WriteAt(dst, dst_format, ReadAt(src, src_format));
}

std::shared_ptr<TPixmap> TPixmap::Create(int width, int height, int format, int align) {
  const int bpp = ::BytesPerPixel(format);
  if (bpp == 0) throw std::invalid_argument("Unknown pixel format " + std::to_string(format));
  if (!PixmapSizeAllowed(width, height)) {
    throw std::invalid_argument("Pixmap size " + std::to_string(width) + "x" + std::to_string(height) +
                                " out of range");
  }
  if (align < 1) align = 1;
  auto map = std::make_shared<TPixmap>();
  map->width = width;
  map->height = height;
  map->format = format;
  map->pitch = (width * bpp + align - 1) / align * align;
  map->capacity = map->pitch * height;
  // At least one byte, so even an empty map has a valid pixel pointer.
  map->_source = std::shared_ptr<uint8_t[]>(new uint8_t[size_t(std::max(map->capacity, 1))]());
  map->pixels = map->_source.get();
  return map;
}

uint8_t* TPixmap::PixelPtr(int x, int y) const {
  return pixels + ptrdiff_t(y) * pitch + ptrdiff_t(x) * BytesPerPixel();
}

std::shared_ptr<TPixmap> TPixmap::Window(int x, int y, int w, int h) const {
  if (x < 0 || y < 0 || w < 0 || h < 0 || x > width - w || y > height - h) {
    throw std::out_of_range("Pixmap window (" + std::to_string(x) + "," + std::to_string(y) + "," +
                            std::to_string(w) + "," + std::to_string(h) + ") outside pixmap of " +
                            std::to_string(width) + "x" + std::to_string(height));
  }
  auto view = std::make_shared<TPixmap>();
  view->pixels = PixelPtr(x, y);
  view->width = w;
  view->height = h;
  view->pitch = pitch;
  view->format = format;
  view->capacity = -1;
  view->_source = _source;
  return view;
}

std::shared_ptr<TPixmap> TPixmap::Copy() const {
  auto copy = Create(width, height, format);
  const size_t row = size_t(width) * size_t(BytesPerPixel());
  for (int y = 0; y < height; ++y) std::memcpy(copy->PixelPtr(0, y), PixelPtr(0, y), row);
  return copy;
}

void TPixmap::Paste(const TPixmap& src, int x, int y) {
  // Clip the source rectangle to this map.
  const int sx = std::max(0, -x), sy = std::max(0, -y);
  const int dx = std::max(0, x), dy = std::max(0, y);
  const int w = std::min(src.width - sx, width - dx), h = std::min(src.height - sy, height - dy);
  if (w <= 0 || h <= 0) return;
  for (int row = 0; row < h; ++row) {
    ConvertPixels(src.PixelPtr(sx, sy + row), src.format, PixelPtr(dx, dy + row), format, w);
  }
}

std::shared_ptr<TPixmap> TPixmap::Convert(int new_format) const {
  if (new_format == format) return Copy();
  auto out = Create(width, height, new_format);
  for (int y = 0; y < height; ++y) ConvertPixels(PixelPtr(0, y), format, out->PixelPtr(0, y), new_format, width);
  return out;
}

uint32_t TPixmap::ReadPixel(int x, int y) const {
  CheckInside(*this, x, y);
  return ReadAt(PixelPtr(x, y), format);
}

void TPixmap::WritePixel(int x, int y, uint32_t argb) {
  CheckInside(*this, x, y);
  WriteAt(PixelPtr(x, y), format, argb);
}
