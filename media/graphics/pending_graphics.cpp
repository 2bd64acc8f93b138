// Placeholder until the graphics context lands.
#include "media/graphics/image.h"
int g_mask[3];
void GetLoadMask(int& r, int& g, int& b) { r = g_mask[0]; g = g_mask[1]; b = g_mask[2]; }
void SetLoadMask(int r, int g, int b) { g_mask[0] = r; g_mask[1] = g; g_mask[2] = b; }
TImageFrame* TImage::Frame(int index) { CheckFrameIndex(index); return nullptr; }
