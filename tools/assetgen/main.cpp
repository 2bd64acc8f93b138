// Writes every asset of the game below <root>/assets and the documentation
// pictures below <root>/docs. The output depends on nothing but this program
// and the game font, so every run writes the same bytes.
//
//   assetgen <source root> [--preview DIR]
//
// --preview also writes full-size mock-ups of every screen into DIR.
#include <cstdio>
#include <filesystem>
#include <string>

#include "art.h"
#include "files.h"
#include "levels.h"
#include "mock.h"
#include "sound.h"

using namespace gen;

namespace {

std::string g_root;
int g_failures = 0;

void Check(bool ok, const std::string& path) {
  if (!ok) {
    std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
    ++g_failures;
  }
}

void Bmp(const std::string& name, const Canvas& c) {
  std::string path = g_root + "/assets/gfx/" + name;
  Check(WriteBmp(path, c), path);
}

void Png(const std::string& path, const Canvas& c) { Check(WritePng(path, c), path); }

void Wav(const std::string& name, const Audio& a) {
  std::string path = g_root + "/assets/sound/" + name;
  Check(WriteWav(path, a.samples, a.channels, a.rate), path);
}

void Lines(const std::string& name, const std::vector<std::string>& lines) {
  std::string path = g_root + "/assets/data/" + name;
  Check(WriteLines(path, lines), path);
}

constexpr unsigned kMenuSeed = 1, kFirstSeed = 11, kSecondSeed = 22;

// A first highscore table a new player can climb.
const std::vector<std::string> kScoreLines = {
    "Tabea", "120", "Quirin", "96", "Malte", "81", "Ronja", "67", "Ida", "55",
    "Frieda", "42", "Lenz", "34", "Bo", "25", "Pit", "16", "Zarn", "8",
};

void Levels() {
  Lines("level_00.1.txt", TileLines(MenuMap(), kMenuSeed));
  Lines("level_01.1.txt", TileLines(FirstLevel(), kFirstSeed));
  Lines("level_01.2.txt", CellLines(FirstLevel()));
  Lines("level_02.1.txt", TileLines(SecondLevel(), kSecondSeed));
  Lines("level_02.2.txt", CellLines(SecondLevel()));
  Lines("score.txt", kScoreLines);
  const struct {
    const char* name;
    const Map& map;
  } levels[] = {{"first level", FirstLevel()}, {"second level", SecondLevel()}};
  for (const auto& l : levels) {
    MapStats st = Analyse(l.map);
    std::printf("%s: %d open cells, %d reached, %d behind barriers (%.1f%%), %d unreachable\n", l.name,
                st.open, st.reached, st.behind_barriers, 100.0 * st.behind_barriers / st.open, st.unreachable);
    if (st.unreachable > 0) ++g_failures;
  }
}

// Labelled, enlarged sheets for the documentation.
Canvas Framed(const Canvas& c, int scale, int pad) {
  Canvas big = Upscale(c, scale);
  Canvas out(big.w() + 2 * pad, big.h() + 2 * pad, Px{0.1f, 0.09f, 0.16f, 1});
  out.Blit(big, pad, pad);
  return out;
}

Canvas Stack(const std::vector<Canvas>& parts, int gap) {
  int w = 0, h = 0;
  for (const Canvas& p : parts) {
    w = std::max(w, p.w());
    h += p.h() + gap;
  }
  Canvas out(w, h - gap, Px{0.1f, 0.09f, 0.16f, 1});
  int y = 0;
  for (const Canvas& p : parts) {
    out.Blit(p, 0, y);
    y += p.h() + gap;
  }
  return out;
}

Canvas Row(const std::vector<Canvas>& parts, int gap) {
  int w = 0, h = 0;
  for (const Canvas& p : parts) {
    w += p.w() + gap;
    h = std::max(h, p.h());
  }
  Canvas out(w - gap, h, Px{0.1f, 0.09f, 0.16f, 1});
  int x = 0;
  for (const Canvas& p : parts) {
    out.Blit(p, x, 0);
    x += p.w() + gap;
  }
  return out;
}

Canvas Half(const Canvas& c) { return Downscale(c, 2); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <source root> [--preview DIR]\n", argv[0]);
    return 2;
  }
  g_root = argv[1];
  std::string preview = argc > 3 && std::string(argv[2]) == "--preview" ? argv[3] : "";
  TextRenderer tr;
  std::string font = g_root + "/assets/data/Font2.ttf";
  if (!tr.Open(font)) {
    std::fprintf(stderr, "assetgen: cannot open %s\n", font.c_str());
    return 1;
  }

  AssetSet a;
  a.zarn = ZarnSheet();
  a.blobb = BlobbSheet();
  a.frozen = FrozenBlobb();
  a.holes = HoleSheet();
  for (int i = 0; i < 3; ++i) {
    a.gem[i] = GemSprite(i, false);
    a.banked[i] = GemSprite(i, true);
  }
  for (int k = 1; k <= 7; ++k) a.powerup[k] = PowerUpSprite(k, tr);
  a.slot = SlotFrame();
  a.empty = EmptySlot();
  a.clock = ClockIcon();
  a.got = GotPanel();
  a.menu = MenuPanel();
  a.choose = ChooseSheet(tr);
  a.keys_move = KeyCaps("WASD", tr);
  a.keys_music = KeyCaps("MN", tr);
  a.keys_end = KeyCaps("Esc", tr);
  a.tiles = TileSheet();
  a.backgrounds = Backgrounds();
  a.end = EndPicture();
  a.start = StartScreen(tr);

