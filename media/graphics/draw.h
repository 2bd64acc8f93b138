// Drawing images and rectangles with the current renderer state (colour, alpha,
// blend, origin, transform, viewport).
#pragma once

#include "media/graphics/image.h"

// Frame `frame` of the image with its handle at (x, y) plus the draw origin.
void DrawImageAt(const ImageRef& image, float x, float y, int frame = 0);
// The whole frame stretched to w x h.
void DrawImageScaled(const ImageRef& image, float x, float y, float w, float h, int frame = 0);
// The frame repeated over the whole viewport, aligned so that one tile would sit
// at (x, y) plus the origin minus the image handle.
void FillTiled(const ImageRef& image, float x, float y, int frame = 0);
// A rectangle in the current colour; the renderer's draw handle applies.
void DrawRect(float x, float y, float w, float h);
