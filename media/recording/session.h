// Recording a run and playing it back, at the boundary between the platform and
// the rest of the program.
//
// Recording wraps the backend in use: every input poll, clock read, wait for
// events, timer start, window opening and presented frame passes through to it
// and is written to the recording, together with the files the player keeps
// (the highscore table) as the program finds them. Replaying wraps a backend
// that only shows (a window, or the headless backend) and answers the same
// questions from the recording, in the same order; a question the recording
// does not hold at that point is a desync: the program no longer does what it
// did when it was recorded.
//
// One rule keeps a recording independent of the state trace, which reads the
// clock right after each frame is presented: every presented frame records the
// clock just after it, and clock reads that follow a Present before anything
// else is asked are answered with that value and not recorded one by one.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "media/platform/platform.h"
#include "media/recording/format.h"

namespace recording {

// Starts recording into the file at `path` (created or replaced; the header gets
// the program's name and version, the backend's name and the `header` entries
// given) and returns the backend to install in place of `inner`. Null, with the
// reason in `error`, when the file cannot be written. The end of the run is
// written by an exit action, so this is called before anything else registers
// one.
std::unique_ptr<platform::Backend> StartRecording(std::unique_ptr<platform::Backend> inner, const std::string& path,
                                                  const std::vector<std::pair<std::string, std::string>>& header,
                                                  std::string& error);

struct ReplaySettings {
  // Keep the recorded pace between frames (a replay in a window); otherwise
  // frames follow each other as fast as the program makes them.
  bool paced = false;
  // The recording is played out, or the viewer closed the replay's window.
  std::function<void()> at_end;
  // The program asked for something the recording does not hold at that point
  // (or the replay cannot go on); gets the message that says so.
  std::function<void(const std::string&)> at_desync;
};

// Plays `recording` back: returns the backend to install in place of `inner`,
// which shows the frames (and plays the sound) but is asked nothing the program
// reads. Kept files are laid out afresh from the recording in a private
// temporary folder, removed at the end, so a replay never touches the player's
// own files. Null, with the reason in `error`, when that folder cannot be made.
std::unique_ptr<platform::Backend> StartReplay(std::unique_ptr<platform::Backend> inner, Recording recording,
                                              ReplaySettings settings, std::string& error);

// The kept files (files the player keeps, looked up by the program's name for
// them, e.g. "data/score.txt"). While replaying: sets `path` and `seed` to where
// the recorded copy was laid out and returns true. Otherwise returns false.
bool ReplayKeptFile(std::string_view name, std::string& path, std::string& seed);
// While recording: notes what stands at `path` (and, when nothing does, at
// `seed`) for the file the program calls `name`. Otherwise does nothing.
void RecordKeptFile(std::string_view name, const std::string& path, const std::string& seed);

// How a replay went, as far as it has gone.
struct ReplayOutcome {
  bool replaying = false;  // a replay was started in this run
  bool in_sync = true;
  std::string message;  // for a desync: where and what
  uint64_t frames = 0;  // frames presented in the replay
  uint64_t recorded_frames = 0;
  bool cut_short = false;  // the recording ends where its run was cut short
};
// Once the program has ended (after the exit actions), this also tells whether
// the program ended where the recording ends.
const ReplayOutcome& ReplayResult();

}  // namespace recording
