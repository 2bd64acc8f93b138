// The game's maze screen, drawn side by side in one run by the media layer (in
// its SDL window with an OpenGL context) and by a plain SDL2 program using SDL's
// accelerated renderer, both on the same X server (under xvfb: Mesa llvmpipe).
//
// The frame: Cls, the background "gfx/bg.bmp" tiled over the screen, all 925
// cells of the first level's tile file with the tile-code table (tiles from
// "gfx/tiles 01.bmp", visible or not), the holes, diamonds, power-ups, the
// player and the Blobbs at fixed places, and the HUD (panels, clock, counters
// and the clock's text in "data/Font2.ttf" at size 30, smooth), then Flip.
//
// The SDL program draws the very same pixels: the same masked pictures as SDL
// textures (one texture per picture file, its cells side by side, as an SDL
// program holds a sprite sheet), alpha blending where the media layer uses its
// mask blend (the pictures' alpha is 0 or 255, the glyphs' coverage is cut at
// 128 as the mask blend's alpha test cuts it), nearest sampling. The first frame
// of each is read back and compared.
//
// Frames alternate one by one between the two, each with its own context made
// current before its clock starts. Reported: frames per second of each, the
// ratio (media layer time / SDL time per frame; below 1 is faster), and per
// frame each one's time, its main thread's CPU time and the CPU time of all the
// process's threads (the renderer's threads included; the X server's work on
// presenting is not). On a machine busy with other work the CPU times vary
// less than the times.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <time.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "media/media.h"
#include "media/platform/platform.h"
#include "media/platform/player_settings.h"

