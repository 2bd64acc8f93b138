#include "media/audio/mixer.h"

#include <algorithm>
#include <cmath>

#include "media/audio/sample.h"

std::shared_ptr<const TPcmBlock> TPcmBlock::FromSample(const TAudioSample& sample) {
  const int format = sample.format;
  const int bpf = BytesPerFrame(format);
  if (bpf == 0 || sample.length < 0 || (sample.length > 0 && sample.samples == nullptr)) return nullptr;
  auto block = std::make_shared<TPcmBlock>();
  block->channels = ChannelsPerFrame(format);
  block->length = sample.length;
  block->hertz = sample.hertz;
  const size_t values = static_cast<size_t>(sample.length) * static_cast<size_t>(block->channels);
  block->data.resize(values);
  const uint8_t* in = sample.samples;
  int16_t* out = block->data.data();
  switch (format) {
    case SF_MONO8:
    case SF_STEREO8:
      // Unsigned 8-bit: 128 is silence; widening by 256 keeps every value exact.
      for (size_t i = 0; i < values; ++i) out[i] = static_cast<int16_t>((in[i] - 128) * 256);
      break;
    case SF_MONO16LE:
    case SF_STEREO16LE:
      for (size_t i = 0; i < values; ++i)
        out[i] = static_cast<int16_t>(static_cast<uint16_t>(in[2 * i] | (in[2 * i + 1] << 8)));
      break;
    default:  // the big-endian formats
      for (size_t i = 0; i < values; ++i)
        out[i] = static_cast<int16_t>(static_cast<uint16_t>((in[2 * i] << 8) | in[2 * i + 1]));
      break;
  }
  return block;
}

TAudioMixer::TAudioMixer(int rate) : rate_(rate > 0 ? rate : 44100) {}

TAudioMixer::Voice* TAudioMixer::Find(VoiceHandle handle) {
  uint64_t index = (handle & 0xFFFFFFFFu);
  if (index == 0 || index > slots_.size()) return nullptr;
  Slot& slot = slots_[index - 1];
  if (!slot.used || slot.generation != static_cast<uint32_t>(handle >> 32)) return nullptr;
  return &slot.voice;
}

const TAudioMixer::Voice* TAudioMixer::Find(VoiceHandle handle) const {
  return const_cast<TAudioMixer*>(this)->Find(handle);
}

VoiceHandle TAudioMixer::CreateVoice(std::shared_ptr<const TPcmBlock> pcm, VoiceGroup group) {
  if (!pcm) return 0;
  std::lock_guard<std::mutex> lock(mutex_);
  if (count_ >= kMaxVoices) return 0;
  uint32_t index;
  if (!free_.empty()) {
    index = free_.back();
    free_.pop_back();
  } else {
    index = static_cast<uint32_t>(slots_.size());
    slots_.emplace_back();
  }
  Slot& slot = slots_[index];
  slot.used = true;
  slot.voice = Voice{};
  slot.voice.pcm = std::move(pcm);
  slot.voice.group = group;
  slot.voice.frequency = std::clamp(slot.voice.pcm->hertz, 0, kMaxFrequency);
  UpdateStep(slot.voice);
  UpdateGains(slot.voice);
  ++count_;
  return (uint64_t{slot.generation} << 32) | (index + 1);
}

void TAudioMixer::ReleaseVoice(VoiceHandle handle) {
  std::shared_ptr<const TPcmBlock> last;  // dropped after the lock is released
  std::lock_guard<std::mutex> lock(mutex_);
  if (Find(handle) == nullptr) return;
  uint32_t index = static_cast<uint32_t>(handle & 0xFFFFFFFFu) - 1;
  Slot& slot = slots_[index];
  last = std::move(slot.voice.pcm);
  slot.voice = Voice{};
  slot.used = false;
  ++slot.generation;
  free_.push_back(index);
  --count_;
}

int TAudioMixer::VoiceCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return count_;
}

void TAudioMixer::Play(VoiceHandle handle, bool loop) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Voice* v = Find(handle)) {
    v->playing = true;
    v->loop = loop;
  }
}

void TAudioMixer::Stop(VoiceHandle handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Voice* v = Find(handle)) v->playing = false;
}

bool TAudioMixer::PauseUnlessFinished(VoiceHandle handle, bool pause, bool loop, bool held) {
  std::lock_guard<std::mutex> lock(mutex_);
  Voice* v = Find(handle);
  if (v == nullptr || !(held || v->playing)) return false;
  v->playing = !pause;
  if (!pause) v->loop = loop;
  return true;
}

bool TAudioMixer::Playing(VoiceHandle handle) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const Voice* v = Find(handle);
  return v != nullptr && v->playing;
}

void TAudioMixer::SetPosition(VoiceHandle handle, int frame) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Voice* v = Find(handle)) v->pos = uint64_t(std::clamp(frame, 0, v->pcm->length)) << 32;
}

int TAudioMixer::Position(VoiceHandle handle) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const Voice* v = Find(handle);
  return v != nullptr ? static_cast<int>(v->pos >> 32) : 0;
}

void TAudioMixer::SetVolume(VoiceHandle handle, int volume) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Voice* v = Find(handle)) {
    v->volume = std::clamp(volume, -10000, 0);
    UpdateGains(*v);
  }
}

