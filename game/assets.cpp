#include "game/assets.h"

#include <map>
#include <string>
#include <tuple>

#include "game/trace.h"

namespace {

using StripKey = std::tuple<std::string, int, int, int>;  // path, cell size, first, count

std::map<StripKey, ImageRef>& Images() {
  static std::map<StripKey, ImageRef> images;
  return images;
}

std::map<std::string, SoundRef>& Sounds() {
  static std::map<std::string, SoundRef> sounds;
  return sounds;
}

std::map<const TSound*, std::string>& SoundNames() {
  static std::map<const TSound*, std::string> names;
  return names;
}

[[noreturn]] void Missing(std::string_view path, std::string_view what) {
  QuitWithError("zarn: cannot load \"" + std::string(path) + "\": " + std::string(what));
}

std::string BaseName(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

}  // namespace

ImageRef GameImage(std::string_view path) {
  ImageRef& image = Images()[StripKey(std::string(path), 0, 0, 0)];
  if (!image) {
    image = LoadImageFile(path, -1);
    if (!image) Missing(path, "the file is missing or is not a picture");
  }
  return image;
}

ImageRef GameStrip(const StripFile& s) {
  ImageRef& image = Images()[StripKey(std::string(s.path), s.cell_width * 65536 + s.cell_height, s.first, s.count)];
  if (!image) {
    image = LoadImageStrip(s.path, s.cell_width, s.cell_height, s.first, s.count, -1);
    if (!image)
      Missing(s.path, "the file is missing, is not a picture, or holds fewer than " +
                          std::to_string(s.first + s.count) + " cells of " + std::to_string(s.cell_width) + " x " +
                          std::to_string(s.cell_height));
  }
  return image;
}

SoundRef GameSound(std::string_view path, int flags) {
  SoundRef& sound = Sounds()[std::string(path) + (flags & SOUND_LOOP ? " loop" : "")];
  if (!sound) {
    sound = LoadSound(path, flags);
    if (!sound) Missing(path, "the file is missing or is not a sound");
    SoundNames()[sound.get()] = BaseName(path);
  }
  return sound;
}

FontRef GameFontFile(std::string_view path, int size, int style) {
  static std::map<std::tuple<std::string, int, int>, FontRef> fonts;
  FontRef& font = fonts[{std::string(path), size, style}];
  if (!font) {
    font = LoadFontImage(path, size, style);
    if (!font) Missing(path, "the file is missing or is not a font");
  }
  return font;
}

StreamRef OpenGameFile(std::string_view path) {
  StreamRef stream = OpenReadFile(path);
  if (!stream) Missing(path, "the file is missing or cannot be read");
  return stream;
}

void PlaySound(const SoundRef& sound) {
  StartSound(sound);
  TraceSound(SoundName(sound));
}

std::string_view SoundName(const SoundRef& sound) {
  auto& names = SoundNames();
  auto it = names.find(sound.get());
  return it == names.end() ? std::string_view() : std::string_view(it->second);
}

void PreloadGameFiles() {
  SetLoadMask(255, 0, 255);
  GameFontFile(files::kFont, files::kFontSize, files::kFontStyle);
  for (auto path : {files::kBite, files::kGet, files::kHole, files::kMenu, files::kPowerUp})
    GameSound(path, 0);
  GameSound(files::kLoop, files::kLoopFlags);
  for (auto path : {files::kClock, files::kMenuTitle, files::kStartScreen, files::kKeyboard1, files::kKeyboard3,
                    files::kKeyboard4, files::kEnd, files::kPanel, files::kEmptySlot, files::kSlot,
                    files::kFrozenBlobb})
    GameImage(path);
  for (auto path : files::kCounterPictures) GameImage(path);
  for (auto path : files::kPowerUps) GameImage(path);
  for (const StripFile& strip : {files::kChoose, files::kBackground, files::kTiles, files::kZarn, files::kBlobb})
    GameStrip(strip);
  for (const StripFile& strip : files::kHoles) GameStrip(strip);
  for (const auto& level : files::kLevels) {
    OpenGameFile(level.tiles);
    OpenGameFile(level.cells);
  }
}
