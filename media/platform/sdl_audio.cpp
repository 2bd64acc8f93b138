// The audio device on SDL2: the default output device in 16-bit stereo, fed by
// the callback on SDL's audio thread. Playback does not depend on window focus.
#include <SDL.h>

#include "media/platform/audio_devices.h"

namespace platform {

namespace {

// About 23 ms at 44100 Hz: short enough for effects to follow key presses.
constexpr Uint16 kBufferFrames = 1024;

class SdlAudioDevice : public AudioDevice {
 public:
  explicit SdlAudioDevice(AudioCallback callback) : callback_(std::move(callback)) {}

  ~SdlAudioDevice() override {
    if (device_ != 0) SDL_CloseAudioDevice(device_);  // waits for the audio thread
    if (subsystem_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  bool Open(int rate) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    subsystem_ = true;
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kBufferFrames;
    want.callback = &SdlAudioDevice::Fill;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the hardware takes.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0) return false;
    rate_ = have.freq;
    SDL_PauseAudioDevice(device_, 0);
    return true;
  }

  int Rate() const override { return rate_; }
  void Lock() override { SDL_LockAudioDevice(device_); }
  void Unlock() override { SDL_UnlockAudioDevice(device_); }

 private:
  static void SDLCALL Fill(void* user, Uint8* stream, int len) {
    auto* self = static_cast<SdlAudioDevice*>(user);
    SDL_memset(stream, 0, static_cast<size_t>(len));
    if (self->callback_) self->callback_(reinterpret_cast<int16_t*>(stream), len / 4);
  }

  AudioCallback callback_;
  SDL_AudioDeviceID device_ = 0;
  bool subsystem_ = false;
  int rate_ = 0;
};

}  // namespace

std::unique_ptr<AudioDevice> OpenSdlAudio(int rate, AudioCallback callback) {
  auto device = std::make_unique<SdlAudioDevice>(std::move(callback));
  if (!device->Open(rate > 0 ? rate : 44100)) return nullptr;
  return device;
}

}  // namespace platform
