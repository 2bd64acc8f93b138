// Fuzz target: a font file of arbitrary bytes is loaded as the game loads its font
// (pixel size 30, smooth), then every character the game can show is measured and
// rasterised. Must never crash, hang or allocate without bound.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "media/graphics/font.h"
#include "media/text/streams.h"

namespace {

// Serves the bytes under test for the url "fuzzfont::input".
class InputFactory : public TStreamFactory {
 public:
  StreamRef CreateStream(const String&, const String& protocol, const String&, bool readable, bool) override {
    if (protocol != u"fuzzfont" || !readable) return nullptr;
    return std::make_shared<TMemoryStream>(bytes);
  }
  std::vector<uint8_t> bytes;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static InputFactory* factory = new InputFactory;
  factory->bytes.assign(data, data + size);
  std::unique_ptr<TFont> font = LoadSourceFont(u"fuzzfont::input", 30, kFontSmooth);
  if (!font) return 0;
  for (int ch = 32; ch < 256; ++ch) {
    TGlyph* glyph = font->LoadGlyph(font->CharToGlyph(ch));
    if (glyph == nullptr) continue;
    int x, y, w, h;
    glyph->GetRect(x, y, w, h);
    if (PixmapPtr pixels = glyph->Pixels()) {
      // The map must be exactly the glyph's rectangle.
      if (pixels->width != w || pixels->height != h || pixels->format != PF_A8) __builtin_trap();
    }
  }
  return 0;
}
