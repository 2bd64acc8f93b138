#include "media/audio/mixer_driver.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "media/audio/sample.h"
#include "media/core/module_state.h"
#include "media/platform/player_settings.h"

namespace {

struct Mixers {
  // Bumped by every driver shutdown: sounds of an earlier generation no longer
  // hand their voices to the running driver.
  int generation = 0;
  // The mixer driver that is running, which sounds and channels talk to.
  TMixerAudioDriver* active = nullptr;
  bool watching = false;  // the player's volumes reach the running mixer
};

Mixers& S() { return core::ModuleState<Mixers>(); }

// The player's volumes, per cent of the sounds' own loudness, as the gains of
// the mixer's groups.
void ApplyPlayerVolumes(TAudioMixer& mixer, const platform::PlayerSettings& settings) {
  mixer.SetGroupGain(VoiceGroup::Effects, static_cast<float>(settings.effects_volume) / 100.0f);
  mixer.SetGroupGain(VoiceGroup::Music, static_cast<float>(settings.music_volume) / 100.0f);
}

// The exponent of the volume and pan curves: 0.1 as a float, used in double.
constexpr double kCurve = static_cast<double>(0.1f);

// NaN counts as 0; everything else is clamped.
double Clamp(double x, double lo, double hi) { return x >= lo ? std::min(x, hi) : (x <= hi ? lo : 0.0); }

int Hundredths(double value) { return static_cast<int>(std::trunc(Clamp(value, -10000.0, 10000.0))); }

}  // namespace

int VolumeToHundredths(float volume) { return Hundredths((1.0 - volume) * -10000.0); }

// ---------------------------------------------------------------------------
// Driver

TMixerAudioDriver::TMixerAudioDriver(std::string name, int mode, AudioDeviceOpener open)
    : _name(std::move(name)), _mode(mode), _open(std::move(open)) {}

TMixerAudioDriver::~TMixerAudioDriver() {
  if (_device) Shutdown();
}

int TMixerAudioDriver::Startup() {
  auto mixer = std::make_shared<TAudioMixer>(kRate);
  platform::AudioCallback callback = [mixer](int16_t* out, int frames) { mixer->Mix(out, frames); };
  std::unique_ptr<platform::AudioDevice> device =
      _open ? _open(kRate, std::move(callback)) : platform::Current().OpenAudio(kRate, std::move(callback));
  if (!device) return 0;
  _mixer = std::move(mixer);
  _device = std::move(device);
  S().active = this;
  ApplyPlayerVolumes(*_mixer, platform::CurrentSettings());
  if (!std::exchange(S().watching, true)) {
    platform::WatchSettings([](const platform::PlayerSettings&, const platform::PlayerSettings& after,
                               platform::SettingsChange) {
      if (TMixerAudioDriver* driver = S().active; driver != nullptr && driver->Mixer())
        ApplyPlayerVolumes(*driver->Mixer(), after);
    });
  }
  return 1;
}

void TMixerAudioDriver::Shutdown() {
  ++S().generation;
  if (S().active == this) S().active = nullptr;
  _lonely.clear();
  _device.reset();  // no more callbacks after this
  _mixer.reset();   // sounds still holding voices keep the mixer alive, silent
}

std::shared_ptr<TSound> TMixerAudioDriver::CreateSound(const TAudioSample& sample, int flags) {
  if (!_mixer) return std::make_shared<TSound>();  // not started: silent
  FlushLonely();
  auto pcm = TPcmBlock::FromSample(sample);
  if (!pcm) return nullptr;
  auto sound = std::make_shared<TMixerSound>();
  sound->_seq = S().generation;
  sound->_buffer = pcm;
  sound->_mixer = _mixer;
  sound->_hertz = sample.hertz;
  sound->_loop = flags & SOUND_LOOP;
  sound->_group = (flags & SOUND_MUSIC) ? VoiceGroup::Music : VoiceGroup::Effects;
  // The first voice; when the mixer is full the first Cue makes it instead.
  if (VoiceHandle voice = _mixer->CreateVoice(pcm, sound->_group))
    sound->_bufs.push_front(std::make_shared<TBuf>(_mixer, voice));
  return sound;
}

std::shared_ptr<TChannel> TMixerAudioDriver::AllocChannel() { return TMixerChannel::Create(1); }

void TMixerAudioDriver::AddLonely(BufList bufs) { _lonely.splice(_lonely.begin(), bufs); }

