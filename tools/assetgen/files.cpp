#include "files.h"

#include <jpeglib.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>

namespace gen {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xffff);
  Put16(b, v >> 16);
}

bool WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
  File f(std::fopen(path.c_str(), "wb"));
  if (!f) return false;
  return std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size() &&
         std::fflush(f.get()) == 0;
}

// The opaque 8-bit colour of a pixel, kept off the mask colour.
void MaskedRgb(const Px& p, uint8_t rgb[3]) {
  if (p.a < 0.5f) {
    rgb[0] = 255;
    rgb[1] = 0;
    rgb[2] = 255;
    return;
  }
  rgb[0] = Byte(p.r);
  rgb[1] = Byte(p.g);
  rgb[2] = Byte(p.b);
  if (rgb[0] == 255 && rgb[1] == 0 && rgb[2] == 255) rgb[0] = 254;
}

struct JpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};

void OnJpegError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

}  // namespace

bool WriteBmp(const std::string& path, const Canvas& cv) {
  const uint32_t row = (uint32_t(cv.w()) * 3 + 3) & ~3u;
  const uint32_t data = row * uint32_t(cv.h());
  std::vector<uint8_t> b;
  b.reserve(54 + data);
  b.push_back('B');
  b.push_back('M');
  Put32(b, 54 + data);
  Put32(b, 0);
  Put32(b, 54);
  Put32(b, 40);
  Put32(b, uint32_t(cv.w()));
  Put32(b, uint32_t(cv.h()));
  Put16(b, 1);
  Put16(b, 24);
  Put32(b, 0);
  Put32(b, data);
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, 0);
  Put32(b, 0);
  for (int y = cv.h() - 1; y >= 0; --y) {
    size_t start = b.size();
    for (int x = 0; x < cv.w(); ++x) {
      uint8_t rgb[3];
      MaskedRgb(cv.At(x, y), rgb);
      b.push_back(rgb[2]);
      b.push_back(rgb[1]);
      b.push_back(rgb[0]);
    }
    while (b.size() - start < row) b.push_back(0);
  }
  return WriteAll(path, b);
}

bool WriteJpeg(const std::string& path, const Canvas& cv, int quality) {
  File f(std::fopen(path.c_str(), "wb"));
  if (!f) return false;
  jpeg_compress_struct cinfo;
  JpegError err;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = OnJpegError;
  std::vector<uint8_t> line(size_t(cv.w()) * 3);
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, f.get());
  cinfo.image_width = JDIMENSION(cv.w());
  cinfo.image_height = JDIMENSION(cv.h());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  cinfo.dct_method = JDCT_ISLOW;
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    int y = int(cinfo.next_scanline);
    for (int x = 0; x < cv.w(); ++x) {
      const Px& p = cv.At(x, y);
      line[size_t(x) * 3] = Byte(p.r);
      line[size_t(x) * 3 + 1] = Byte(p.g);
      line[size_t(x) * 3 + 2] = Byte(p.b);
    }
    JSAMPROW rows[1] = {line.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return std::fflush(f.get()) == 0;
}

namespace {

// PNG of the canvas: RGB with transparency shown over a grey checkerboard, or
// RGBA with the canvas's own opacity.
bool WritePngAs(const std::string& path, const Canvas& cv, bool alpha) {
  File f(std::fopen(path.c_str(), "wb"));
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  const size_t channels = alpha ? 4 : 3;
  std::vector<uint8_t> line(size_t(cv.w()) * channels);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, f.get());
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, png_uint_32(cv.w()), png_uint_32(cv.h()), 8,
               alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < cv.h(); ++y) {
    for (int x = 0; x < cv.w(); ++x) {
      const Px& p = cv.At(x, y);
      uint8_t* out = &line[size_t(x) * channels];
      Col c = p.rgb();
      if (alpha) {
        out[3] = Byte(p.a);
      } else {
        float check = ((x / 8 + y / 8) % 2) ? 0.32f : 0.26f;
        c = Mix({check, check, check}, c, Clamp01(p.a));
      }
      out[0] = Byte(c.r);
      out[1] = Byte(c.g);
      out[2] = Byte(c.b);
    }
    png_write_row(png, line.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fflush(f.get()) == 0;
}

}  // namespace

bool WritePng(const std::string& path, const Canvas& cv) { return WritePngAs(path, cv, false); }
bool WritePngAlpha(const std::string& path, const Canvas& cv) { return WritePngAs(path, cv, true); }

bool WriteWav(const std::string& path, const std::vector<int16_t>& samples, int channels, int rate) {
  const uint32_t data = uint32_t(samples.size()) * 2;
  std::vector<uint8_t> b;
  b.reserve(44 + data);
  for (char c : std::string("RIFF")) b.push_back(uint8_t(c));
  Put32(b, 36 + data);
  for (char c : std::string("WAVEfmt ")) b.push_back(uint8_t(c));
  Put32(b, 16);
  Put16(b, 1);
  Put16(b, uint32_t(channels));
  Put32(b, uint32_t(rate));
  Put32(b, uint32_t(rate * channels * 2));
  Put16(b, uint32_t(channels * 2));
  Put16(b, 16);
  for (char c : std::string("data")) b.push_back(uint8_t(c));
  Put32(b, data);
  for (int16_t s : samples) Put16(b, uint16_t(s));
  return WriteAll(path, b);
}

bool WriteLines(const std::string& path, const std::vector<std::string>& lines) {
  std::vector<uint8_t> b;
  for (const std::string& l : lines) {
    b.insert(b.end(), l.begin(), l.end());
    b.push_back('\r');
    b.push_back('\n');
  }
  return WriteAll(path, b);
}

}  // namespace gen
