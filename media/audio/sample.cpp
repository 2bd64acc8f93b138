#include "media/audio/sample.h"


namespace {

struct FormatInfo {
  int bytes;
  int channels;
};

FormatInfo Info(int format) {
  switch (format) {
    case SF_MONO8: return {1, 1};
    case SF_MONO16LE:
    case SF_MONO16BE: return {2, 1};
    case SF_STEREO8: return {2, 2};
    case SF_STEREO16LE:
    case SF_STEREO16BE: return {4, 2};
    default: return {0, 0};
  }
}

}  // namespace

int BytesPerFrame(int format) { return Info(format).bytes; }
int ChannelsPerFrame(int format) { return Info(format).channels; }

std::unique_ptr<TAudioSample> TAudioSample::Create(int length, int hertz, int format) {
  int bpf = BytesPerFrame(format);
  if (length < 0 || bpf == 0) return nullptr;
  int64_t bytes = int64_t{length} * bpf;
  if (bytes > INT32_MAX) return nullptr;
  auto sample = std::make_unique<TAudioSample>();
  sample->_owned.assign(static_cast<size_t>(bytes), 0);
  sample->samples = sample->_owned.data();
  sample->length = length;
  sample->hertz = hertz;
  sample->format = format;
  sample->capacity = static_cast<int32_t>(bytes);
  return sample;
}

std::unique_ptr<TAudioSample> TAudioSample::CreateStatic(uint8_t* bytes, int length, int hertz, int format) {
  if (length < 0 || BytesPerFrame(format) == 0) return nullptr;
  if (int64_t{length} * BytesPerFrame(format) > INT32_MAX) return nullptr;
  auto sample = std::make_unique<TAudioSample>();
  sample->samples = bytes;
  sample->length = length;
  sample->hertz = hertz;
  sample->format = format;
  sample->capacity = -1;
  return sample;
}

int TAudioSample::ByteCount() const { return length * BytesPerFrame(format); }

