#include "media/graphics/pixmap_loaders.h"

#include <exception>

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

TPixmapLoader*& Head() {
  static TPixmapLoader* head = nullptr;
  static bool built_in = false;
  if (!built_in) {
    // Registered here rather than by static objects: a static registrar in a
    // static library is dropped by the linker when nothing refers to it.
    built_in = true;
    static BytesLoader bmp(DecodeBmp);
    static BytesLoader jpeg(DecodeJpeg);
    bmp._succ = head;
    jpeg._succ = &bmp;
    head = &jpeg;
  }
  return head;
}

}  // namespace

void RegisterPixmapLoader(TPixmapLoader* loader) {
  TPixmapLoader*& head = Head();
  // A loader already in the list moves to the front: linking it in a second
  // time would close the list into a loop that loading never leaves.
  for (TPixmapLoader** at = &head; *at; at = &(*at)->_succ) {
    if (*at == loader) {
      *at = loader->_succ;
      break;
    }
  }
  loader->_succ = head;
  head = loader;
}

TPixmapLoader* PixmapLoaders() { return Head(); }

PixmapPtr LoadPixmap(TStream& stream) {
  const int start = stream.Pos();
  for (TPixmapLoader* loader = Head(); loader; loader = loader->_succ) {
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
