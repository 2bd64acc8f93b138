// The graphics context: opening the program's graphics, the renderer state
// setters and getters, frame presentation with its pacing, and the clock. The
// drivers and the renderer state record behind it are in renderer.h.
#pragma once

#include <memory>
#include <string>

class TImageFont;      // an image font (fonts)
class TPlanoGraphics;  // the renderer state (renderer.h)

// Graphics flags.
constexpr int GRAPHICS_BACKBUFFER = 2;
constexpr int GRAPHICS_ALPHABUFFER = 4;
constexpr int GRAPHICS_DEPTHBUFFER = 8;
constexpr int GRAPHICS_STENCILBUFFER = 16;
constexpr int GRAPHICS_ACCUMBUFFER = 32;

// Caption of windows created from now on.
void SetAppTitle(const std::string& title);
const std::string& AppTitle();

// Opens the program's graphics: depth 0 is a window, hertz > 0 paces Flip -1.
// Returns null when no window or context can be made.
std::shared_ptr<TPlanoGraphics> OpenGraphics(int width, int height, int depth = 0, int hertz = 0, int flags = 0);
// Closes the graphics OpenGraphics opened (also done at program exit).
void CloseGraphics();
int graphics_width();
int graphics_height();
int graphics_depth();
int graphics_hertz();
int graphics_flags();

void Cls();
// Presents the frame: sync 0 no vsync, 1 vsync, -1 as set up by OpenGraphics.
// With -1 and no rate of its own, a frame presented without a tick wait since
// the previous one may be held by a real window to 16 ms after it, unless the
// player's settings turn that off (see platform/frame_limit.h).
void Flip(int sync = -1);
// Milliseconds from the platform's monotonic clock, wrapping at 2^32.
int ElapsedMillis();

// State setters: they store into the current renderer state and tell the driver.
// Without open graphics they change nothing.
void SetColor(int red, int green, int blue);
void SetAlpha(float alpha);
void SetBlend(int mode);
void SetClsColor(int red, int green, int blue);
void SetLineWidth(float width);
void SetViewport(int x, int y, int width, int height);
void SetDrawOrigin(float x, float y);
void SetDrawHandle(float x, float y);
void SetDrawRotation(float degrees);
void SetDrawScale(float x, float y);
void SetDrawTransform(float degrees, float scale_x, float scale_y);
void SetVirtualSize(float width, float height);
void UseFont(std::shared_ptr<TImageFont> font);

void GetColor(int& red, int& green, int& blue);
float GetAlpha();
int GetBlend();
void GetClsColor(int& red, int& green, int& blue);
float GetLineWidth();
void GetViewport(int& x, int& y, int& width, int& height);
void GetDrawOrigin(float& x, float& y);
void GetDrawHandle(float& x, float& y);
float GetDrawRotation();
void GetDrawScale(float& x, float& y);
void GetVirtualSize(float& width, float& height);
std::shared_ptr<TImageFont> CurrentFont();

// The mask colour image loading makes transparent; kept whether or not
// graphics are open.
void SetLoadMask(int red, int green, int blue);
void GetLoadMask(int& red, int& green, int& blue);
