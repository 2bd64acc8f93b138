// Decoded PCM samples and the table of sample formats.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

// Sample formats: code -> layout.
enum : int {
  SF_NONE = 0,
  SF_MONO8 = 1,      // mono, 8-bit unsigned
  SF_MONO16LE = 2,   // mono, 16-bit signed little-endian
  SF_MONO16BE = 3,   // mono, 16-bit signed big-endian
  SF_STEREO8 = 4,    // stereo, 8-bit unsigned
  SF_STEREO16LE = 5, // stereo, 16-bit signed little-endian
  SF_STEREO16BE = 6, // stereo, 16-bit signed big-endian
};

// Bytes per sample frame of a format (0 for SF_NONE and unknown codes).
int BytesPerFrame(int format);
// Channels of a format (0 for SF_NONE and unknown codes).
int ChannelsPerFrame(int format);

// Decoded PCM data: `length` frames at `hertz` frames per second in `format`.
// A sample made with Create owns its bytes (capacity = bytes allocated); one made
// with CreateStatic refers to bytes owned by someone else (capacity = -1).
class TAudioSample {
 public:
  uint8_t* samples = nullptr;
  int32_t length = 0;
  int32_t hertz = 0;
  int32_t format = SF_NONE;
  int32_t capacity = 0;

  TAudioSample() = default;
  TAudioSample(const TAudioSample&) = delete;
  TAudioSample& operator=(const TAudioSample&) = delete;

  // A new sample of `length` frames (zero bytes); null when length is negative,
  // the format unknown or the byte count does not fit in 32 bits.
  static std::unique_ptr<TAudioSample> Create(int length, int hertz, int format);
  static std::unique_ptr<TAudioSample> CreateStatic(uint8_t* bytes, int length, int hertz, int format);

  // Bytes of sample data: length x bytes per frame.
  int ByteCount() const;

 private:
  std::vector<uint8_t> _owned;
};
