// Audio drivers, sounds and channels, and the operations the game calls.
//
// A sound is a playable sample; a channel is the handle of one playing voice of
// a sound. Both are shared objects: a sound lives while the game or a channel
// holds it, and dropping a channel leaves a playing voice playing (the game
// drops the channels of its effects at once).
//
// The base classes are the silent driver "Null": every operation succeeds and
// nothing is heard. The driver that makes sound is in mixer_driver.h.
#pragma once

#include <memory>
#include <string>
#include <string_view>

class TAudioSample;
class TChannel;

class TSound {
 public:
  virtual ~TSound() = default;
  // Cue, then start the channel. `channel` is reused when it belongs to this
  // sound's driver, else a new channel is made.
  virtual std::shared_ptr<TChannel> Play(const std::shared_ptr<TChannel>& channel = nullptr);
  // Makes `channel` (or a new channel) hold a paused voice of this sound at its start.
  virtual std::shared_ptr<TChannel> Cue(const std::shared_ptr<TChannel>& channel = nullptr);
  // The current driver's LoadSound.
  static std::shared_ptr<TSound> Load(std::string_view path, int flags);
};

class TChannel {
 public:
  virtual ~TChannel() = default;
  virtual void Stop() {}
  virtual void SetPaused(int paused) { (void)paused; }
  virtual void SetVolume(float volume) { (void)volume; }
  virtual void SetPan(float pan) { (void)pan; }
  virtual void SetDepth(float depth) { (void)depth; }
  virtual void SetRate(float rate) { (void)rate; }
  virtual int Playing() { return 0; }
};

// Flags of LoadSound.
enum : int {
  SOUND_LOOP = 1,      // the sound loops
  SOUND_HARDWARE = 2,  // may be placed in hardware (no effect on the mixer)
  SOUND_MUSIC = 4,     // the sound is music: the player's music volume scales it, not the effects volume
};

// A driver puts itself at the front of the driver list when it is created and
// leaves the list when destroyed. This base class is the silent driver.
class TAudioDriver {
 public:
  TAudioDriver();
  virtual ~TAudioDriver();
  TAudioDriver(const TAudioDriver&) = delete;
  TAudioDriver& operator=(const TAudioDriver&) = delete;

  virtual std::string Name() { return "Null"; }
  // 1 when the driver could start, else 0.
  virtual int Startup() { return 1; }
  virtual void Shutdown() {}
  virtual std::shared_ptr<TSound> CreateSound(const TAudioSample& sample, int flags);
  virtual std::shared_ptr<TChannel> AllocChannel();
  // Loads the file with the sample loaders and makes a sound of it with
  // CreateSound; null when the file is missing or no loader accepts it.
  virtual std::shared_ptr<TSound> LoadSound(std::string_view path, int flags);
  std::shared_ptr<TSound> LoadSound(std::u16string_view path, int flags);

  TAudioDriver* _succ = nullptr;  // next driver in the list
};

// The first driver in the list; the built-in drivers exist from the first call on.
TAudioDriver* AudioDrivers();
// Selects a driver by name (case-insensitive): the current driver is shut down
// and the silent driver becomes current; then the named driver is started and
// made current. 1 on success; 0 when no driver has that name or it cannot start
// (the silent driver stays current).
int SetAudioDriver(std::string_view name);
// The current driver. On first use the mixer driver is selected, or the silent
// driver when no audio device can be opened. Whichever driver is current when
// the program ends (chosen here or by SetAudioDriver) is shut down then.
TAudioDriver& AudioDriver();
// Shuts the current driver down and leaves no driver current.
void ShutdownAudio();

// The game's operations. A null sound or channel is a runtime error naming the
// operation (and, for a sound, the last file that failed to load).
std::shared_ptr<TSound> LoadSound(std::string_view path, int flags);
std::shared_ptr<TSound> LoadSound(std::u16string_view path, int flags);
std::shared_ptr<TChannel> StartSound(const std::shared_ptr<TSound>& sound,
                                     const std::shared_ptr<TChannel>& channel = nullptr);
void SetChannelLoudness(const std::shared_ptr<TChannel>& channel, float volume);
void HoldChannel(const std::shared_ptr<TChannel>& channel);
void ReleaseChannel(const std::shared_ptr<TChannel>& channel);
