// Helpers for the sound tests: building RIFF WAVE files byte by byte and reading
// back the 16-bit stereo files the headless audio device writes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace audio_test {

using Bytes = std::vector<uint8_t>;

struct Chunk {
  std::string tag;  // four characters
  Bytes body;
  std::optional<uint32_t> stated_length = {};  // length field to write; default: body size
};

void Put16(Bytes& b, uint32_t v);
void Put32(Bytes& b, uint32_t v);

// A "fmt " chunk: PCM tag, channels, rate, bits, and `extra` trailing bytes.
Chunk Fmt(int tag, int channels, int rate, int bits, int extra = 0);
Chunk Data(const Bytes& pcm);
// "RIFF", a size, "WAVE", then the chunks in order.
Bytes Riff(const std::vector<Chunk>& chunks);
// A plain PCM file: "fmt " then "data".
Bytes SimpleWav(int channels, int rate, int bits, const Bytes& pcm);
// 16-bit little-endian bytes of the given values.
Bytes Le16(const std::vector<int16_t>& values);

void WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);

// A 16-bit PCM file as the headless device writes it. `error` is empty when the
// header is consistent with the file size and describes the problem otherwise.
struct Wav16 {
  std::string error;
  int channels = 0;
  int rate = 0;
  std::vector<int16_t> values;  // interleaved
};
Wav16 ReadWav16(const std::string& path);

// A fresh empty folder below the system's temporary folder, removed when the
// test program ends.
std::string TempDir(const std::string& name);

// Sets an environment variable for one scope and restores it afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace audio_test
