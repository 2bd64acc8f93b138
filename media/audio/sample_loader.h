// Sample loaders: readers of sound file formats, kept in one list that
// LoadAudioSample asks in turn. The WAV reader is built in.
#pragma once

#include <memory>
#include <string_view>

#include "media/audio/sample.h"
#include "media/core/registry.h"
#include "media/files/streams.h"

// A reader of one file format. Each loader puts itself at the front of the
// global list when it is created and leaves the list when destroyed.
class TAudioSampleLoader {
 public:
  TAudioSampleLoader();
  virtual ~TAudioSampleLoader();
  TAudioSampleLoader(const TAudioSampleLoader&) = delete;
  TAudioSampleLoader& operator=(const TAudioSampleLoader&) = delete;

  // The sample in `stream` from its current position, or null when the data is
  // not in this loader's format. May throw TStreamException on a short read.
  virtual std::unique_ptr<TAudioSample> LoadAudioSample(TStream& stream) = 0;

  TAudioSampleLoader* Next() const { return _succ; }

 private:
  TAudioSampleLoader* _succ = nullptr;
  friend class core::Registry<TAudioSampleLoader>;
};

// RIFF WAVE files holding plain PCM: 8 or 16 bits, mono or stereo. "fmt " must
// follow "WAVE" at once; chunks between "fmt " and "data" are skipped. A data
// chunk keeps its whole frames only. A rate that is not positive gives null, and
// so do lengths that run past the end of the stream, before anything is allocated
// for them.
class TAudioSampleLoaderWAV : public TAudioSampleLoader {
 public:
  std::unique_ptr<TAudioSample> LoadAudioSample(TStream& stream) override;
};

// The first loader in the list (the built-in ones are created on first use).
TAudioSampleLoader* AudioSampleLoaders();

// Asks every loader in turn, seeking the stream back to its starting position
// before each; a TStreamException inside a loader counts as "not my format".
// Throws std::runtime_error "Stream is not seekable" for a stream without a
// position. Null when no loader accepts the data.
std::unique_ptr<TAudioSample> LoadAudioSample(TStream& stream);
// Opens the file, loads it as above and closes it; null when it cannot be opened.
std::unique_ptr<TAudioSample> LoadAudioSample(std::string_view path);
std::unique_ptr<TAudioSample> LoadAudioSample(std::u16string_view path);
