// Audio devices behind platform::Backend::OpenAudio: one on SDL2's audio device,
// one for headless runs that mixes as virtual time passes and may write a WAV file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "media/platform/platform.h"

namespace platform {

// Opens SDL's default output device (stereo, 16-bit) at `rate`; null when none.
std::unique_ptr<AudioDevice> OpenSdlAudio(int rate, AudioCallback callback);

// Pulled by the headless backend: every advance of the virtual clock asks the
// callback for the sample frames of that stretch of time (rate frames per
// virtual second, fractions carried over) and, when a path is given, appends
// them to a 16-bit stereo WAV file whose header is kept valid.
class HeadlessAudioDevice : public AudioDevice {
 public:
  HeadlessAudioDevice(int rate, AudioCallback callback, const std::string& wav_path);
  ~HeadlessAudioDevice() override;
  int Rate() const override;
  void Lock() override;
  void Unlock() override;
  void Advance(uint32_t elapsed_ms);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace platform
