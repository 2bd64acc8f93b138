// The font-loader chain.
#include "media/graphics/font.h"

#include <utility>
#include <vector>

#include "media/graphics/freetype_font.h"

namespace {

// The chain owns its loaders for the whole run; `head` is the most recently added.
struct LoaderChain {
  std::vector<std::unique_ptr<TFontLoader>> owned;
  TFontLoader* head = nullptr;

  void Add(std::unique_ptr<TFontLoader> loader) {
    loader->_succ = head;
    head = loader.get();
    owned.push_back(std::move(loader));
  }
};

// Made on first use with the FreeType loader in it, as if that loader had
// registered itself at start-up.
LoaderChain& Chain() {
  static LoaderChain chain = [] {
    LoaderChain c;
    c.Add(std::make_unique<TFreeTypeFontLoader>());
    return c;
  }();
  return chain;
}

}  // namespace

void AddFontLoader(std::unique_ptr<TFontLoader> loader) {
  if (loader) Chain().Add(std::move(loader));
}

std::unique_ptr<TFont> LoadSourceFont(std::u16string_view url, int size, int style) {
  for (TFontLoader* loader = Chain().head; loader != nullptr; loader = loader->_succ) {
    if (std::unique_ptr<TFont> font = loader->LoadFont(url, size, style)) return font;
  }
  return nullptr;
}
