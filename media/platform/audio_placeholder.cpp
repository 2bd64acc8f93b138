// Stand-ins for the audio devices until the real ones exist: no device opens,
// and the headless device accepts time without producing anything.
#include "media/platform/audio_devices.h"

namespace platform {

struct HeadlessAudioDevice::State {};

__attribute__((weak)) std::unique_ptr<AudioDevice> OpenSdlAudio(int, AudioCallback) { return nullptr; }

__attribute__((weak)) HeadlessAudioDevice::HeadlessAudioDevice(int, AudioCallback, const std::string&) {}
__attribute__((weak)) HeadlessAudioDevice::~HeadlessAudioDevice() = default;
__attribute__((weak)) int HeadlessAudioDevice::Rate() const { return 44100; }
__attribute__((weak)) void HeadlessAudioDevice::Lock() {}
__attribute__((weak)) void HeadlessAudioDevice::Unlock() {}
__attribute__((weak)) void HeadlessAudioDevice::Advance(uint32_t) {}

}  // namespace platform