namespace {

constexpr int kWidth = 700, kHeight = 540;
constexpr int kColumns = 37, kRows = 25;
constexpr int kScrollX = 237, kScrollY = 131;  // mid-maze, not on the cell grid

double Now() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// CPU time of the calling thread, or of all the process's threads (the
// renderer's own threads included).
double Cpu(clockid_t clock) {
  timespec ts{};
  clock_gettime(clock, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}
double ThreadCpu() { return Cpu(CLOCK_THREAD_CPUTIME_ID); }
double ProcessCpu() { return Cpu(CLOCK_PROCESS_CPUTIME_ID); }

// Tile frame of each cell of a tile file, -1 where the code shows no tile.
std::vector<int> LoadTileFrames(const char* path) {
  static const std::map<std::string, int> table = {
      {"00", 0}, {"01", 1}, {"02", 2},  {"03", 3},  {"04", 4},  {"05", 5},  {"08", 6}, {"10", 7},
      {"11", 8}, {"12", 9}, {"13", 10}, {"14", 11}, {"15", 12}, {"06", 13}, {"07", 14}};
  std::vector<int> frames(kColumns * kRows, -1);
  std::ifstream in(path);
  std::string line;
  for (int row = 0; row < kRows && std::getline(in, line); ++row)
    for (int col = 0; col < kColumns; ++col) {
      if (line.size() < size_t(3 * col + 2)) break;
      const auto it = table.find(line.substr(size_t(3 * col), 2));
      if (it != table.end()) frames[size_t(row * kColumns + col)] = it->second;
    }
  return frames;
}

// One image of the scene: the media layer's image and the SDL texture that
// holds the same frames.
struct Picture {
  ImageRef image;
  SDL_Texture* texture = nullptr;
  int columns = 1;  // frames per row of the SDL texture
};

struct Sprite {
  int picture, frame, x, y;  // world position for maze sprites
};

// Everything one frame draws, in drawing order.
struct Scene {
  std::vector<Picture> pictures;
  int background = 0, tiles = 0;
  std::vector<int> tile_frames;
  std::vector<Sprite> maze_sprites;  // drawn at world - scroll
  std::vector<Sprite> hud;           // drawn at screen positions
  std::vector<std::pair<std::u16string, std::array<int, 2>>> texts;
  FontRef font;
};

int AddPicture(Scene& scene, ImageRef image) {
  scene.pictures.push_back(Picture{std::move(image)});
  return int(scene.pictures.size()) - 1;
}

bool BuildScene(Scene& scene) {
  SetLoadMask(255, 0, 255);
  auto strip = [&](const char* path, int w, int h, int first, int count) {
    return AddPicture(scene, LoadImageStrip(path, w, h, first, count, -1));
  };
  auto file = [&](const char* path) { return AddPicture(scene, LoadImageFile(path, -1)); };
  scene.background = strip("gfx/bg.bmp", 64, 38, 0, 3);
  scene.tiles = strip("gfx/tiles 01.bmp", 32, 32, 0, 60);
  scene.tile_frames = LoadTileFrames("data/level_01.1.txt");
  const int holes[3] = {strip("gfx/holes.bmp", 26, 21, 0, 1), strip("gfx/holes.bmp", 26, 21, 1, 1),
                        strip("gfx/holes.bmp", 26, 21, 2, 1)};
  const int diamonds[3] = {file("gfx/diamonds.bmp"), file("gfx/diamonds2.bmp"), file("gfx/diamonds3.bmp")};
  const int powerups[2] = {file("gfx/powerup01.bmp"), file("gfx/powerup04.bmp")};
  const int player = strip("gfx/zarn.bmp", 24, 25, 0, 40);
  const int blobbs = strip("gfx/enemy.bmp", 30, 30, 0, 9);
  const int got = file("gfx/got.bmp"), clock = file("gfx/clock.bmp");
  const int delivered[3] = {file("gfx/diamondsgot.bmp"), file("gfx/diamonds2got.bmp"), file("gfx/diamonds3got.bmp")};
  for (const Picture& p : scene.pictures)
    if (!p.image) return false;

  // The holes' fixed places; diamonds, power-ups and Blobbs spread over the maze
  // by a fixed sequence, as the game's random placement spreads them.
  scene.maze_sprites = {{holes[0], 0, 120, 640}, {holes[1], 0, 40, 40}, {holes[2], 0, 1100, 750}};
  uint32_t seed = 12345;
  auto next = [&](int n) {
    seed = seed * 1103515245u + 12345u;
    return int((seed >> 16) % uint32_t(n));
  };
  for (int i = 0; i < 20; ++i) scene.maze_sprites.push_back({diamonds[i % 3], 0, 32 * (1 + next(35)), 32 * (1 + next(23))});
  for (int i = 0; i < 2; ++i) scene.maze_sprites.push_back({powerups[i], 0, 32 * (1 + next(35)), 32 * (1 + next(23))});
  scene.maze_sprites.push_back({player, 7, 200 + kScrollX, 200 + kScrollY});
  for (int i = 0; i < 11; ++i) scene.maze_sprites.push_back({blobbs, i % 9, 32 * (1 + next(35)), 32 * (1 + next(23))});

  scene.hud = {{got, 0, 0, 5},          {got, 0, 440, 5},          {clock, 0, 300, 5},
               {diamonds[0], 0, 45, 15}, {diamonds[1], 0, 105, 15}, {diamonds[2], 0, 165, 15},
               {delivered[0], 0, 485, 15}, {delivered[1], 0, 545, 15}, {delivered[2], 0, 605, 15}};
  scene.texts = {{u"3", {75, 10}},  {u"12", {135, 10}}, {u"0", {195, 10}}, {u"7", {515, 10}},
                 {u"25", {575, 10}}, {u"4", {635, 10}},  {u"287", {350, 10}}};
  scene.font = LoadFontImage("data/Font2.ttf", 30, kFontSmooth);
  return scene.font != nullptr;
}

// ---- the media layer, as the game draws ----

void DrawMediaFrame(const Scene& scene) {
  Cls();
  FillTiled(scene.pictures[size_t(scene.background)].image, 0, 0, 0);
  const ImageRef& tiles = scene.pictures[size_t(scene.tiles)].image;
  for (int row = 0; row < kRows; ++row)
    for (int col = 0; col < kColumns; ++col) {
      const int f = scene.tile_frames[size_t(row * kColumns + col)];
      if (f >= 0) DrawImageScaled(tiles, float(col * 32 - kScrollX), float(row * 32 - kScrollY), 32, 32, f);
    }
  for (const Sprite& s : scene.maze_sprites)
    DrawImageAt(scene.pictures[size_t(s.picture)].image, float(s.x - kScrollX), float(s.y - kScrollY), s.frame);
  for (const Sprite& s : scene.hud) DrawImageAt(scene.pictures[size_t(s.picture)].image, float(s.x), float(s.y), s.frame);
  for (const auto& [text, at] : scene.texts) DrawTextAt(text, float(at[0]), float(at[1]));
}

// ---- the same frame through SDL's renderer ----

struct SdlGlyph {
  SDL_Rect cell{};  // in the glyph texture
  int x = 0, y = 0;
  float advance = 0;
};

struct SdlSide {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_GLContext context = nullptr;
  SDL_Texture* glyphs = nullptr;
  std::map<char16_t, SdlGlyph> glyph_cells;
  std::string name;

  ~SdlSide() {
    if (renderer != nullptr) SDL_DestroyRenderer(renderer);  // destroys its textures too
    if (window != nullptr) SDL_DestroyWindow(window);
  }
};

SDL_Texture* TextureFrom(SDL_Renderer* renderer, const TPixmap& rgba) {
  SDL_Texture* t = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC, rgba.width, rgba.height);
  if (t == nullptr) return nullptr;
  SDL_UpdateTexture(t, nullptr, rgba.pixels, rgba.pitch);
  SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
  return t;
}

bool OpenSdlSide(SdlSide& side, Scene& scene) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  side.window = SDL_CreateWindow("SDL renderer", 0, 0, kWidth, kHeight, SDL_WINDOW_SHOWN);
  if (side.window == nullptr) return false;
  side.renderer = SDL_CreateRenderer(side.window, -1, SDL_RENDERER_ACCELERATED);
  if (side.renderer == nullptr) return false;
  side.context = SDL_GL_GetCurrentContext();
  SDL_RendererInfo info{};
  SDL_GetRendererInfo(side.renderer, &info);
  side.name = info.name ? info.name : "?";
  // Each picture's frames side by side, 16 to a row.
  for (Picture& p : scene.pictures) {
    TImage& im = *p.image;
    p.columns = std::min(im.FrameCount(), 16);
    const int rows = (im.FrameCount() + p.columns - 1) / p.columns;
    auto sheet = TPixmap::Create(im.width * p.columns, im.height * rows, PF_RGBA8888);
    for (int f = 0; f < im.FrameCount(); ++f)
      sheet->Paste(*im.Lock(f, true, false), (f % p.columns) * im.width, (f / p.columns) * im.height);
    p.texture = TextureFrom(side.renderer, *sheet);
    if (p.texture == nullptr) return false;
  }
  // The glyphs the texts use, white where the coverage reaches 128 of 255.
  std::vector<char16_t> chars;
  for (const auto& [text, at] : scene.texts)
    for (char16_t c : text)
      if (side.glyph_cells.emplace(c, SdlGlyph{}).second) chars.push_back(c);
  int x = 0, height = 1;
  for (char16_t c : chars) {
    ImageGlyph* g = scene.font->LoadGlyph(scene.font->CharToGlyph(c));
    SdlGlyph& cell = side.glyph_cells[c];
    cell.x = g->_x, cell.y = g->_y, cell.advance = g->_advance;
    if (!g->_image) continue;
    cell.cell = SDL_Rect{x, 0, g->_image->width, g->_image->height};
    x += g->_image->width;
    height = std::max(height, g->_image->height);
  }
  auto sheet = TPixmap::Create(std::max(x, 1), height, PF_RGBA8888);
  for (char16_t c : chars) {
    ImageGlyph* g = scene.font->LoadGlyph(scene.font->CharToGlyph(c));
    if (!g->_image) continue;
    const TPixmap& cov = *g->_image->pixmaps[0];
    const SDL_Rect& r = side.glyph_cells[c].cell;
    for (int y = 0; y < cov.height; ++y)
      for (int i = 0; i < cov.width; ++i)
        sheet->WritePixel(r.x + i, y, (cov.ReadPixel(i, y) >> 24) >= 128 ? 0xFFFFFFFFu : 0u);
  }
  side.glyphs = TextureFrom(side.renderer, *sheet);
  return side.glyphs != nullptr;
}

