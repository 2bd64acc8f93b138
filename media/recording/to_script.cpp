// A recording as a headless script: a bug report someone recorded becomes a test
// anyone can read, edit and run.
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "media/recording/format.h"

namespace recording {
namespace {

// The headless clock moves this far with every presented frame.
constexpr uint32_t kFrameMillis = 16;
// The longest `stall` one script line may ask for.
constexpr uint32_t kMaxStall = 86400000;

std::string KeyName(int code) {
  if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) return std::string(1, static_cast<char>(code));
  switch (code) {
    case 32: return "SPACE";
    case 13: return "ENTER";
    case 27: return "ESCAPE";
    case 8: return "BACKSPACE";
    case 37: return "LEFT";
    case 38: return "UP";
    case 39: return "RIGHT";
    case 40: return "DOWN";
    default: break;
  }
  // Two digits at least: one digit would be the digit key.
  return code < 10 ? "0" + std::to_string(code) : std::to_string(code);
}

// Characters `type` can carry as they are: not a space (dropped at either end),
// not '#' (a comment).
bool Typeable(int code) { return code > 32 && code < 127 && code != '#'; }

struct Frame {
  uint64_t stall = 0;
  std::vector<std::string> lines;
  std::string typing;  // typeable characters not yet written as a `type` line
};

void EndTyping(Frame& frame) {
  if (frame.typing.empty()) return;
  frame.lines.push_back("type " + frame.typing);
  frame.typing.clear();
}

void AddEvent(Frame& frame, const platform::Event& e) {
  using platform::EventKind;
  if (e.kind == EventKind::Char && Typeable(e.data)) {
    frame.typing += static_cast<char>(e.data);
    return;
  }
  EndTyping(frame);
  switch (e.kind) {
    case EventKind::KeyDown: frame.lines.push_back("down " + KeyName(e.data)); break;
    case EventKind::KeyUp: frame.lines.push_back("up " + KeyName(e.data)); break;
    case EventKind::Char: frame.lines.push_back("char " + std::to_string(e.data)); break;
    case EventKind::Close: frame.lines.push_back("close"); break;
    case EventKind::FocusLost: frame.lines.push_back("blur"); break;
    case EventKind::FocusGained: frame.lines.push_back("focus"); break;
    case EventKind::Quit: frame.lines.push_back("quit"); break;
    // The program ignores key repeats, and a scripted run has timer ticks of its own.
    case EventKind::KeyRepeat:
    case EventKind::TimerTick: break;
  }
}

}  // namespace

