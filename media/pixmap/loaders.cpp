#include "media/pixmap/loaders.h"

#include <exception>
#include <vector>

#include "media/core/module_state.h"
#include "media/core/registry.h"
#include "media/pixmap/decoders.h"

namespace {

// The BMP and JPEG loaders decode the rest of the stream from memory.
class BytesLoader : public TPixmapLoader {
 public:
  using Decoder = PixmapPtr (*)(const uint8_t*, size_t);
  explicit BytesLoader(Decoder decode) : decode_(decode) {}
  PixmapPtr LoadPixmap(TStream& stream) override {
    const std::vector<uint8_t> bytes = ReadAllBytes(stream);
    return decode_(bytes.data(), bytes.size());
  }

 private:
  Decoder decode_;
};

// The loader list, made with the built-in loaders in it, as if they had
// registered themselves at start-up (a static registrar in a static library is
// dropped by the linker when nothing refers to it).
struct Loaders {
  BytesLoader bmp{DecodeBmp};
  BytesLoader jpeg{DecodeJpeg};
  core::Registry<TPixmapLoader> list;

  Loaders() {
    list.Add(&bmp);
    list.Add(&jpeg);
  }
};

core::Registry<TPixmapLoader>& List() { return core::ModuleState<Loaders>().list; }

}  // namespace

void RegisterPixmapLoader(TPixmapLoader* loader) { List().Add(loader); }

TPixmapLoader* PixmapLoaders() { return List().Head(); }

PixmapPtr LoadPixmap(TStream& stream) {
  const int start = stream.Pos();
  for (TPixmapLoader* loader : List()) {
    if (stream.Seek(start) != start) return nullptr;
    try {
      if (PixmapPtr map = loader->LoadPixmap(stream)) return map;
    } catch (const std::exception&) {
      // A loader that fails part-way did not recognise the data; try the next.
    }
  }
  return nullptr;
}

PixmapPtr LoadPixmap(std::u16string_view url) {
  StreamRef stream = OpenReadFile(url);
  if (!stream) return nullptr;
  PixmapPtr map = LoadPixmap(*stream);
  stream->Close();
  return map;
}

PixmapPtr LoadPixmap(std::string_view url) { return LoadPixmap(TextFromUtf8(url)); }