void Copy(SDL_Renderer* r, const Picture& p, int frame, int x, int y) {
  const int w = p.image->width, h = p.image->height;
  const SDL_Rect src{(frame % p.columns) * w, (frame / p.columns) * h, w, h};
  const SDL_Rect dst{x, y, w, h};
  SDL_RenderCopy(r, p.texture, &src, &dst);
}

void DrawSdlFrame(const SdlSide& side, const Scene& scene) {
  SDL_Renderer* r = side.renderer;
  SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
  SDL_RenderClear(r);
  const Picture& bg = scene.pictures[size_t(scene.background)];
  for (int y = 0; y < kHeight; y += bg.image->height)
    for (int x = 0; x < kWidth; x += bg.image->width) Copy(r, bg, 0, x, y);
  const Picture& tiles = scene.pictures[size_t(scene.tiles)];
  for (int row = 0; row < kRows; ++row)
    for (int col = 0; col < kColumns; ++col) {
      const int f = scene.tile_frames[size_t(row * kColumns + col)];
      if (f >= 0) Copy(r, tiles, f, col * 32 - kScrollX, row * 32 - kScrollY);
    }
  for (const Sprite& s : scene.maze_sprites) Copy(r, scene.pictures[size_t(s.picture)], s.frame, s.x - kScrollX, s.y - kScrollY);
  for (const Sprite& s : scene.hud) Copy(r, scene.pictures[size_t(s.picture)], s.frame, s.x, s.y);
  for (const auto& [text, at] : scene.texts) {
    float pen = float(at[0]);
    for (char16_t c : text) {
      const SdlGlyph& g = side.glyph_cells.at(c);
      if (g.cell.w > 0) {
        const SDL_Rect dst{int(pen) + g.x, at[1] + g.y, g.cell.w, g.cell.h};
        SDL_RenderCopy(r, side.glyphs, &g.cell, &dst);
      }
      pen += g.advance;
    }
  }
}