std::string ToScript(const Recording& recording, uint32_t& clock_start) {
  // The scripted clock starts so that it meets the recorded one just after the
  // first frame the program went on from (rather than presenting the next at
  // once, as a window does to clear its buffers): clock reads there are often
  // answered from that frame (the random generator is seeded there).
  clock_start = 0;
  uint32_t aligned = 0;  // the recorded clock where the two meet
  {
    uint64_t presents = 0;
    uint32_t clock = 0;
    bool presented = false;
    RecordReader reader(recording);
    for (Record r; reader.Next(r);) {
      if (r.kind == RecordKind::Present) {
        ++presents;
        clock = r.value;
        presented = true;
        continue;
      }
      if (!presented && r.kind != RecordKind::Clock) continue;
      const uint32_t value = r.kind == RecordKind::Clock ? r.value : clock;
      const uint64_t before = presents * kFrameMillis;
      clock_start = value >= before ? static_cast<uint32_t>(value - before) : 0;
      aligned = static_cast<uint32_t>(clock_start + before);
      break;
    }
  }

  std::map<uint64_t, Frame> frames;
  uint64_t presented = 0;
  // The scripted run's clock, and the recorded one (which wraps at 2^32) counted
  // on from where the two meet.
  int64_t clock = clock_start;
  int64_t recorded = aligned;
  uint32_t recorded_last = aligned;
  // How far the scripted clock is ahead of the recorded one. It cannot stay
  // behind (16 ms a frame at the least), so where the recorded frames came
  // faster it runs ahead, and from there on it keeps that distance: a stall
  // where the recorded clock jumped (a frame that took long), none where it
  // only wavered around 16 ms a frame.
  int64_t ahead = 0;
  constexpr int64_t kSlack = 8;
  // Where the current frame's records are: before its first poll, in the events
  // that first poll returned, or past them.
  enum class Phase { BeforePoll, FirstPoll, Later } phase = Phase::BeforePoll;
  bool frame_timed = false;  // the stall of the current frame is decided
  bool quits = false;
  auto time_frame = [&](uint32_t value) {
    if (frame_timed) return;
    frame_timed = true;
    recorded += static_cast<int32_t>(value - recorded_last);
    recorded_last = value;
    const int64_t distance = clock - recorded;
    if (distance > ahead + kSlack) {
      ahead = distance - kSlack;
    } else if (distance < ahead - kSlack) {
      const int64_t stall = ahead - distance;
      frames[presented].stall += static_cast<uint64_t>(stall);
      clock += stall;
    }
  };
  RecordReader reader(recording);
  for (Record r; reader.Next(r);) {
    switch (r.kind) {
      case RecordKind::Event:
        // Events of the first poll after a frame arrive where a script line for
        // that frame is delivered; later ones are seen from the next frame on.
        if (phase == Phase::BeforePoll) phase = Phase::FirstPoll;
        AddEvent(frames[phase == Phase::FirstPoll ? presented : presented + 1], r.event);
        if (r.event.kind == platform::EventKind::Quit) quits = true;
        break;
      case RecordKind::EmptyPolls:
      case RecordKind::Wait:
        phase = Phase::Later;
        break;
      case RecordKind::Clock:
        // A stall comes with the frame's first poll: the first read after it
        // decides the frame's clock. Only a clock ahead of the scripted one can
        // be met.
        if (presented > 0 && phase != Phase::BeforePoll) time_frame(r.value);
        if (phase == Phase::FirstPoll) phase = Phase::Later;
        break;
      case RecordKind::Present:
        if (presented > 0) time_frame(r.value >= kFrameMillis ? r.value - kFrameMillis : 0);
        ++presented;
        clock += kFrameMillis;
        phase = Phase::BeforePoll;
        frame_timed = false;
        break;
      case RecordKind::StartTimer:
      case RecordKind::OpenWindow:
      case RecordKind::KeptFile:
      case RecordKind::End:
        if (phase == Phase::FirstPoll) phase = Phase::Later;
        break;
    }
  }

  std::string out;
  out += "# Made from the recording " + recording.path + " (" + recording.Header("program") + ", " +
         recording.Header("backend") + " backend";
  if (const std::string when = recording.Header("recorded"); !when.empty()) out += ", recorded " + when;
  out += ").\n";
  out += "# Run it with: zarn --headless --script THIS_FILE --clock-start " + std::to_string(clock_start) + "\n";
  out += "# The keys and characters come at the frames they came in the recording. A\n";
  out += "# scripted run's clock moves 16 ms a frame, with a stall where the recorded\n";
  out += "# clock jumped further: a recording of a headless run comes back exactly, one\n";
  out += "# made in a window is followed as far as that clock allows.\n";
  for (auto& [frame, f] : frames) {
    EndTyping(f);
    for (uint64_t left = f.stall; left > 0;) {
      const uint64_t step = std::min<uint64_t>(left, kMaxStall);
      out += std::to_string(frame) + " stall " + std::to_string(step) + "\n";
      left -= step;
    }
    for (const auto& line : f.lines) out += std::to_string(frame) + " " + line + "\n";
  }
  // The scripted run ends where the recording does.
  if (!quits) out += std::to_string(recording.frames) + " quit\n";
  return out;
}

}  // namespace recording
