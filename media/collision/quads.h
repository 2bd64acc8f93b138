// The quads of the collision layers, and the test of two quads against each
// other that ImagesOverlap and the layer tests are built on.
#pragma once

#include <cstdint>

#include "media/pixmap/pixmap.h"

class TQuad {
 public:
  TQuad* link = nullptr;      // next quad in a layer or in the free list
  const void* id = nullptr;   // reported when this quad is hit
  PixmapPtr mask;             // the frame's pixel map, or null for a solid rectangle
  int frame = 0;
  float minx = 0, miny = 0, maxx = 0, maxy = 0;  // bounding box of the corners
  float xyuv[16] = {};        // four vertices: x, y, u, v each
  // An image or rectangle quad under the identity transform on whole pixels also
  // keeps its exact pixel rectangle [left, right) x [top, bottom): the float
  // corners lose whole pixels beyond 2^24. SetCoords clears it.
  bool whole = false;
  int64_t left = 0, top = 0, right = 0, bottom = 0;

  virtual ~TQuad() = default;
  // Stores the corners with texture coordinates (0,0), (1,0), (1,1), (0,1) and
  // computes the bounding box.
  virtual void SetCoords(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3);
};

// The general polygon scan of two quads, without the shortcut for axis-aligned
// quads on whole pixels. Exposed so tests can hold the two against each other.
bool QuadsCollideByScan(const TQuad& a, const TQuad& b);
// The decision TestQuad uses: the shortcut when both quads allow it, else the scan.
bool QuadsCollide(const TQuad& a, const TQuad& b);
