// The audio driver that makes sound: the software mixer fed to the platform's
// audio device (SDL's output device, or the headless device of test runs).
//
// A sound keeps one shared PCM block and a list of voices over it; a channel
// controls a voice only while its `_seq` matches the voice's, so a voice handed
// to a later play silently detaches the channel that had it before.
#pragma once

#include <functional>
#include <list>
#include <memory>
#include <string>

#include "media/audio/driver.h"
#include "media/audio/mixer.h"
#include "media/platform/platform.h"

class TMixerSound;

// One voice of a sound.
class TBuf {
 public:
  TBuf(std::shared_ptr<TAudioMixer> mixer, VoiceHandle buffer) : _mixer(std::move(mixer)), _buffer(buffer) {}
  ~TBuf() { _mixer->ReleaseVoice(_buffer); }
  TBuf(const TBuf&) = delete;
  TBuf& operator=(const TBuf&) = delete;

  // Not paused, and the mixer reports it playing.
  int Playing() const { return !_paused && _mixer->Playing(_buffer); }
  // Paused, or the mixer reports it playing: not free for another play.
  int Active() const { return _paused || _mixer->Playing(_buffer); }

  std::shared_ptr<TAudioMixer> _mixer;
  VoiceHandle _buffer;
  int _seq = 0;     // bumped whenever the voice is taken from a channel
  int _paused = 0;
};

using BufList = std::list<std::shared_ptr<TBuf>>;

// Opens the audio device for a mixer driver: rate, callback -> device or null.
using AudioDeviceOpener =
    std::function<std::unique_ptr<platform::AudioDevice>(int rate, platform::AudioCallback callback)>;

class TMixerAudioDriver : public TAudioDriver {
 public:
  static constexpr int kRate = 44100;

  // `open` defaults to the current platform backend's OpenAudio.
  TMixerAudioDriver(std::string name, int mode, AudioDeviceOpener open = nullptr);
  ~TMixerAudioDriver() override;

  std::string Name() override { return _name; }
  int Startup() override;
  void Shutdown() override;
  std::shared_ptr<TSound> CreateSound(const TAudioSample& sample, int flags) override;
  std::shared_ptr<TChannel> AllocChannel() override;

  // Takes over the voices of a sound that is destroyed, so they can finish.
  void AddLonely(BufList bufs);
  // Releases the orphaned voices that are no longer active.
  void FlushLonely();

  // The mixer while the driver runs (null otherwise).
  const std::shared_ptr<TAudioMixer>& Mixer() const { return _mixer; }
  int LonelyCount() const { return static_cast<int>(_lonely.size()); }

  std::string _name;
  int _mode;

 private:
  AudioDeviceOpener _open;
  std::shared_ptr<TAudioMixer> _mixer;
  std::unique_ptr<platform::AudioDevice> _device;
  BufList _lonely;
};

class TMixerSound : public TSound, public std::enable_shared_from_this<TMixerSound> {
 public:
  // Null when the sample has no valid format.
  static std::shared_ptr<TMixerSound> Create(const TAudioSample& sample, int flags);
  ~TMixerSound() override;

  std::shared_ptr<TChannel> Play(const std::shared_ptr<TChannel>& channel = nullptr) override;
  std::shared_ptr<TChannel> Cue(const std::shared_ptr<TChannel>& channel = nullptr) override;

  int VoiceCount() const { return static_cast<int>(_bufs.size()); }

  int _seq = 0;  // driver generation the sound was made in
  std::shared_ptr<const TPcmBlock> _buffer;
  std::shared_ptr<TAudioMixer> _mixer;
  int _hertz = 0;
  int _loop = 0;
  VoiceGroup _group = VoiceGroup::Effects;  // Music for SOUND_MUSIC
  BufList _bufs;  // front to back: newest voice first
};

class TMixerChannel : public TChannel {
 public:
  static std::shared_ptr<TMixerChannel> Create(int static_flag);
  // A channel dropped while it owns a paused (or only cued) voice stops it; a
  // playing voice plays on.
  ~TMixerChannel() override;

  void Stop() override;
  void SetPaused(int paused) override;
  void SetVolume(float volume) override;
  void SetPan(float pan) override;
  void SetDepth(float) override {}
  void SetRate(float rate) override;
  int Playing() override;
  // Takes a free voice of the sound (or a new one), paused at the start, with
  // this channel's volume, pan and rate. 0 when no voice could be made.
  int Cue(const std::shared_ptr<TMixerSound>& sound);

  // The voice this channel controls, while it owns one.
  std::shared_ptr<TBuf> Voice() const { return Owns() ? _buf : nullptr; }

  float _volume = 1.0f;
  float _pan = 0.0f;
  float _rate = 1.0f;
  int _static = 0;
  std::shared_ptr<TMixerSound> _sound;
  std::shared_ptr<TBuf> _buf;
  int _seq = 0;
  int _hertz = 0;
  int _playFlags = 0;

 private:
  bool Owns() const { return _buf != nullptr && _seq == _buf->_seq; }
  void ApplyVolume();
  void ApplyPan();
  void ApplyRate();
};

// Hundredths of a decibel for a channel volume 0..1 after the 0.1 power curve.
int VolumeToHundredths(float volume);
