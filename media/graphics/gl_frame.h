// An image frame held by the OpenGL driver as a power-of-two texture.
#pragma once

#include <cstddef>

#include "media/graphics/image.h"

class TGLImageFrame : public TImageFrame {
 public:
  // Texture coordinates of the picture inside the texture, and 1 / texture size.
  float u0 = 0, v0 = 0, u1 = 1, v1 = 1;
  float uscale = 1, vscale = 1;
  unsigned name = 0;  // GL texture; 0 when made without a GL context
  int seq = 0;        // graphics epoch the texture belongs to

  // Queues the texture for deletion with the next texture made.
  ~TGLImageFrame() override;
  void Draw(float x0, float y0, float x1, float y1, float tx, float ty, float sx, float sy, float sw,
            float sh) override;
};

// Textures waiting to be deleted when the next one is made.
size_t QueuedTextureDeletions();