int TAudioMixer::Volume(VoiceHandle handle) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const Voice* v = Find(handle);
  return v != nullptr ? v->volume : 0;
}

int TAudioMixer::Pan(VoiceHandle handle) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const Voice* v = Find(handle);
  return v != nullptr ? v->pan : 0;
}

void TAudioMixer::SetPan(VoiceHandle handle, int pan) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Voice* v = Find(handle)) {
    v->pan = std::clamp(pan, -10000, 10000);
    UpdateGains(*v);
  }
}

void TAudioMixer::SetFrequency(VoiceHandle handle, int hertz) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Voice* v = Find(handle)) {
    v->frequency = std::clamp(hertz, 0, kMaxFrequency);
    UpdateStep(*v);
  }
}

int TAudioMixer::Frequency(VoiceHandle handle) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const Voice* v = Find(handle);
  return v != nullptr ? v->frequency : 0;
}

void TAudioMixer::SetGroupGain(VoiceGroup group, float gain) {
  std::lock_guard<std::mutex> lock(mutex_);
  // NaN counts as 0.
  group_gain_[static_cast<int>(group)] = gain > 0.0f ? std::min(gain, 1.0f) : 0.0f;
}

float TAudioMixer::GroupGain(VoiceGroup group) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return group_gain_[static_cast<int>(group)];
}

void TAudioMixer::UpdateGains(Voice& v) {
  double gain = std::pow(10.0, v.volume / 2000.0);
  double left = v.pan > 0 ? std::pow(10.0, -v.pan / 2000.0) : 1.0;
  double right = v.pan < 0 ? std::pow(10.0, v.pan / 2000.0) : 1.0;
  v.gain_l = static_cast<float>(gain * left);
  v.gain_r = static_cast<float>(gain * right);
}

void TAudioMixer::UpdateStep(Voice& v) {
  v.step = (static_cast<uint64_t>(v.frequency) << 32) / static_cast<uint64_t>(rate_);
}

// Linear interpolation between neighbouring frames. The frame after the last is
// the first one for a looping voice and silence otherwise, so a voice that wraps
// or ends between two output frames glides into its next value instead of jumping.
template <int kChannels>
void TAudioMixer::MixVoice(Voice& v, float* acc, int frames) {
  const TPcmBlock& block = *v.pcm;
  const uint64_t length = static_cast<uint64_t>(block.length);
  if (length == 0) {
    v.playing = false;
    v.pos = 0;
    return;
  }
  const int16_t* d = block.data.data();
  const uint64_t end = length << 32;
  const uint64_t step = v.step;
  const float group_gain = group_gain_[static_cast<int>(v.group)];
  const float gl = v.gain_l * group_gain;
  const float gr = v.gain_r * group_gain;
  const bool loop = v.loop;
  constexpr float kFrac = 1.0f / 16777216.0f;  // 2^-24
  uint64_t pos = v.pos;
  for (int n = 0; n < frames; ++n) {
    if (pos >= end) {
      if (!loop) {
        v.playing = false;
        pos = 0;
        break;
      }
      pos %= end;
    }
    const uint64_t i = pos >> 32;
    const uint64_t j = i + 1 < length ? i + 1 : 0;
    const bool silent_next = !loop && i + 1 >= length;
    const float f = static_cast<float>(static_cast<uint32_t>(pos) >> 8) * kFrac;
    if constexpr (kChannels == 1) {
      const float a = d[i];
      const float b = silent_next ? 0.0f : d[j];
      const float s = a + (b - a) * f;
      acc[2 * n] += s * gl;
      acc[2 * n + 1] += s * gr;
    } else {
      const float al = d[2 * i];
      const float ar = d[2 * i + 1];
      const float bl = silent_next ? 0.0f : d[2 * j];
      const float br = silent_next ? 0.0f : d[2 * j + 1];
      acc[2 * n] += (al + (bl - al) * f) * gl;
      acc[2 * n + 1] += (ar + (br - ar) * f) * gr;
    }
    pos += step;
  }
  if (pos >= end) {  // reached the end with the last frame of this buffer
    if (loop) {
      pos %= end;
    } else {
      v.playing = false;
      pos = 0;
    }
  }
  v.pos = pos;
}

void TAudioMixer::Mix(int16_t* out, int frames) {
  if (frames <= 0) return;
  std::lock_guard<std::mutex> lock(mutex_);
  const size_t values = static_cast<size_t>(frames) * 2;
  if (acc_.size() < values) acc_.resize(values);
  float* acc = acc_.data();
  std::fill(acc, acc + values, 0.0f);
  for (Slot& slot : slots_) {
    if (!slot.used || !slot.voice.playing) continue;
    if (slot.voice.pcm->channels == 2) {
      MixVoice<2>(slot.voice, acc, frames);
    } else {
      MixVoice<1>(slot.voice, acc, frames);
    }
  }
  // The only rounding and clipping step: once per output value.
  for (size_t i = 0; i < values; ++i) {
    const float s = std::clamp(acc[i], -32768.0f, 32767.0f);
    out[i] = static_cast<int16_t>(std::lrint(s));
  }
}