// Pixels whose colour differs between the two frames (alpha left out: neither
// window shows it).
int DifferingPixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  int n = 0;
  for (size_t i = 0; i + 3 < a.size() && i + 3 < b.size(); i += 4)
    n += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2];
  return n;
}

void BM_MazeFrameSideBySide(benchmark::State& state) {
  Scene scene;
  SdlSide sdl;
  if (!BuildScene(scene)) {
    state.SkipWithError("the game's assets are not beside the program");
    return;
  }
  // The SDL window first, so the media layer's window opens on top of it and
  // is never the one partly hidden.
  if (!OpenSdlSide(sdl, scene)) {
    state.SkipWithError((std::string("no SDL renderer (run under xvfb, as make bench does): ") + SDL_GetError()).c_str());
    return;
  }
  // Drawing speed is measured: the window must not hold frames nothing paces
  // back to the game loop's rate, as it does for a player's menus.
  platform::PlayerSettings unlimited = platform::CurrentSettings();
  unlimited.limit_menu_rate = false;
  platform::ChangeSettings(unlimited, platform::SettingsChange::Program);
  if (!OpenGraphics(kWidth, kHeight, 0, 0, 0) || !platform::Current().HasGL()) {
    state.SkipWithError("no OpenGL window for the media layer");
    return;
  }
  UseFont(scene.font);
  SDL_Window* media_window = SDL_GL_GetCurrentWindow();
  SDL_GLContext media_context = SDL_GL_GetCurrentContext();

  // First frames: make every texture, and compare the pixels.
  std::vector<uint8_t> media_pixels(size_t(kWidth) * kHeight * 4), sdl_pixels(media_pixels.size());
  DrawMediaFrame(scene);
  platform::Current().ReadPixels(0, 0, kWidth, kHeight, media_pixels.data());
  Flip(-1);
  SDL_GL_MakeCurrent(sdl.window, sdl.context);
  DrawSdlFrame(sdl, scene);
  SDL_RenderReadPixels(sdl.renderer, nullptr, SDL_PIXELFORMAT_ABGR8888, sdl_pixels.data(), kWidth * 4);
  SDL_RenderPresent(sdl.renderer);
  const int differing = DifferingPixels(media_pixels, sdl_pixels);

  double media_wall = 0, media_main = 0, media_all = 0, sdl_wall = 0, sdl_main = 0, sdl_all = 0;
  for (auto _ : state) {
    SDL_GL_MakeCurrent(media_window, media_context);
    double t0 = Now(), c0 = ThreadCpu(), p0 = ProcessCpu();
    DrawMediaFrame(scene);
    Flip(-1);
    media_wall += Now() - t0, media_main += ThreadCpu() - c0, media_all += ProcessCpu() - p0;

    SDL_GL_MakeCurrent(sdl.window, sdl.context);
    t0 = Now(), c0 = ThreadCpu(), p0 = ProcessCpu();
    DrawSdlFrame(sdl, scene);
    SDL_RenderPresent(sdl.renderer);
    sdl_wall += Now() - t0, sdl_main += ThreadCpu() - c0, sdl_all += ProcessCpu() - p0;
  }
  SDL_GL_MakeCurrent(media_window, media_context);
  const double n = double(state.iterations());
  state.counters["media_fps"] = n / media_wall;
  state.counters["sdl_fps"] = n / sdl_wall;
  state.counters["ratio"] = media_wall / sdl_wall;
  state.counters["media_ms"] = 1e3 * media_wall / n;
  state.counters["media_main_ms"] = 1e3 * media_main / n;
  state.counters["media_cpu_ms"] = 1e3 * media_all / n;
  state.counters["sdl_ms"] = 1e3 * sdl_wall / n;
  state.counters["sdl_main_ms"] = 1e3 * sdl_main / n;
  state.counters["sdl_cpu_ms"] = 1e3 * sdl_all / n;
  state.counters["differing_px"] = differing;
  state.SetLabel("SDL renderer: " + sdl.name);
  UseFont(nullptr);
  CloseGraphics();
}
BENCHMARK(BM_MazeFrameSideBySide)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

}  // namespace
