// Images: one pixel map per frame, the flags and mask colour they were loaded
// with, a drawing handle, and the GPU frames made from the maps on first draw.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "media/pixmap/pixmap.h"

// Image flags.
enum ImageFlag : int {
  MASKEDIMAGE = 1,     // pixels of the mask colour become transparent
  FILTEREDIMAGE = 2,   // bilinear sampling
  MIPMAPPEDIMAGE = 4,  // mipmaps
  DYNAMICIMAGE = 8,
};

// A frame as the current 2D driver holds it (a texture for OpenGL).
class TImageFrame {
 public:
  virtual ~TImageFrame() = default;
  // Draws source rectangle (sx, sy, sw, sh) of the frame onto the quad with corners
  // (x0, y0), (x1, y0), (x1, y1), (x0, y1), transformed by the current matrix and
  // moved by (tx, ty).
  virtual void Draw(float x0, float y0, float x1, float y1, float tx, float ty, float sx, float sy, float sw,
                    float sh) = 0;
};

class TImage {
 public:
  int width = 0, height = 0;  // frame size
  int flags = 0;
  int mask_r = 0, mask_g = 0, mask_b = 0;  // mask colour captured at load
  float handle_x = 0, handle_y = 0;
  std::vector<PixmapPtr> pixmaps;                      // one per frame
  std::vector<std::shared_ptr<TImageFrame>> frames;    // GPU frames, made lazily
  std::vector<int> seqs;                               // graphics epoch of each GPU frame, 0 = none

  virtual ~TImage() = default;

  // An image of `count` frames with no pixel maps yet.
  static std::shared_ptr<TImage> Create(int width, int height, int count, int flags, int mask_r, int mask_g,
                                        int mask_b);

  int FrameCount() const { return int(pixmaps.size()); }

  // The GPU frame of frame `index`, (re)built from its pixel map when graphics were
  // opened since it was made. Null when there is no driver or it gives no frame.
  virtual TImageFrame* Frame(int index);
  // The pixel map of frame `index`; one of the image size (RGBA8888, cleared) is
  // made if the frame has none. Locking for writing drops the GPU frame, so the
  // next draw uploads the changed pixels.
  virtual PixmapPtr Lock(int index, bool read, bool write);
  // Stores a map for frame `index`; a masked image replaces a map without alpha
  // by its masked copy. The GPU frame is dropped.
  virtual void SetPixmap(int index, PixmapPtr map);

  // Throws std::out_of_range naming the image and the index when `index` is not a
  // frame of this image.
  void CheckFrameIndex(int index) const;
};

using ImageRef = std::shared_ptr<TImage>;

// The masked copy of a map: RGBA8888 where pixels of the mask colour get alpha 0
// and the mean colour of their neighbours that are not of the mask colour (black
// when there is none), every other pixel alpha 255.
PixmapPtr MaskPixmap(const TPixmap& map, int mask_r, int mask_g, int mask_b);

// Flags -1 given to a load operation stand for these (initially masked + filtered).
int AutoImageFlags();
void SetAutoImageFlags(int flags);
// When on, loading sets the handle to the centre of the frame. Initially off.
void SetAutoMidHandle(bool on);
bool AutoMidHandle();

// Loads a picture file as a one-frame image. Null when the file is missing or not
// a picture any loader understands.
ImageRef LoadImageFile(std::string_view url, int flags = -1);
ImageRef LoadImageFile(std::u16string_view url, int flags = -1);
// The same from a pixel map already in memory.
ImageRef LoadImageFile(const PixmapPtr& map, int flags = -1);
// Cuts a picture into cells of cw x ch, left to right then top to bottom, and
// makes an image of cells first .. first + count - 1. Null when the file cannot be
// loaded or holds fewer whole cells.
ImageRef LoadImageStrip(std::string_view url, int cw, int ch, int first, int count, int flags = -1);
ImageRef LoadImageStrip(std::u16string_view url, int cw, int ch, int first, int count, int flags = -1);
ImageRef LoadImageStrip(const PixmapPtr& map, int cw, int ch, int first, int count, int flags = -1);
