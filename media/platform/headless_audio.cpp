// The audio device of headless runs: the mixer is pulled as virtual time passes
// and what it produces may be written to a 16-bit stereo WAV file.
#include <algorithm>
#include <cstdio>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "media/platform/audio_devices.h"

namespace platform {

namespace {

constexpr int kHeaderBytes = 44;
constexpr int kChunkFrames = 4096;
// The RIFF size field is 32 bits; output past this many data bytes is dropped.
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - (kHeaderBytes - 8);

void Put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v) {
  Put16(p, v);
  Put16(p + 2, v >> 16);
}

}  // namespace

struct HeadlessAudioDevice::State {
  int rate = 44100;
  AudioCallback callback;
  std::string path;
  FILE* file = nullptr;
  std::recursive_mutex mutex;
  uint64_t carry = 0;  // ms x rate not yet turned into whole frames
  uint64_t data_bytes = 0;
  std::vector<int16_t> frames;
  std::vector<uint8_t> bytes;

  // Writes the 44-byte header for the data written so far, then returns to the end.
  void WriteHeader() {
    uint8_t h[kHeaderBytes];
    const uint32_t data = static_cast<uint32_t>(data_bytes);
    std::copy_n("RIFF", 4, h);
    Put32(h + 4, data + kHeaderBytes - 8);
    std::copy_n("WAVEfmt ", 8, h + 8);
    Put32(h + 16, 16);
    Put16(h + 20, 1);  // plain PCM
    Put16(h + 22, 2);  // stereo
    Put32(h + 24, static_cast<uint32_t>(rate));
    Put32(h + 28, static_cast<uint32_t>(rate) * 4);
    Put16(h + 32, 4);
    Put16(h + 34, 16);
    std::copy_n("data", 4, h + 36);
    Put32(h + 40, data);
    std::fseek(file, 0, SEEK_SET);
    std::fwrite(h, 1, kHeaderBytes, file);
    std::fseek(file, 0, SEEK_END);
  }

  void Append(const int16_t* values, int count) {
    uint64_t room = kMaxDataBytes - data_bytes;
    uint64_t n = std::min<uint64_t>(static_cast<uint64_t>(count) * 2, room) / 4 * 4;
    bytes.resize(n);
    for (uint64_t i = 0; i < n / 2; ++i) Put16(&bytes[2 * i], static_cast<uint16_t>(values[i]));
    data_bytes += std::fwrite(bytes.data(), 1, n, file);
  }
};

HeadlessAudioDevice::HeadlessAudioDevice(int rate, AudioCallback callback, const std::string& wav_path)
    : state_(std::make_unique<State>()) {
  state_->rate = rate > 0 ? rate : 44100;
  state_->callback = std::move(callback);
  state_->path = wav_path;
  if (!wav_path.empty()) {
    state_->file = std::fopen(wav_path.c_str(), "wb");
    if (state_->file == nullptr) throw std::runtime_error("Unable to write audio file \"" + wav_path + "\"");
    state_->WriteHeader();
    std::fflush(state_->file);
  }
}

HeadlessAudioDevice::~HeadlessAudioDevice() {
  if (state_->file != nullptr) {
    state_->WriteHeader();
    std::fclose(state_->file);
  }
}

int HeadlessAudioDevice::Rate() const { return state_->rate; }

void HeadlessAudioDevice::Lock() { state_->mutex.lock(); }

void HeadlessAudioDevice::Unlock() { state_->mutex.unlock(); }

void HeadlessAudioDevice::Advance(uint32_t elapsed_ms) {
  State& s = *state_;
  std::lock_guard<std::recursive_mutex> lock(s.mutex);
  s.carry += uint64_t{elapsed_ms} * static_cast<uint64_t>(s.rate);
  uint64_t due = s.carry / 1000;
  s.carry %= 1000;
  if (due == 0) return;
  s.frames.resize(static_cast<size_t>(kChunkFrames) * 2);
  while (due > 0) {
    int n = static_cast<int>(std::min<uint64_t>(due, kChunkFrames));
    std::fill_n(s.frames.data(), n * 2, int16_t{0});
    if (s.callback) s.callback(s.frames.data(), n);
    if (s.file != nullptr) s.Append(s.frames.data(), n * 2);
    due -= static_cast<uint64_t>(n);
  }
  if (s.file != nullptr) {
    s.WriteHeader();
    std::fflush(s.file);
  }
}

}  // namespace platform
