// Fuzz target: a font file of arbitrary bytes is loaded as the game loads its font
// (LoadFontImage at pixel size 30, smooth), then the glyph image of every character
// the game can show is made and the characters are measured. Must never crash, hang
// or allocate without bound.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "media/fonts/image_font.h"
#include "media/files/streams.h"

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
  FontRef font = LoadFontImage(u"fuzzfont::input", 30, kFontSmooth);
  if (!font) return 0;
  std::u16string text;
  for (char16_t ch = 32; ch < 256; ++ch) {
    text += ch;
    ImageGlyph* glyph = font->LoadGlyph(font->CharToGlyph(ch));
    if (glyph == nullptr || !glyph->_image) continue;
    // The glyph image must be exactly the glyph's rectangle.
    const PixmapPtr& map = glyph->_image->pixmaps.at(0);
    if (map->width != glyph->_w || map->height != glyph->_h || map->format != PF_A8) __builtin_trap();
  }
  // Summing hostile advances must stay defined behaviour (checked by UBSan).
  static_cast<void>(font->Measure(text + text + text));
  return 0;
}
