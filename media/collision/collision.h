// Pixel collision of images through 32 collision layers of quads.
//
// A quad is the screen rectangle an image frame covers (four corners after the
// draw origin, the image handle and the collision transform), with the frame's
// pixel map as mask when that map has alpha. Quads written to a layer stay there
// until the layer is cleared; a test scans the tested quad against every quad of
// the chosen layers, pixel row by pixel row.
#pragma once

#include <cstdint>
#include <vector>

#include "media/graphics/image.h"

constexpr int kCollisionLayers = 32;

// Sends every quad of the layers whose bit is set in `mask` back to the free list.
void ClearCollisionLayers(uint32_t mask);

// Tests the quad of frame `frame` of `image` drawn at (x, y) against the quads in
// the layers of `collide_mask`, then writes a copy of it (with `id`) into each
// layer of `write_mask`. Returns the ids of the quads hit (one entry per hit quad,
// null ids included).
std::vector<const void*> TestImageQuad(const ImageRef& image, float x, float y, int frame, uint32_t collide_mask,
                                       uint32_t write_mask, const void* id);
// The same for a solid rectangle (no handle, no mask).
std::vector<const void*> TestRectQuad(float x, float y, float w, float h, uint32_t collide_mask, uint32_t write_mask,
                                      const void* id);

// 1 when some pixel of frame1 of image1 drawn at (x1, y1) and some pixel of frame2
// of image2 drawn at (x2, y2) fall on the same screen pixel and are both solid,
// else 0. Uses collision layer 31.
int ImagesOverlap(const ImageRef& image1, int x1, int y1, int frame1, const ImageRef& image2, int x2, int y2,
                  int frame2);

// ImagesOverlap with a rotation (degrees) and x/y scale for each image: each is
// set on the renderer while its quad is made, and the renderer's rotation and
// scale are restored afterwards. Without open graphics the transforms have no
// effect (the collision transform keeps its last value).
int ImagesOverlapTransformed(const ImageRef& image1, int x1, int y1, float rot1, float sx1, float sy1, int frame1,
                             const ImageRef& image2, int x2, int y2, float rot2, float sx2, float sy2, int frame2);

// The collision transform: the renderer's rotation-and-scale matrix, copied here
// whenever the renderer recomputes it. All zero until graphics are opened.
void SetCollisionTransform(float ix, float iy, float jx, float jy);
void GetCollisionTransform(float& ix, float& iy, float& jx, float& jy);