  Bmp("zarn.bmp", a.zarn);
  Bmp("enemy.bmp", a.blobb);
  Bmp("enemy_f.bmp", a.frozen);
  Bmp("holes.bmp", a.holes);
  const char* gem_names[3] = {"diamonds", "diamonds2", "diamonds3"};
  for (int i = 0; i < 3; ++i) {
    Bmp(std::string(gem_names[i]) + ".bmp", a.gem[i]);
    Bmp(std::string(gem_names[i]) + "got.bmp", a.banked[i]);
  }
  for (int k = 1; k <= 7; ++k) Bmp("powerup0" + std::to_string(k) + ".bmp", a.powerup[k]);
  Bmp("slot.bmp", a.slot);
  Bmp("empty.bmp", a.empty);
  Bmp("clock.bmp", a.clock);
  Bmp("got.bmp", a.got);
  Bmp("menu.bmp", a.menu);
  Bmp("choose.bmp", a.choose);
  Bmp("keyboard1.bmp", a.keys_move);
  Bmp("keyboard4.bmp", a.keys_music);
  Bmp("keyboard3.bmp", a.keys_end);
  Bmp("tiles 01.bmp", a.tiles);
  Bmp("bg.bmp", a.backgrounds);
  Bmp("end.bmp", a.end);
  {
    std::string path = g_root + "/assets/gfx/startscreen.jpg";
    Check(WriteJpeg(path, a.start, 92), path);
  }

  Levels();

  Wav("bite.wav", BiteSound());
  Wav("get.wav", GetSound());
  Wav("hole.wav", HoleSound());
  Wav("menu.wav", MenuSound());
  Wav("PUsound.wav", PowerUpSound());
  Wav("loop.wav", MusicLoop());

  // Launcher icons in the sizes desktops look for.
  for (int size : {48, 64, 128, 256}) {
    const std::string dir = g_root + "/dist/icons/hicolor/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    Check(WritePngAlpha(dir + "/zarn.png", AppIcon(size)), dir + "/zarn.png");
  }

  // Documentation pictures.
  std::string docs = g_root + "/docs/";
  Png(docs + "tiles.png", Framed(Stack({a.tiles, a.backgrounds, a.choose}, 6), 2, 8));
  {
    Canvas items(10 * 32, 32);
    for (int k = 1; k <= 7; ++k) items.Blit(a.powerup[k], (k - 1) * 32, 0);
    items.Blit(a.slot, 7 * 32, 0);
    items.Blit(a.empty, 7 * 32, 0);
    items.Blit(a.slot, 8 * 32, 0);
    items.Blit(a.clock, 9 * 32 - 4, -3);
    Canvas gems(6 * 32, 32);
    for (int i = 0; i < 3; ++i) {
      gems.Blit(a.gem[i], i * 32, 0);
      gems.Blit(a.banked[i], (3 + i) * 32, 0);
    }
    Canvas misc = Row({a.frozen, a.holes, gems}, 8);
    Png(docs + "sprites.png", Framed(Stack({a.zarn, a.blobb, misc, items, Row({a.keys_move, a.keys_music, a.keys_end}, 8)}, 6), 3, 8));
  }
  {
    Mock m1(a, tr), m2(a, tr), m3(a, tr);
    m1.Game(FirstLevel(), kFirstSeed, 0, 0, 0);
    m2.Game(SecondLevel(), kSecondSeed, 1, 222, 124);
    m3.Game(SecondLevel(), kSecondSeed, 2, 124, 315);
    Png(docs + "tilesets.png", Row({Half(m1.canvas()), Half(m2.canvas()), Half(m3.canvas())}, 6));
  }
  {
    Mock menu(a, tr), help(a, tr), results(a, tr);
    menu.MenuPage(0, 0);
    help.MenuPage(1, 0);
    results.Results(false);
    Png(docs + "screens.png", Stack({Row({Half(a.start), Half(menu.canvas())}, 6),
                                     Row({Half(help.canvas()), Half(results.canvas())}, 6)}, 6));
  }
  Png(docs + "colour-vision.png", ColourVisionSheet(a, tr));

  if (!preview.empty()) {
    for (int page = 0; page <= 4; ++page) {
      Mock m(a, tr);
      m.MenuPage(page, page == 4 ? 1 : 0);
      Png(preview + "/menu" + std::to_string(page) + ".png", m.canvas());
    }
    Mock g1(a, tr), g2(a, tr), g3(a, tr), r1(a, tr), r2(a, tr);
    g1.Game(FirstLevel(), kFirstSeed, 0, 0, 0);
    g2.Game(SecondLevel(), kSecondSeed, 1, 222, 124);
    g3.Game(SecondLevel(), kSecondSeed, 2, 124, 315);
    r1.Results(false);
    r2.Results(true);
    Png(preview + "/game1.png", g1.canvas());
    Png(preview + "/game2.png", g2.canvas());
    Png(preview + "/game3.png", g3.canvas());
    Png(preview + "/results.png", r1.canvas());
    Png(preview + "/highscore.png", r2.canvas());
    Png(preview + "/start.png", a.start);
    Png(preview + "/sprites4.png", Framed(Stack({a.zarn, a.blobb, Row({a.frozen, a.holes}, 8)}, 4), 4, 4));
  }
  return g_failures == 0 ? 0 : 1;
}
