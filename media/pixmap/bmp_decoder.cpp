// BMP decoding: 1, 4, 8, 24 and 32 bits per pixel, rows stored bottom-up.
//
// Layout read: "BM", file size, reserved, data offset, header size (ignored),
// then width, height, planes, bits per pixel, compression (ignored), image size,
// resolutions (ignored), colours used, important colours. The palette follows the
// 40-byte information header directly and the rows follow the palette; the data
// offset and the header size are not consulted.
#include <cstring>

#include "media/pixmap/decoders.h"

namespace {

constexpr size_t kFileHeader = 14;
constexpr size_t kInfoHeader = 40;

uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

// Bytes of one stored row: `bits` per pixel, padded to 4 bytes.
uint64_t StoredRowBytes(uint64_t width, int bits) { return (width * uint64_t(bits) + 31) / 32 * 4; }

}  // namespace

PixmapPtr DecodeBmp(const uint8_t* data, size_t size) {
  if (data == nullptr || size < kFileHeader + kInfoHeader || data[0] != 'B' || data[1] != 'M') return nullptr;
  const uint8_t* info = data + kFileHeader;
  const int32_t width = int32_t(U32(info + 4));
  const int32_t height = int32_t(U32(info + 8));
  const int bits = U16(info + 14);
  const uint32_t colours_used = U32(info + 32);

  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return nullptr;
  // Top-down files (negative height) and empty or oversized pictures are refused.
  if (width <= 0 || height <= 0 || !PixmapSizeAllowed(width, height)) return nullptr;

  size_t offset = kFileHeader + kInfoHeader;
  uint8_t palette[256][3] = {};  // B, G, R; entries a file does not give stay black
  if (bits <= 8) {
    const uint64_t entries = colours_used != 0 ? colours_used : (uint64_t{1} << bits);
    if (entries > 256) return nullptr;
    if (size - offset < entries * 4) return nullptr;
    for (uint64_t i = 0; i < entries; ++i) std::memcpy(palette[i], data + offset + i * 4, 3);
    offset += size_t(entries) * 4;
  }

  const uint64_t row_bytes = StoredRowBytes(uint64_t(width), bits);
  if (uint64_t(size - offset) / row_bytes < uint64_t(height)) return nullptr;  // data shorter than claimed

  PixmapPtr map = TPixmap::Create(width, height, bits == 32 ? PF_BGRA8888 : PF_BGR888);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = data + offset + uint64_t(height - 1 - y) * row_bytes;
    uint8_t* out = map->PixelPtr(0, y);
    switch (bits) {
      case 1:
      case 4:
      case 8: {
        const int per_byte = 8 / bits;
        const int index_mask = (1 << bits) - 1;
        for (int32_t x = 0; x < width; ++x, out += 3) {
          const int shift = (per_byte - 1 - x % per_byte) * bits;  // leftmost pixel in the high bits
          const int index = (row[x / per_byte] >> shift) & index_mask;
          std::memcpy(out, palette[index], 3);
        }
        break;
      }
      case 24:
        std::memcpy(out, row, size_t(width) * 3);
        break;
      case 32:
        std::memcpy(out, row, size_t(width) * 4);
        break;
    }
  }
  return map;
}
