#include "media/graphics/image.h"

#include <stdexcept>

#include "media/core/module_state.h"
#include "media/graphics/graphics.h"
#include "media/graphics/renderer.h"
#include "media/pixmap/loaders.h"

namespace {

// What loading does when the caller does not say.
struct LoadDefaults {
  int image_flags = MASKEDIMAGE | FILTEREDIMAGE;
  bool mid_handle = false;
};

LoadDefaults& Defaults() { return core::ModuleState<LoadDefaults>(); }

int ResolveFlags(int flags) { return flags == -1 ? Defaults().image_flags : flags; }

}  // namespace

int AutoImageFlags() { return Defaults().image_flags; }
void SetAutoImageFlags(int flags) { Defaults().image_flags = flags; }
void SetAutoMidHandle(bool on) { Defaults().mid_handle = on; }
bool AutoMidHandle() { return Defaults().mid_handle; }

std::shared_ptr<TImage> TImage::Create(int width, int height, int count, int flags, int mask_r, int mask_g,
                                       int mask_b) {
  if (count < 0) throw std::invalid_argument("Image frame count " + std::to_string(count) + " is negative");
  auto image = std::make_shared<TImage>();
  image->width = width;
  image->height = height;
  image->flags = flags;
  image->mask_r = mask_r;
  image->mask_g = mask_g;
  image->mask_b = mask_b;
  image->pixmaps.resize(size_t(count));
  image->frames.resize(size_t(count));
  image->seqs.assign(size_t(count), 0);
  return image;
}

void TImage::CheckFrameIndex(int index) const {
  if (index < 0 || index >= FrameCount()) {
    throw std::out_of_range("Frame index " + std::to_string(index) + " outside image of " +
                            std::to_string(FrameCount()) + " frame(s) of " + std::to_string(width) + "x" +
                            std::to_string(height));
  }
}

TImageFrame* TImage::Frame(int index) {
  CheckFrameIndex(index);
  const size_t i = size_t(index);
  if (seqs[i] != graphics_epoch()) {
    // Made under other graphics (or never): build it for the current driver.
    frames[i].reset();
    seqs[i] = 0;
    if (TPlanoDriver* driver = CurrentPlanoDriver()) {
      frames[i] = driver->CreateImageFrame(*this, index);
      if (frames[i]) seqs[i] = graphics_epoch();
    }
  }
  return frames[i].get();
}

std::shared_ptr<TImageFrame> TPlanoDriver::CreateImageFrame(TImage& image, int index) {
  return CreateFrameFromPixmap(*image.Lock(index, true, false), image.flags);
}

PixmapPtr TImage::Lock(int index, bool /*read*/, bool write) {
  CheckFrameIndex(index);
  if (write) {
    frames[size_t(index)].reset();
    seqs[size_t(index)] = 0;
  }
  PixmapPtr& map = pixmaps[size_t(index)];
  if (!map) map = TPixmap::Create(width, height, PF_RGBA8888);
  return map;
}

void TImage::SetPixmap(int index, PixmapPtr map) {
  CheckFrameIndex(index);
  if (map && (flags & MASKEDIMAGE) && !map->HasAlpha()) map = MaskPixmap(*map, mask_r, mask_g, mask_b);
  pixmaps[size_t(index)] = std::move(map);
  frames[size_t(index)].reset();
  seqs[size_t(index)] = 0;
}

PixmapPtr MaskPixmap(const TPixmap& map, int mask_r, int mask_g, int mask_b) {
  const PixmapPtr src = map.format == PF_RGBA8888 ? nullptr : map.Convert(PF_RGBA8888);
  const TPixmap& in = src ? *src : map;
  PixmapPtr out = TPixmap::Create(in.width, in.height, PF_RGBA8888);
  const auto is_mask = [&](const uint8_t* p) { return p[0] == mask_r && p[1] == mask_g && p[2] == mask_b; };
  for (int y = 0; y < in.height; ++y) {
    const uint8_t* s = in.PixelPtr(0, y);
    uint8_t* d = out->PixelPtr(0, y);
    for (int x = 0; x < in.width; ++x, s += 4, d += 4) {
      if (!is_mask(s)) {
        d[0] = s[0], d[1] = s[1], d[2] = s[2], d[3] = 255;
        continue;
      }
      // A transparent pixel takes the mean colour of its visible neighbours, so
      // filtering at the edge of the visible area never blends in the mask colour.
      int sum[3] = {0, 0, 0}, n = 0;
      for (int ny = y - 1; ny <= y + 1; ++ny) {
        if (ny < 0 || ny >= in.height) continue;
        for (int nx = x - 1; nx <= x + 1; ++nx) {
          if (nx < 0 || nx >= in.width || (nx == x && ny == y)) continue;
          const uint8_t* q = in.PixelPtr(nx, ny);
          if (is_mask(q)) continue;
          sum[0] += q[0], sum[1] += q[1], sum[2] += q[2];
          ++n;
        }
      }
      for (int c = 0; c < 3; ++c) d[c] = uint8_t(n ? sum[c] / n : 0);
      d[3] = 0;
    }
  }
  return out;
}

ImageRef LoadImageFile(const PixmapPtr& map, int flags) {
  if (!map) return nullptr;
  int mr, mg, mb;
  GetLoadMask(mr, mg, mb);
  ImageRef image = TImage::Create(map->width, map->height, 1, ResolveFlags(flags), mr, mg, mb);
  image->SetPixmap(0, map);
  if (Defaults().mid_handle) {
    image->handle_x = float(image->width) * 0.5f;
    image->handle_y = float(image->height) * 0.5f;
  }
  return image;
}

ImageRef LoadImageStrip(const PixmapPtr& map, int cw, int ch, int first, int count, int flags) {
  if (!map || cw <= 0 || ch <= 0 || first < 0 || count < 0) return nullptr;
  const int across = map->width / cw;
  const int64_t cells = int64_t(across) * (map->height / ch);
  if (cells < int64_t(first) + count) return nullptr;
  int mr, mg, mb;
  GetLoadMask(mr, mg, mb);
  ImageRef image = TImage::Create(cw, ch, count, ResolveFlags(flags), mr, mg, mb);
  for (int cell = first; cell < first + count; ++cell) {
    const int column = cell % across, row = cell / across;
    image->SetPixmap(cell - first, map->Window(cw * column, ch * row, cw, ch)->Copy());
  }
  if (Defaults().mid_handle) {
    image->handle_x = float(cw) * 0.5f;
    image->handle_y = float(ch) * 0.5f;
  }
  return image;
}

ImageRef LoadImageFile(std::u16string_view url, int flags) { return LoadImageFile(LoadPixmap(url), flags); }
ImageRef LoadImageFile(std::string_view url, int flags) { return LoadImageFile(LoadPixmap(url), flags); }

ImageRef LoadImageStrip(std::u16string_view url, int cw, int ch, int first, int count, int flags) {
  return LoadImageStrip(LoadPixmap(url), cw, ch, first, count, flags);
}
ImageRef LoadImageStrip(std::string_view url, int cw, int ch, int first, int count, int flags) {
  return LoadImageStrip(LoadPixmap(url), cw, ch, first, count, flags);
}
