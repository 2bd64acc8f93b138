// An image frame held by the OpenGL driver as a power-of-two texture, and the
// sheet that holds all frames of a many-frame image in one more texture.
#pragma once

#include <cstddef>
#include <memory>

#include "media/graphics/image.h"

// The frames of one image side by side in one texture, each in a cell with a
// one-texel border repeating the frame's edge pixels. Quads drawn one texel per
// pixel take their frame from here, so that a tile sheet or an animation strip
// draws from one texture; such quads sample only the texels they cover.
class TGLSheet {
 public:
  unsigned name = 0;  // GL texture
  int seq = 0;        // graphics epoch the texture belongs to
  int width = 0, height = 0;  // texture size
  int columns = 0;            // cells per row
  int cell_w = 0, cell_h = 0;  // frame size + 2

  // Queues the texture for deletion with the next texture made.
  ~TGLSheet();
  // Texel position of frame `index`'s top-left pixel.
  int FrameX(int index) const { return (index % columns) * cell_w + 1; }
  int FrameY(int index) const { return (index / columns) * cell_h + 1; }
};

class TGLImageFrame : public TImageFrame {
 public:
  // Texture coordinates of the picture inside the texture, and 1 / texture size.
  float u0 = 0, v0 = 0, u1 = 1, v1 = 1;
  float uscale = 1, vscale = 1;
  unsigned name = 0;  // GL texture; 0 when made without a GL context
  int seq = 0;        // graphics epoch the texture belongs to
  // The texture's own filtering (GL enums), and whether it is set to nearest now.
  int mag_filter = 0, min_filter = 0;
  bool nearest_now = false;
  // One texel of the texture per picture pixel (false for a picture shrunk to fit).
  bool unit_texels = false;
  int width = 0, height = 0;  // picture size
  // The sheet of the image this frame belongs to, and the frame's texel position
  // in it; null for frames drawn from their own texture only.
  std::shared_ptr<TGLSheet> sheet;
  int sheet_x = 0, sheet_y = 0;

  // Queues the texture for deletion with the next texture made.
  ~TGLImageFrame() override;
  void Draw(float x0, float y0, float x1, float y1, float tx, float ty, float sx, float sy, float sw,
            float sh) override;
};

// Textures waiting to be deleted when the next one is made.
size_t QueuedTextureDeletions();
