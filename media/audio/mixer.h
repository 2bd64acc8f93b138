// The software mixer behind the audio driver: any number of voices, each reading
// a shared block of PCM data with its own position, loop flag, volume, pan and
// playback frequency, summed into stereo 16-bit output at the device rate.
//
// Mix runs on the audio thread; every other operation runs on the game thread.
// Both sides take one mutex, which Mix holds only while it renders one buffer.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

class TAudioSample;

// PCM data shared by every voice of one sound: interleaved native 16-bit values,
// one or two channels per frame.
struct TPcmBlock {
  std::vector<int16_t> data;
  int channels = 1;
  int length = 0;  // frames
  int hertz = 0;   // the recorded rate, frames per second

  // Converts any of the six sample formats; null for SF_NONE or unknown codes.
  static std::shared_ptr<const TPcmBlock> FromSample(const TAudioSample& sample);
};

// Identifies one voice of a mixer; 0 is never a voice.
using VoiceHandle = uint64_t;

// Every voice belongs to a group whose gain scales it on top of its own volume:
// the player's volume of the sound effects or of the music.
enum class VoiceGroup { Effects = 0, Music = 1 };

class TAudioMixer {
 public:
  // Voices beyond this count are refused (CreateVoice returns 0), which bounds
  // what a runaway caller can allocate.
  static constexpr int kMaxVoices = 512;
  // Playback frequencies are clamped to 0..kMaxFrequency frames per second;
  // 0 holds the voice still.
  static constexpr int kMaxFrequency = 1 << 20;

  explicit TAudioMixer(int rate);
  int Rate() const { return rate_; }

  // A new voice over `pcm` in `group`, stopped at position 0, full volume,
  // centred, at the block's own rate. Returns 0 when kMaxVoices voices exist
  // already.
  VoiceHandle CreateVoice(std::shared_ptr<const TPcmBlock> pcm, VoiceGroup group = VoiceGroup::Effects);
  void ReleaseVoice(VoiceHandle voice);
  int VoiceCount() const;

  // Starts from the current position; `loop` wraps at the end instead of stopping.
  void Play(VoiceHandle voice, bool loop);
  // Stops and keeps the position.
  void Stop(VoiceHandle voice);
  // Pauses (keeping the position) or resumes (from the position, looping when
  // `loop`) a voice that has not finished, one that plays or that its owner
  // stopped on purpose (`held`); returns false, changing nothing, for a voice
  // that has finished. Deciding and acting in one step under the lock, a voice
  // that ends on the audio thread meanwhile is never started again.
  bool PauseUnlessFinished(VoiceHandle voice, bool pause, bool loop, bool held);
  // True while playing; a voice that is not looping stops by itself at its end
  // and its position returns to 0.
  bool Playing(VoiceHandle voice) const;
  void SetPosition(VoiceHandle voice, int frame);  // clamped to 0..length
  int Position(VoiceHandle voice) const;           // frame index
  // Hundredths of a decibel, clamped to -10000..0; gain = 10^(volume / 2000).
  void SetVolume(VoiceHandle voice, int volume);
  int Volume(VoiceHandle voice) const;
  // Hundredths of a decibel, clamped to -10000..10000: positive values lower the
  // left side by that much, negative values the right side.
  void SetPan(VoiceHandle voice, int pan);
  int Pan(VoiceHandle voice) const;
  void SetFrequency(VoiceHandle voice, int hertz);
  int Frequency(VoiceHandle voice) const;
  // A factor on the amplitude of every voice of the group, from the next
  // rendered buffer on, clamped to 0..1 (0 silences without stopping
  // anything); 1 at first.
  void SetGroupGain(VoiceGroup group, float gain);
  float GroupGain(VoiceGroup group) const;

  // Renders `frames` interleaved stereo frames into `out`, advancing every
  // playing voice.
  void Mix(int16_t* out, int frames);

 private:
  struct Voice {
    std::shared_ptr<const TPcmBlock> pcm;
    uint64_t pos = 0;   // frames, 32.32 fixed point
    uint64_t step = 0;  // pos advance per output frame, 32.32
    int frequency = 0;
    int volume = 0;
    int pan = 0;
    float gain_l = 1.0f;
    float gain_r = 1.0f;
    bool playing = false;
    bool loop = false;
    VoiceGroup group = VoiceGroup::Effects;
  };
  struct Slot {
    Voice voice;
    uint32_t generation = 0;
    bool used = false;
  };

  Voice* Find(VoiceHandle handle);
  const Voice* Find(VoiceHandle handle) const;
  void UpdateGains(Voice& v);
  void UpdateStep(Voice& v);
  template <int kChannels>
  void MixVoice(Voice& v, float* acc, int frames);

  const int rate_;
  mutable std::mutex mutex_;
  std::vector<Slot> slots_;
  std::vector<uint32_t> free_;
  int count_ = 0;
  float group_gain_[2] = {1.0f, 1.0f};
  std::vector<float> acc_;
};
