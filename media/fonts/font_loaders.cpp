// The font-loader chain.
#include "media/fonts/font.h"

#include <utility>
#include <vector>

#include "media/core/module_state.h"
#include "media/core/registry.h"
#include "media/fonts/freetype_font.h"

namespace {

// The chain, made on first use with the FreeType loader in it as if that loader
// had registered itself at start-up. The module keeps every loader handed to it
// for the whole run.
struct LoaderChain {
  std::vector<std::unique_ptr<TFontLoader>> kept;
  core::Registry<TFontLoader> list;

  LoaderChain() { Add(std::make_unique<TFreeTypeFontLoader>()); }
  void Add(std::unique_ptr<TFontLoader> loader) {
    list.Add(loader.get());
    kept.push_back(std::move(loader));
  }
};

LoaderChain& Chain() { return core::ModuleState<LoaderChain>(); }

}  // namespace

void AddFontLoader(std::unique_ptr<TFontLoader> loader) {
  if (loader) Chain().Add(std::move(loader));
}

std::unique_ptr<TFont> LoadSourceFont(std::u16string_view url, int size, int style) {
  for (TFontLoader* loader : Chain().list) {
    if (std::unique_ptr<TFont> font = loader->LoadFont(url, size, style)) return font;
  }
  return nullptr;
}
