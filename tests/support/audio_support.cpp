#include "support/audio_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace audio_test {

void Put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(Bytes& b, uint32_t v) {
  Put16(b, v);
  Put16(b, v >> 16);
}

Chunk Fmt(int tag, int channels, int rate, int bits, int extra) {
  Chunk c{"fmt ", {}};
  int align = channels * bits / 8;
  Put16(c.body, static_cast<uint32_t>(tag));
  Put16(c.body, static_cast<uint32_t>(channels));
  Put32(c.body, static_cast<uint32_t>(rate));
  Put32(c.body, static_cast<uint32_t>(rate * align));
  Put16(c.body, static_cast<uint32_t>(align));
  Put16(c.body, static_cast<uint32_t>(bits));
  for (int i = 0; i < extra; ++i) c.body.push_back(static_cast<uint8_t>(0xA0 + i));
  return c;
}

Chunk Data(const Bytes& pcm) { return Chunk{"data", pcm}; }

Bytes Riff(const std::vector<Chunk>& chunks) {
  Bytes body;
  for (const Chunk& c : chunks) {
    body.insert(body.end(), c.tag.begin(), c.tag.end());
    Put32(body, c.stated_length.value_or(static_cast<uint32_t>(c.body.size())));
    body.insert(body.end(), c.body.begin(), c.body.end());
  }
  Bytes b{'R', 'I', 'F', 'F'};
  Put32(b, static_cast<uint32_t>(body.size() + 4));
  b.insert(b.end(), {'W', 'A', 'V', 'E'});
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

Bytes SimpleWav(int channels, int rate, int bits, const Bytes& pcm) {
  return Riff({Fmt(1, channels, rate, bits), Data(pcm)});
}

Bytes Le16(const std::vector<int16_t>& values) {
  Bytes b;
  for (int16_t v : values) Put16(b, static_cast<uint16_t>(v));
  return b;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {

uint32_t Get16(const Bytes& b, size_t at) { return b[at] | (b[at + 1] << 8); }
uint32_t Get32(const Bytes& b, size_t at) { return Get16(b, at) | (Get16(b, at + 2) << 16); }

}  // namespace

Wav16 ReadWav16(const std::string& path) {
  Wav16 w;
  Bytes b = ReadFile(path);
  if (b.size() < 44) {
    w.error = "shorter than a header: " + std::to_string(b.size()) + " bytes";
    return w;
  }
  if (std::string(b.begin(), b.begin() + 4) != "RIFF" || std::string(b.begin() + 8, b.begin() + 16) != "WAVEfmt " ||
      std::string(b.begin() + 36, b.begin() + 40) != "data") {
    w.error = "not a canonical RIFF WAVE header";
    return w;
  }
  w.channels = static_cast<int>(Get16(b, 22));
  w.rate = static_cast<int>(Get32(b, 24));
  uint32_t data = Get32(b, 40);
  if (Get32(b, 16) != 16 || Get16(b, 20) != 1 || Get16(b, 34) != 16) {
    w.error = "not 16-bit plain PCM";
  } else if (Get32(b, 4) != b.size() - 8 || data != b.size() - 44) {
    w.error = "sizes in the header do not match the file (" + std::to_string(b.size()) + " bytes)";
  } else if (Get32(b, 28) != static_cast<uint32_t>(w.rate) * w.channels * 2 || Get16(b, 32) != w.channels * 2u) {
    w.error = "byte rate or block align inconsistent";
  }
  for (size_t i = 44; i + 1 < b.size(); i += 2) w.values.push_back(static_cast<int16_t>(Get16(b, i)));
  return w;
}

namespace {

// Folders made by TempDir, removed when the test program ends.
struct TempDirs {
  std::vector<std::filesystem::path> made;
  ~TempDirs() {
    std::error_code ec;
    for (const auto& dir : made) std::filesystem::remove_all(dir, ec);
  }
};

}  // namespace

std::string TempDir(const std::string& name) {
  static TempDirs dirs;
  auto dir = std::filesystem::temp_directory_path() /
             ("zarn_" + name + "_" + std::to_string(std::random_device{}()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  dirs.made.push_back(dir);
  return dir.string();
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
  if (const char* old = std::getenv(name)) old_ = old;
  setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
  if (old_) {
    setenv(name_, old_->c_str(), 1);
  } else {
    unsetenv(name_);
  }
}

}  // namespace audio_test
