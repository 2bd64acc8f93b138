#include "media/audio/driver.h"

#include <cctype>
#include <stdexcept>

#include "media/audio/mixer_driver.h"
#include "media/audio/sample.h"
#include "media/audio/sample_loader.h"
#include "media/core/module_state.h"
#include "media/core/registry.h"
#include "media/core/strings.h"
#include "media/platform/lifetime.h"

namespace {

// The name the mixer driver is registered under and selected by on first use.
constexpr const char* kDefaultDriver = "Mixer";

// Sounds may outlive static destruction.
struct DriverList {
  core::Registry<TAudioDriver> list;
  TAudioDriver* current = nullptr;
  // The built-in drivers, for the whole run.
  std::unique_ptr<TAudioDriver> null_driver;
  std::unique_ptr<TAudioDriver> mixer_driver;
  bool builtins = false;
  std::string last_failed_load;  // path of the last LoadSound that returned null
};

DriverList& Drivers() { return core::ModuleState<DriverList>(); }

void EnsureBuiltins() {
  DriverList& list = Drivers();
  if (list.builtins) return;
  list.builtins = true;  // before: the drivers' constructors come back here
  // Each registers itself at the front.
  list.null_driver = std::make_unique<TAudioDriver>();
  list.mixer_driver = std::make_unique<TMixerAudioDriver>(kDefaultDriver, 0);
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

[[noreturn]] void NullArgument(const char* operation, const char* what) {
  std::string text = std::string(operation) + ": the " + what + " is null";
  const std::string& failed = Drivers().last_failed_load;
  if (std::string_view(what) == "sound" && !failed.empty()) text += " (\"" + failed + "\" could not be loaded)";
  throw std::runtime_error(text);
}

}  // namespace

std::shared_ptr<TChannel> TSound::Play(const std::shared_ptr<TChannel>&) { return std::make_shared<TChannel>(); }

std::shared_ptr<TChannel> TSound::Cue(const std::shared_ptr<TChannel>&) { return std::make_shared<TChannel>(); }

std::shared_ptr<TSound> TSound::Load(std::string_view path, int flags) { return AudioDriver().LoadSound(path, flags); }

TAudioDriver::TAudioDriver() {
  EnsureBuiltins();
  Drivers().list.Add(this);
}

TAudioDriver::~TAudioDriver() {
  DriverList& list = Drivers();
  if (list.current == this) list.current = list.null_driver.get();
  list.list.Remove(this);
}

std::shared_ptr<TSound> TAudioDriver::CreateSound(const TAudioSample&, int) { return std::make_shared<TSound>(); }

std::shared_ptr<TChannel> TAudioDriver::AllocChannel() { return std::make_shared<TChannel>(); }

std::shared_ptr<TSound> TAudioDriver::LoadSound(std::string_view path, int flags) {
  std::unique_ptr<TAudioSample> sample = LoadAudioSample(path);
  std::shared_ptr<TSound> sound = sample ? CreateSound(*sample, flags) : nullptr;
  Drivers().last_failed_load = sound ? "" : std::string(path);
  return sound;
}

std::shared_ptr<TSound> TAudioDriver::LoadSound(std::u16string_view path, int flags) {
  return LoadSound(std::string_view(TextToUtf8(path)), flags);
}

TAudioDriver* AudioDrivers() {
  EnsureBuiltins();
  return Drivers().list.Head();
}

int SetAudioDriver(std::string_view name) {
  EnsureBuiltins();
  DriverList& list = Drivers();
  const std::string wanted = Lower(name);
  if (list.current != nullptr) list.current->Shutdown();
  list.current = list.null_driver.get();
  for (TAudioDriver* d : list.list) {
    if (Lower(d->Name()) != wanted) continue;
    if (!d->Startup()) return 0;
    list.current = d;
    // However a driver became current, it is shut down at the end of the program.
    platform::AddExitHookOnce(ShutdownAudio);
    return 1;
  }
  return 0;
}

TAudioDriver& AudioDriver() {
  DriverList& list = Drivers();
  if (list.current == nullptr && !SetAudioDriver(kDefaultDriver)) SetAudioDriver("Null");
  return *list.current;
}

void ShutdownAudio() {
  DriverList& list = Drivers();
  if (list.current != nullptr) list.current->Shutdown();
  list.current = nullptr;
}

std::shared_ptr<TSound> LoadSound(std::string_view path, int flags) { return AudioDriver().LoadSound(path, flags); }

std::shared_ptr<TSound> LoadSound(std::u16string_view path, int flags) { return AudioDriver().LoadSound(path, flags); }

std::shared_ptr<TChannel> StartSound(const std::shared_ptr<TSound>& sound, const std::shared_ptr<TChannel>& channel) {
  if (!sound) NullArgument("StartSound", "sound");
  return sound->Play(channel);
}

void SetChannelLoudness(const std::shared_ptr<TChannel>& channel, float volume) {
  if (!channel) NullArgument("SetChannelLoudness", "channel");
  channel->SetVolume(volume);
}

void HoldChannel(const std::shared_ptr<TChannel>& channel) {
  if (!channel) NullArgument("HoldChannel", "channel");
  channel->SetPaused(1);
}

void ReleaseChannel(const std::shared_ptr<TChannel>& channel) {
  if (!channel) NullArgument("ReleaseChannel", "channel");
  channel->SetPaused(0);
}