void TMixerAudioDriver::FlushLonely() {
  _lonely.remove_if([](const std::shared_ptr<TBuf>& buf) { return !buf->Active(); });
}

// ---------------------------------------------------------------------------
// Sound

TMixerSound::~TMixerSound() {
  if (S().active != nullptr && _seq == S().generation) S().active->AddLonely(std::move(_bufs));
}

std::shared_ptr<TChannel> TMixerSound::Play(const std::shared_ptr<TChannel>& channel) {
  std::shared_ptr<TChannel> cued = Cue(channel);
  cued->SetPaused(0);
  return cued;
}

std::shared_ptr<TChannel> TMixerSound::Cue(const std::shared_ptr<TChannel>& channel) {
  std::shared_ptr<TMixerChannel> own = std::dynamic_pointer_cast<TMixerChannel>(channel);
  if (!own) own = TMixerChannel::Create(0);
  own->Cue(shared_from_this());
  return own;
}

// ---------------------------------------------------------------------------
// Channel

std::shared_ptr<TMixerChannel> TMixerChannel::Create(int static_flag) {
  auto channel = std::make_shared<TMixerChannel>();
  channel->_static = static_flag;
  return channel;
}

TMixerChannel::~TMixerChannel() {
  if (Owns() && _buf->_paused) Stop();
}

int TMixerChannel::Cue(const std::shared_ptr<TMixerSound>& sound) {
  Stop();
  std::shared_ptr<TBuf> buf;
  for (const std::shared_ptr<TBuf>& candidate : sound->_bufs) {
    if (!candidate->Active()) {
      buf = candidate;
      ++buf->_seq;
      break;
    }
  }
  if (!buf) {
    if (S().active != nullptr) S().active->FlushLonely();
    VoiceHandle voice = sound->_mixer->CreateVoice(sound->_buffer, sound->_group);
    if (voice == 0) return 0;
    buf = std::make_shared<TBuf>(sound->_mixer, voice);
    sound->_bufs.push_front(buf);
  }
  _sound = sound;
  _buf = buf;
  _seq = buf->_seq;
  _hertz = sound->_hertz;
  _playFlags = sound->_loop ? 1 : 0;
  buf->_paused = 1;
  buf->_mixer->SetPosition(buf->_buffer, 0);
  ApplyVolume();
  ApplyPan();
  ApplyRate();
  return 1;
}

void TMixerChannel::Stop() {
  if (!Owns()) return;
  _buf->_mixer->Stop(_buf->_buffer);
  _buf->_paused = 0;
  ++_buf->_seq;
  _buf = nullptr;
}

void TMixerChannel::SetPaused(int paused) {
  if (!Owns()) return;
  // "Has it finished?" and the pause or resume are one step for the mixer, so
  // a voice that ends on the audio thread in between is not started again.
  if (!_buf->_mixer->PauseUnlessFinished(_buf->_buffer, paused != 0, _playFlags == 1, _buf->_paused != 0)) {
    ++_buf->_seq;  // it has finished: let it go
    _buf = nullptr;
    return;
  }
  _buf->_paused = paused ? 1 : 0;
}

void TMixerChannel::SetVolume(float volume) {
  _volume = static_cast<float>(std::pow(Clamp(volume, 0.0, 1.0), kCurve));
  if (Owns()) ApplyVolume();
}

void TMixerChannel::SetPan(float pan) {
  double p = Clamp(pan, -1.0, 1.0);
  double shaped = 1.0 - std::pow(1.0 - std::fabs(p), kCurve);
  _pan = static_cast<float>(p < 0 ? -shaped : (p > 0 ? shaped : 0.0));
  if (Owns()) ApplyPan();
}

void TMixerChannel::SetRate(float rate) {
  _rate = rate;
  if (Owns()) ApplyRate();
}

int TMixerChannel::Playing() { return Owns() ? _buf->Playing() : 0; }

void TMixerChannel::ApplyVolume() { _buf->_mixer->SetVolume(_buf->_buffer, VolumeToHundredths(_volume)); }

void TMixerChannel::ApplyPan() { _buf->_mixer->SetPan(_buf->_buffer, Hundredths(_pan * 10000.0)); }

void TMixerChannel::ApplyRate() {
  double hertz = std::trunc(Clamp(static_cast<double>(_rate) * _hertz, 0.0, TAudioMixer::kMaxFrequency));
  _buf->_mixer->SetFrequency(_buf->_buffer, static_cast<int>(hertz));
}
