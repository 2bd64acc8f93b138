#include "support/picture_files.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include <jpeglib.h>

namespace testpics {
namespace {

void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

}  // namespace

std::vector<uint8_t> EncodeBmp(const BmpSpec& bmp) {
  const int bits = bmp.bits;
  const size_t row_bytes = (size_t(bmp.width) * size_t(bits) + 31) / 32 * 4;
  const size_t palette_bytes = bits <= 8 ? bmp.palette.size() * 4 : 0;
  const size_t data_offset = 54 + palette_bytes;
  std::vector<uint8_t> b;
  b.push_back('B');
  b.push_back('M');
  Put32(b, uint32_t(data_offset + row_bytes * size_t(bmp.height)));
  Put32(b, 0);
  Put32(b, uint32_t(data_offset));
  Put32(b, 40);
  Put32(b, uint32_t(bmp.width));
  Put32(b, uint32_t(bmp.height));
  Put16(b, 1);
  Put16(b, uint32_t(bits));
  Put32(b, 0);  // compression
  Put32(b, uint32_t(row_bytes * size_t(bmp.height)));
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, bmp.colours_used);
  Put32(b, 0);
  if (bits <= 8) {
    for (uint32_t c : bmp.palette) {
      b.push_back(uint8_t(c));
      b.push_back(uint8_t(c >> 8));
      b.push_back(uint8_t(c >> 16));
      b.push_back(0);
    }
  }
  for (int y = bmp.height - 1; y >= 0; --y) {
    std::vector<uint8_t> row(row_bytes, 0);
    for (int x = 0; x < bmp.width; ++x) {
      const uint32_t p = bmp.pixels.at(size_t(y) * size_t(bmp.width) + size_t(x));
      switch (bits) {
        case 1:
        case 4:
        case 8: {
          const int per_byte = 8 / bits;
          const int shift = (per_byte - 1 - x % per_byte) * bits;
          row[size_t(x / per_byte)] |= uint8_t((p & ((1u << bits) - 1)) << shift);
          break;
        }
        case 24:
          row[size_t(x) * 3 + 0] = uint8_t(p);
          row[size_t(x) * 3 + 1] = uint8_t(p >> 8);
          row[size_t(x) * 3 + 2] = uint8_t(p >> 16);
          break;
        case 32:
          row[size_t(x) * 4 + 0] = uint8_t(p);
          row[size_t(x) * 4 + 1] = uint8_t(p >> 8);
          row[size_t(x) * 4 + 2] = uint8_t(p >> 16);
          row[size_t(x) * 4 + 3] = uint8_t(p >> 24);
          break;
        default:
          throw std::invalid_argument("EncodeBmp: unsupported depth");
      }
    }
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

std::vector<uint8_t> Bmp24(int w, int h, const std::function<uint32_t(int, int)>& rgb) {
  BmpSpec s{w, h, 24, {}, {}};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) s.pixels.push_back(rgb(x, y));
  return EncodeBmp(s);
}

std::vector<uint8_t> EncodeJpeg(int width, int height, int components, const std::vector<uint8_t>& samples,
                                int quality, bool progressive) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long out_size = 0;
  jpeg_mem_dest(&cinfo, &out, &out_size);
  cinfo.image_width = JDIMENSION(width);
  cinfo.image_height = JDIMENSION(height);
  cinfo.input_components = components;
  cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  if (progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(samples.data() + size_t(cinfo.next_scanline) * size_t(width) * size_t(components));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<uint8_t> bytes(out, out + out_size);
  jpeg_destroy_compress(&cinfo);
  std::free(out);
  return bytes;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(f);
}

}  // namespace testpics
