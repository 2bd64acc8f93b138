// Fuzz target: the sample loaders over arbitrary bytes, then a short mix of
// whatever they accept (rates and lengths straight from the file).
#include <cstdint>
#include <cstdlib>

#include "media/audio/mixer.h"
#include "media/audio/sample_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream stream(data, size);
  std::unique_ptr<TAudioSample> sample = LoadAudioSample(stream);
  if (!sample) return 0;
  // Whatever is accepted fits in the input and converts for the mixer.
  if (sample->length < 0 || static_cast<size_t>(sample->ByteCount()) > size) std::abort();
  auto pcm = TPcmBlock::FromSample(*sample);
  if (!pcm || pcm->data.size() != static_cast<size_t>(sample->length) * pcm->channels) std::abort();
  TAudioMixer mixer(44100);
  VoiceHandle voice = mixer.CreateVoice(pcm);
  mixer.Play(voice, size % 2 == 0);
  int16_t out[2 * 300];
  mixer.Mix(out, 300);
  if (mixer.Position(voice) > sample->length) std::abort();
  return 0;
}
