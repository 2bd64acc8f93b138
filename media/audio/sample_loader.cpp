#include "media/audio/sample_loader.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "media/core/module_state.h"
#include "media/core/registry.h"

namespace {

// Loaders may outlive static destruction.
struct LoaderList {
  core::Registry<TAudioSampleLoader> list;
  std::unique_ptr<TAudioSampleLoaderWAV> wav;  // the built-in loader, for the whole run
  bool builtins = false;
};

LoaderList& Loaders() { return core::ModuleState<LoaderList>(); }

// Bytes left in the stream, or -1 when the stream cannot tell.
int64_t Remaining(TStream& stream) {
  int pos = stream.Pos();
  if (pos < 0) return -1;
  return std::max<int64_t>(0, int64_t{stream.Size()} - pos);
}

// Skips a chunk body, refusing (null result) lengths that run past the end.
bool SkipChecked(TStream& stream, uint32_t count) {
  int64_t left = Remaining(stream);
  if (left >= 0 && count > left) return false;
  // Known to fit, or the stream cannot tell: SkipBytes throws at the end.
  while (count > 0) {
    int step = static_cast<int>(std::min<uint32_t>(count, 1u << 30));
    stream.SkipBytes(step);
    count -= static_cast<uint32_t>(step);
  }
  return true;
}

std::string ReadTag(TStream& stream) {
  char tag[4];
  stream.ReadBytes(tag, 4);
  return std::string(tag, 4);
}

uint32_t ReadU32(TStream& stream) { return static_cast<uint32_t>(stream.ReadInt()); }

int WavFormat(int bits, int channels) {
  if (bits == 8 && channels == 1) return SF_MONO8;
  if (bits == 8 && channels == 2) return SF_STEREO8;
  if (bits == 16 && channels == 1) return SF_MONO16LE;
  if (bits == 16 && channels == 2) return SF_STEREO16LE;
  return SF_NONE;
}

}  // namespace

namespace {

// The built-in loaders register before any other, so loaders made later (by
// tests or extensions) are asked first.
void EnsureBuiltins() {
  LoaderList& loaders = Loaders();
  if (loaders.builtins) return;
  loaders.builtins = true;  // before: the loader's constructor comes back here
  loaders.wav = std::make_unique<TAudioSampleLoaderWAV>();  // registers itself
}

}  // namespace

TAudioSampleLoader::TAudioSampleLoader() {
  EnsureBuiltins();
  Loaders().list.Add(this);
}

TAudioSampleLoader::~TAudioSampleLoader() { Loaders().list.Remove(this); }

TAudioSampleLoader* AudioSampleLoaders() {
  EnsureBuiltins();
  return Loaders().list.Head();
}

std::unique_ptr<TAudioSample> TAudioSampleLoaderWAV::LoadAudioSample(TStream& stream) {
  if (ReadTag(stream) != "RIFF") return nullptr;
  stream.ReadInt();  // the RIFF size says nothing the chunks do not
  if (ReadTag(stream) != "WAVE") return nullptr;
  if (ReadTag(stream) != "fmt ") return nullptr;
  uint32_t fmt_length = ReadU32(stream);
  if (stream.ReadShort() != 1) return nullptr;  // plain PCM only
  int channels = stream.ReadShort();
  int hertz = stream.ReadInt();
  stream.ReadInt();    // bytes per second
  stream.ReadShort();  // block align
  int bits = stream.ReadShort();
  int format = WavFormat(bits, channels);
  if (format == SF_NONE) return nullptr;
  // A voice at 0 frames per second never advances and so never ends.
  if (hertz <= 0) return nullptr;
  if (fmt_length > 16 && !SkipChecked(stream, fmt_length - 16)) return nullptr;

  const int frame_bytes = BytesPerFrame(format);
  while (!stream.Eof()) {
    std::string tag = ReadTag(stream);
    uint32_t length = ReadU32(stream);
    if (tag != "data") {
      if (!SkipChecked(stream, length)) return nullptr;
      continue;
    }
    int64_t left = Remaining(stream);
    if (left >= 0 && length > left) return nullptr;  // truncated, or an absurd length
    const uint32_t frames = length / static_cast<uint32_t>(frame_bytes);
    const uint32_t whole = frames * static_cast<uint32_t>(frame_bytes);
    if (whole > static_cast<uint32_t>(INT32_MAX)) return nullptr;
    std::unique_ptr<TAudioSample> sample;
    if (left >= 0) {
      sample = TAudioSample::Create(static_cast<int>(frames), hertz, format);
      if (!sample) return nullptr;
      stream.ReadBytes(sample->samples, static_cast<int>(whole));
    } else {
      // The stream cannot tell its size: read in pieces so a lying length costs
      // no more memory than the data that is really there.
      std::vector<uint8_t> bytes;
      while (bytes.size() < whole) {
        size_t piece = std::min<size_t>(whole - bytes.size(), 1u << 20);
        bytes.resize(bytes.size() + piece);
        stream.ReadBytes(bytes.data() + bytes.size() - piece, static_cast<int>(piece));
      }
      sample = TAudioSample::Create(static_cast<int>(frames), hertz, format);
      if (!sample) return nullptr;
      if (whole > 0) std::memcpy(sample->samples, bytes.data(), whole);
    }
    if (length > whole) stream.SkipBytes(static_cast<int>(length - whole));  // the partial frame
    return sample;
  }
  return nullptr;
}

std::unique_ptr<TAudioSample> LoadAudioSample(TStream& stream) {
  const int start = stream.Pos();
  if (start == -1) throw std::runtime_error("Stream is not seekable");
  for (TAudioSampleLoader* loader = AudioSampleLoaders(); loader != nullptr; loader = loader->Next()) {
    stream.Seek(start);
    try {
      if (auto sample = loader->LoadAudioSample(stream)) return sample;
    } catch (const TStreamException&) {
      // A short read: the data is not (complete) in this loader's format.
    }
  }
  return nullptr;
}

namespace {

std::unique_ptr<TAudioSample> LoadAndClose(const StreamRef& stream) {
  if (!stream) return nullptr;
  struct Closer {
    const StreamRef& s;
    ~Closer() { s->Close(); }
  } closer{stream};
  return LoadAudioSample(*stream);
}

}  // namespace

std::unique_ptr<TAudioSample> LoadAudioSample(std::string_view path) { return LoadAndClose(OpenReadFile(path)); }

std::unique_ptr<TAudioSample> LoadAudioSample(std::u16string_view path) { return LoadAndClose(OpenReadFile(path)); }
