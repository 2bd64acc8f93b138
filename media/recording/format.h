// The recording file: everything a run read from outside the program, in the
// order it was read, so that the run can be played again exactly.
//
// A file is a header (a mark, the format version, a text block of `key=value`
// lines) followed by records, each a tag byte and its values. docs/recording.md
// describes the bytes; this header is the one place that makes and reads them.
// The file is written while the program runs and flushed after every presented
// frame, so a run cut short (crash, kill) leaves a file readable up to its last
// complete frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "media/platform/platform.h"

namespace recording {

// The first eight bytes of every recording.
inline constexpr char kMark[8] = {'Z', 'A', 'R', 'N', 'R', 'E', 'C', '\x1a'};
// The format this program writes and the newest one it reads.
inline constexpr int kFormatVersion = 1;
// Limits that tell a damaged file from a recording: days of play stay below
// them. The records of repeated frames count as often as they are repeated.
inline constexpr size_t kMaxFileBytes = 64u << 20;
inline constexpr size_t kMaxHeaderBytes = 16u << 10;
inline constexpr uint64_t kMaxRecordBytes = 256u << 20;
// A kept file is recorded up to this many bytes (the program reads far fewer).
inline constexpr size_t kMaxKeptFileBytes = 1u << 20;

// What stood at the place of a kept file when the program read it.
enum class KeptState : uint8_t { Absent = 0, File = 1, Unreadable = 2 };

// A file the player keeps (the highscore table), as the program found it: the
// file itself and, when that was absent, the seed it is read from instead.
struct KeptFile {
  std::string name;  // the program's name for it, e.g. "data/score.txt"
  KeptState state = KeptState::Absent;
  std::string bytes;
  bool has_seed = false;
  KeptState seed_state = KeptState::Absent;
  std::string seed_bytes;
};

enum class RecordKind : uint8_t {
  EmptyPolls,  // `count` input polls in a row that found nothing
  Event,       // an input poll that returned `event` (`count` in a row for a timer's ticks)
  Clock,       // `count` reads of the millisecond clock in a row that gave `value`
  Wait,        // a wait for events
  Present,     // a frame was presented; `value` is the clock just after it
  StartTimer,  // a timer of `period` ms was asked for; `value` is the id it got (0: none)
  OpenWindow,  // a window of width x height with `flags` was asked for; `value` 1 when it opened
  KeptFile,    // the kept file `kept` was looked up
  End,         // the program ended here; `value` 1 when it ended inside a Present
};

struct Record {
  RecordKind kind = RecordKind::End;
  uint32_t value = 0;
  uint32_t count = 1;  // how many questions in a row it answers (EmptyPolls, Clock)
  platform::Event event;
  int width = 0, height = 0, flags = 0, period = 0;
  KeptFile kept;
};

using Header = std::vector<std::pair<std::string, std::string>>;

// A recording read and checked whole; its records are read with RecordReader.
struct Recording {
  std::string path;  // the file it was read from (for messages)
  int format_version = kFormatVersion;
  recording::Header header;
  std::vector<uint8_t> bytes;  // the file
  size_t records_begin = 0;    // where the records begin
  size_t records_end = 0;      // where the records that are played end
  uint64_t frames = 0;         // Present records
  bool ended = false;          // the last record is End: the run ended normally
  bool cut_short = false;      // the file ended inside a frame; what followed the last frame is not played

  // The header value of `key`, or empty when there is none.
  std::string Header(std::string_view key) const;
};

// The records of a recording, in order, up to its end record or the end of its
// last complete frame. A long run of one answer may come as several records.
class RecordReader {
 public:
  explicit RecordReader(const Recording& recording);
  ~RecordReader();
  RecordReader(const RecordReader&) = delete;
  RecordReader& operator=(const RecordReader&) = delete;
  // False once every record has been read.
  bool Next(Record& out);

 private:
  // Reading a recording checks its records with the same decoder.
  friend bool ParseRecording(std::span<const uint8_t> bytes, Recording& out, std::string& error);
  class Decoder;
  std::unique_ptr<Decoder> decoder_;
  size_t end_;
};

// Every record of a recording, runs of the same answer joined (for tools and
// tests: a recording of hours makes a long list).
std::vector<Record> Records(const Recording& recording);

// Parses a whole recording. A file that ends inside a frame (a run that was
// killed) keeps every complete frame and is marked cut_short. False, with the
// reason in `error`, for anything that is not a recording this program can play:
// another kind of file, a newer format, a damaged header or record, absurd sizes.
bool ParseRecording(std::span<const uint8_t> bytes, Recording& out, std::string& error);
// Reads and parses the file; `error` names the file.
bool ReadRecording(const std::string& path, Recording& out, std::string& error);

// Writes a recording as the program runs. The records of a frame are collected
// in memory and written out, and flushed, when it is presented (a frame that
// repeats one of the last few is written as a reference to it) and at the end.
class Writer {
 public:
  Writer() = default;
  ~Writer();
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  // Creates the file and writes the header. False with the reason in `error`.
  bool Open(const std::string& path, const recording::Header& header, std::string& error);
  bool IsOpen() const { return file_ != nullptr; }

  // `n` input polls in a row that found nothing.
  void EmptyPoll(uint32_t n = 1);
  void Event(const platform::Event& event);
  // `n` input polls in a row that each returned a tick of timer `timer` (> 0).
  void Ticks(int timer, uint32_t n);
  // `reads` reads of the clock in a row that gave `value`.
  void Clock(uint32_t value, uint32_t reads = 1);
  void Wait();
  // Writes the frame to the file and flushes it.
  void Present(uint32_t clock);
  void StartTimer(int period, int id);
  void OpenWindow(int width, int height, int flags, bool opened);
  void Kept(const KeptFile& file);
  // Writes the end record and closes the file.
  void End(bool inside_present);

 private:
  // Questions in a row with the same answer: empty polls, clock reads that gave
  // the clock's last value, or polls that each returned a tick of one timer.
  enum class Run { None, Polls, SameClock, Ticks };
  void PutTag(uint8_t tag);
  void PutVarint(uint64_t value);
  void PutBytes(std::string_view bytes);
  void AddToRun(Run run, uint32_t n);
  void FlushRun();
  void EndFrame();
  void WriteOut();

  std::FILE* file_ = nullptr;
  std::string path_;
  std::string frame_;    // the records of the frame being made
  std::string pending_;  // what goes to the file next
  // A run of questions with the same answer not written yet.
  Run run_ = Run::None;
  int run_timer_ = 0;  // whose ticks a run of ticks is
  uint32_t run_count_ = 0;
  uint32_t clock_ = 0;
  std::vector<std::string> recent_;  // the last distinct frames, most recent first
  bool failed_ = false;
};

// Writes the records into a new file at `path` as the program would have written
// them (a recording read before, perhaps changed). False with the reason in
// `error`.
bool WriteRecording(const recording::Header& header, const std::vector<Record>& records, const std::string& path,
                    std::string& error);

// Text for messages: what a record holds, e.g. "an input poll that returned key 68 down".
std::string Describe(const Record& record);

// Turns a recording into a headless script (media/platform/script.h): the same
// keys, characters and window requests at the same frames, and `stall` lines
// where the recording's clock ran ahead of the scripted run's 16 ms a frame.
// `clock_start` receives the --clock-start the script is meant to run with.
std::string ToScript(const Recording& recording, uint32_t& clock_start);

}  // namespace recording
