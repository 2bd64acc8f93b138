#include "media/recording/format.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

namespace recording {
namespace {

// Tags. A tag byte either carries a small value itself or is followed by its
// values; 0x00, 0xBE and 0xBF are no record, so a stretch of zero bytes (what a
// crash can leave in a file) reads as damage, not as input.
constexpr uint8_t kPollsFirst = 0x01, kPollsLast = 0x3F;          // 1..63 empty polls
constexpr uint8_t kSameClockFirst = 0x40, kSameClockLast = 0x5F;  // 1..32 reads, clock unchanged
constexpr uint8_t kClockFirst = 0x60, kClockLast = 0x7F;          // one read, clock + 1..32
constexpr uint8_t kPresentFirst = 0x80, kPresentLast = 0x9F;      // presented, clock + 0..31
constexpr uint8_t kTickFirst = 0xA0, kTickLast = 0xAF;            // tick of timer 1..16
constexpr uint8_t kClockLong = 0xB0;
constexpr uint8_t kPresentLong = 0xB1;
constexpr uint8_t kPollsLong = 0xB2;
constexpr uint8_t kEvent = 0xB3;
constexpr uint8_t kWait = 0xB4;
constexpr uint8_t kStartTimer = 0xB5;
constexpr uint8_t kOpenWindow = 0xB6;
constexpr uint8_t kKept = 0xB7;
constexpr uint8_t kEnd = 0xB8;
constexpr uint8_t kShortEventFirst = 0xB9, kShortEventLast = 0xBC;  // key down, repeat, up, character < 256
constexpr uint8_t kTicks = 0xBD;                                     // polls in a row each giving a tick
constexpr uint8_t kRepeatFirst = 0xC0, kRepeatLast = 0xFF;          // the frame at this place of the table

// The table of recent frames: a frame whose bytes equal one of the last
// kRecentFrames distinct frames (each up to kRecentFrameBytes long) is written as
// the one byte that names its place; both sides move a frame used or written to
// the front.
constexpr size_t kRecentFrames = kRepeatLast - kRepeatFirst + 1;
constexpr size_t kRecentFrameBytes = 256;

constexpr size_t kPreamble = sizeof kMark + 2 + 2;  // mark, version, header length

// Event kinds as the file numbers them (independent of the enum's order).
constexpr platform::EventKind kKinds[] = {
    platform::EventKind::KeyDown,   platform::EventKind::KeyRepeat,   platform::EventKind::KeyUp,
    platform::EventKind::Char,      platform::EventKind::Close,       platform::EventKind::FocusLost,
    platform::EventKind::FocusGained, platform::EventKind::TimerTick, platform::EventKind::Quit,
};
// The kinds with a short form, in the order of their tags.
constexpr platform::EventKind kShortKinds[] = {platform::EventKind::KeyDown, platform::EventKind::KeyRepeat,
                                               platform::EventKind::KeyUp, platform::EventKind::Char};

uint8_t KindCode(platform::EventKind kind) {
  for (size_t i = 0; i < std::size(kKinds); ++i)
    if (kKinds[i] == kind) return static_cast<uint8_t>(i + 1);
  return 0;
}

bool IsKey(platform::EventKind kind) {
  return kind == platform::EventKind::KeyDown || kind == platform::EventKind::KeyRepeat ||
         kind == platform::EventKind::KeyUp;
}

bool KeyChar(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_'; }

void MoveToFront(std::vector<std::string>& recent, size_t at) {
  std::rotate(recent.begin(), recent.begin() + static_cast<std::ptrdiff_t>(at),
              recent.begin() + static_cast<std::ptrdiff_t>(at) + 1);
}

void AddRecent(std::vector<std::string>& recent, std::string frame) {
  if (frame.size() > kRecentFrameBytes) return;
  recent.insert(recent.begin(), std::move(frame));
  if (recent.size() > kRecentFrames) recent.pop_back();
}

// Reads values off the bytes. Running out of bytes is not damage (the run may
// have been cut short there); a value no writer makes is.
class Cursor {
 public:
  explicit Cursor(std::span<const uint8_t> bytes, size_t at) : bytes_(bytes), at_(at) {}

  size_t At() const { return at_; }
  bool AtEnd() const { return at_ >= bytes_.size(); }
  bool Truncated() const { return truncated_; }
  bool Damaged() const { return !damage_.empty(); }
  const std::string& Damage() const { return damage_; }
  void Damage(std::string what) {
    if (damage_.empty()) damage_ = std::move(what);
  }

  uint8_t Byte() {
    if (!Ok()) return 0;
    if (at_ >= bytes_.size()) {
      truncated_ = true;
      return 0;
    }
    return bytes_[at_++];
  }
  // Little-endian base-128, at most 32 bits.
  uint32_t Varint() {
    uint64_t value = 0;
    for (int shift = 0; Ok(); shift += 7) {
      const uint8_t b = Byte();
      if (!Ok()) return 0;
      if (shift == 28 && (b & 0xF0) != 0) {
        Damage("a number larger than 32 bits");
        return 0;
      }
      value |= static_cast<uint64_t>(b & 0x7F) << shift;
      if ((b & 0x80) == 0) return static_cast<uint32_t>(value);
    }
    return 0;
  }
  std::string Bytes(size_t limit, const char* what) {
    const uint32_t n = Varint();
    if (!Ok()) return {};
    if (n > limit) {
      Damage(std::string(what) + " of " + std::to_string(n) + " bytes (at most " + std::to_string(limit) +
             " are recorded)");
      return {};
    }
    if (bytes_.size() - at_ < n) {
      truncated_ = true;
      at_ = bytes_.size();
      return {};
    }
    std::string out(reinterpret_cast<const char*>(bytes_.data() + at_), n);
    at_ += n;
    return out;
  }

 private:
  bool Ok() const { return !truncated_ && damage_.empty(); }
  std::span<const uint8_t> bytes_;
  size_t at_;
  bool truncated_ = false;
  std::string damage_;
};

KeptState ReadState(Cursor& in) {
  const uint8_t s = in.Byte();
  if (s > 2) in.Damage("a kept file in an unknown state " + std::to_string(s));
  return static_cast<KeptState>(s > 2 ? 0 : s);
}

void CheckEvent(Cursor& in, const platform::Event& e) {
  if (IsKey(e.kind) && (e.data < 1 || e.data > 255))
    in.Damage("a key event for key " + std::to_string(e.data) + " (keys are 1 to 255)");
  else if (e.kind == platform::EventKind::Char && (e.data < 0 || e.data > 0xFFFF))
    in.Damage("a typed character " + std::to_string(e.data) + " beyond 16 bits");
  else if (e.kind == platform::EventKind::TimerTick && e.data < 1)
    in.Damage("a tick of timer " + std::to_string(e.data));
  else if (e.mods > 15)
    in.Damage("modifier keys " + std::to_string(e.mods) + " (at most 15)");
}

// One record at the cursor into `out`. A tag that repeats a recent frame gives
// its place in `repeat` and no record.
void ReadRecord(Cursor& in, Record& out, uint32_t& clock, int& repeat) {
  const uint8_t tag = in.Byte();
  out = Record{};
  repeat = -1;
  if (tag >= kPollsFirst && tag <= kPollsLast) {
    out.kind = RecordKind::EmptyPolls;
    out.count = tag;
  } else if (tag >= kSameClockFirst && tag <= kSameClockLast) {
    out.kind = RecordKind::Clock;
    out.value = clock;
    out.count = tag - kSameClockFirst + 1u;
  } else if (tag >= kClockFirst && tag <= kClockLast) {
    out.kind = RecordKind::Clock;
    out.value = clock += tag - kClockFirst + 1u;
  } else if (tag >= kPresentFirst && tag <= kPresentLast) {
    out.kind = RecordKind::Present;
    out.value = clock += tag - kPresentFirst;
  } else if (tag >= kTickFirst && tag <= kTickLast) {
    out.kind = RecordKind::Event;
    out.event = platform::Event{platform::EventKind::TimerTick, tag - kTickFirst + 1, 0};
  } else if (tag >= kShortEventFirst && tag <= kShortEventLast) {
    out.kind = RecordKind::Event;
    out.event = platform::Event{kShortKinds[tag - kShortEventFirst], in.Byte(), 0};
    if (!in.Truncated()) CheckEvent(in, out.event);
  } else if (tag >= kRepeatFirst) {
    repeat = tag - kRepeatFirst;
  } else {
    switch (tag) {
      case kClockLong:
      case kPresentLong:
        out.kind = tag == kClockLong ? RecordKind::Clock : RecordKind::Present;
        out.value = clock += in.Varint();
        break;
      case kPollsLong:
        out.kind = RecordKind::EmptyPolls;
        out.count = in.Varint();
        if (out.count == 0 && !in.Truncated()) in.Damage("a run of no polls");
        break;
      case kEvent: {
        out.kind = RecordKind::Event;
        const uint8_t code = in.Byte();
        const auto data = static_cast<int32_t>(in.Varint());
        const uint8_t mods = in.Byte();
        if (in.Truncated()) break;
        if (code == 0 || code > std::size(kKinds)) {
          in.Damage("an event of unknown kind " + std::to_string(code));
          break;
        }
        out.event = platform::Event{kKinds[code - 1], data, mods};
        CheckEvent(in, out.event);
        break;
      }
      case kTicks: {
        out.kind = RecordKind::Event;
        const auto timer = static_cast<int32_t>(in.Varint());
        out.count = in.Varint();
        out.event = platform::Event{platform::EventKind::TimerTick, timer, 0};
        if (in.Truncated()) break;
        if (out.count == 0) in.Damage("a run of no ticks");
        CheckEvent(in, out.event);
        break;
      }
      case kWait: out.kind = RecordKind::Wait; break;
      case kStartTimer:
        out.kind = RecordKind::StartTimer;
        out.period = static_cast<int>(in.Varint());
        out.value = in.Varint();
        if (!in.Truncated() && (out.period <= 0 || out.value > 0x7FFFFFFF))
          in.Damage("a timer of " + std::to_string(out.period) + " ms with id " + std::to_string(out.value));
        break;
      case kOpenWindow: {
        out.kind = RecordKind::OpenWindow;
        out.width = static_cast<int>(in.Varint());
        out.height = static_cast<int>(in.Varint());
        out.flags = static_cast<int>(in.Varint());
        const uint8_t opened = in.Byte();
        if (in.Truncated()) break;
        if (out.width < 0 || out.height < 0 || out.flags < 0 || opened > 1)
          in.Damage("a window request that cannot be");
        out.value = opened;
        break;
      }
      case kKept: {
        out.kind = RecordKind::KeptFile;
        KeptFile file;
        file.name = in.Bytes(4096, "a kept file name");
        file.state = ReadState(in);
        if (file.state == KeptState::File) file.bytes = in.Bytes(kMaxKeptFileBytes, "a kept file");
        const uint8_t seed = in.Byte();
        if (seed > 1) in.Damage("a kept file whose seed is marked " + std::to_string(seed));
        file.has_seed = seed == 1;
        if (file.has_seed) {
          file.seed_state = ReadState(in);
          if (file.seed_state == KeptState::File) file.seed_bytes = in.Bytes(kMaxKeptFileBytes, "a kept file's seed");
        }
        out.kept = std::move(file);
        break;
      }
      case kEnd: {
        out.kind = RecordKind::End;
        const uint8_t inside = in.Byte();
        if (inside > 1) in.Damage("an end record marked " + std::to_string(inside));
        out.value = inside;
        break;
      }
      default: {
        static const char kHex[] = "0123456789abcdef";
        in.Damage(std::string("an unknown record type 0x") + kHex[tag >> 4] + kHex[tag & 15]);
        break;
      }
    }
  }
}

bool ParseHeader(std::string_view text, Recording& out, std::string& error) {
  size_t line_no = 0;
  while (!text.empty()) {
    ++line_no;
    const size_t end = text.find('\n');
    if (end == std::string_view::npos) {
      error = "its header's last line has no line end (damaged header)";
      return false;
    }
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    const size_t eq = line.find('=');
    const std::string_view key = line.substr(0, eq == std::string_view::npos ? 0 : eq);
    if (eq == std::string_view::npos || key.empty() || !std::all_of(key.begin(), key.end(), KeyChar) ||
        line.find('\0') != std::string_view::npos) {
      error = "its header's line " + std::to_string(line_no) + " is not a key=value line (damaged header)";
      return false;
    }
    out.header.emplace_back(std::string(key), std::string(line.substr(eq + 1)));
  }
  if (out.Header("program").empty()) {
    error = "its header does not name the program that made it (damaged header)";
    return false;
  }
  // Options that change what the program does are named play.*; one this
  // program does not know would play differently here.
  for (const auto& [key, value] : out.header) {
    if (key.rfind("play.", 0) == 0) {
      error = "it was recorded with the option " + key.substr(5) + "=" + value +
              ", which this program does not know (recorded by " + out.Header("program") + ")";
      return false;
    }
  }
  return true;
}

}  // namespace

std::string Recording::Header(std::string_view key) const {
  for (const auto& [k, v] : header)
    if (k == key) return v;
  return {};
}

// Reads records off the bytes, a repeated frame's from the table of recent
// frames, which it keeps as the writer does.
class RecordReader::Decoder {
 public:
  enum class Step { Record, Repeat, Truncated, Damaged, AtEnd };

  Decoder(std::span<const uint8_t> bytes, size_t begin) : bytes_(bytes), in_(bytes, begin), frame_start_(begin) {}

  // The next record. With `expand` false a repeated frame comes as one Repeat
  // step (its size in RepeatSize) instead of its records.
  Step Next(Record& out, bool expand = true) {
    if (repeating_) {
      Cursor frame({reinterpret_cast<const uint8_t*>(repeat_.data()), repeat_.size()}, repeat_at_);
      int ignored = -1;
      ReadRecord(frame, out, clock_, ignored);
      repeat_at_ = frame.At();
      if (frame.AtEnd()) {
        repeating_ = false;
        frame_start_ = in_.At();
      }
      return Step::Record;
    }
    if (in_.AtEnd()) return Step::AtEnd;
    at_ = in_.At();
    int repeat = -1;
    ReadRecord(in_, out, clock_, repeat);
    if (!in_.Damaged() && repeat >= 0 && (static_cast<size_t>(repeat) >= recent_.size() || at_ != frame_start_))
      in_.Damage(at_ != frame_start_ ? "a repeated frame inside a frame"
                                     : "a repeat of frame " + std::to_string(repeat) + " of " +
                                           std::to_string(recent_.size()) + " recent ones");
    if (in_.Damaged()) return Step::Damaged;
    if (in_.Truncated()) return Step::Truncated;
    if (repeat >= 0) {
      MoveToFront(recent_, static_cast<size_t>(repeat));
      repeat_ = recent_.front();
      repeat_at_ = 0;
      if (!expand) {
        frame_start_ = in_.At();
        return Step::Repeat;
      }
      repeating_ = true;
      return Next(out);
    }
    if (out.kind == RecordKind::Present) {
      AddRecent(recent_, std::string(reinterpret_cast<const char*>(bytes_.data() + frame_start_), in_.At() - frame_start_));
      frame_start_ = in_.At();
    }
    return Step::Record;
  }

  size_t At() const { return in_.At(); }           // the next byte of the file
  size_t RecordAt() const { return at_; }          // where the last record began
  bool AtEnd() const { return in_.AtEnd(); }
  bool Repeating() const { return repeating_; }    // inside a repeated frame
  size_t RepeatSize() const { return repeat_.size(); }
  const std::string& Damage() const { return in_.Damage(); }

 private:
  std::span<const uint8_t> bytes_;
  Cursor in_;
  uint32_t clock_ = 0;
  std::vector<std::string> recent_;
  size_t frame_start_;
  size_t at_ = 0;
  bool repeating_ = false;
  std::string repeat_;
  size_t repeat_at_ = 0;
};

RecordReader::RecordReader(const Recording& recording)
    : decoder_(std::make_unique<Decoder>(recording.bytes, recording.records_begin)), end_(recording.records_end) {}

RecordReader::~RecordReader() = default;

bool RecordReader::Next(Record& out) {
  if (!decoder_->Repeating() && decoder_->At() >= end_) return false;
  return decoder_->Next(out) == RecordReader::Decoder::Step::Record;
}

namespace {

bool Joins(const Record& a, const Record& b) {
  const bool tick = b.kind == RecordKind::Event && b.event.kind == platform::EventKind::TimerTick;
  return (b.kind == RecordKind::EmptyPolls || b.kind == RecordKind::Clock || tick) && a.kind == b.kind &&
         a.value == b.value && a.event.kind == b.event.kind && a.event.data == b.event.data &&
         a.count <= UINT32_MAX - b.count;
}

}  // namespace

std::vector<Record> Records(const Recording& recording) {
  std::vector<Record> out;
  RecordReader reader(recording);
  for (Record r; reader.Next(r);) {
    if (!out.empty() && Joins(out.back(), r))
      out.back().count += r.count;
    else
      out.push_back(std::move(r));
  }
  return out;
}

bool ParseRecording(std::span<const uint8_t> bytes, Recording& out, std::string& error) {
  const std::string path = out.path;
  out = Recording{};
  out.path = path;
  if (bytes.size() > kMaxFileBytes) {
    error = "it is too large for a recording (" + std::to_string(bytes.size()) + " bytes; at most " +
            std::to_string(kMaxFileBytes) + " are read)";
    return false;
  }
  if (bytes.size() < sizeof kMark || std::memcmp(bytes.data(), kMark, sizeof kMark) != 0) {
    error = "it is not a Zarn recording (it does not begin with the recording mark)";
    return false;
  }
  if (bytes.size() < kPreamble) {
    error = "it ends inside its header (cut short)";
    return false;
  }
  out.format_version = bytes[8] | (bytes[9] << 8);
  if (out.format_version == 0) {
    error = "it names format version 0, which no program writes (damaged header)";
    return false;
  }
  if (out.format_version > kFormatVersion) {
    error = "it was recorded by a newer program (format version " + std::to_string(out.format_version) +
            "; this program reads versions up to " + std::to_string(kFormatVersion) + ")";
    return false;
  }
  const size_t header_size = bytes[10] | (bytes[11] << 8);
  if (header_size > kMaxHeaderBytes) {
    error = "its header claims " + std::to_string(header_size) + " bytes (damaged header)";
    return false;
  }
  if (bytes.size() < kPreamble + header_size) {
    error = "it ends inside its header (cut short)";
    return false;
  }
  const std::string_view text(reinterpret_cast<const char*>(bytes.data() + kPreamble), header_size);
  if (!ParseHeader(text, out, error)) return false;

  // Every record once; a repeated frame was checked when it was first read.
  out.records_begin = out.records_end = kPreamble + header_size;
  RecordReader::Decoder in(bytes, out.records_begin);
  uint64_t record_bytes = 0;
  for (Record record;;) {
    const auto step = in.Next(record, false);
    if (step == RecordReader::Decoder::Step::Damaged) {
      error = "it is damaged at byte " + std::to_string(in.RecordAt()) + ": " + in.Damage();
      return false;
    }
    if (step == RecordReader::Decoder::Step::Truncated || step == RecordReader::Decoder::Step::AtEnd) break;
    record_bytes += step == RecordReader::Decoder::Step::Repeat ? in.RepeatSize() : in.At() - in.RecordAt();
    if (record_bytes > kMaxRecordBytes) {
      error = "it holds more than a recording can (" + std::to_string(kMaxRecordBytes) +
              " bytes of records, repeated frames counted as often as they come)";
      return false;
    }
    if (step == RecordReader::Decoder::Step::Repeat || record.kind == RecordKind::Present) {
      ++out.frames;
      out.records_end = in.At();
    }
    if (step == RecordReader::Decoder::Step::Record && record.kind == RecordKind::End) {
      if (!in.AtEnd()) {
        error = "it is damaged at byte " + std::to_string(in.At()) + ": more follows the end of the run";
        return false;
      }
      out.ended = true;
      out.records_end = in.At();
      break;
    }
  }
  out.cut_short = !out.ended;
  if (out.cut_short && out.frames == 0) {
    error = "it holds no complete frame (the run was cut short before its first frame)";
    return false;
  }
  out.bytes.assign(bytes.begin(), bytes.end());
  return true;
}

bool ReadRecording(const std::string& path, Recording& out, std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = "cannot read the recording \"" + path + "\": " + std::strerror(errno);
    return false;
  }
  std::vector<uint8_t> bytes;
  uint8_t buffer[65536];
  bool too_large = false;
  for (;;) {
    const size_t n = std::fread(buffer, 1, sizeof buffer, file);
    bytes.insert(bytes.end(), buffer, buffer + n);
    if (bytes.size() > kMaxFileBytes) {
      too_large = true;
      break;
    }
    if (n < sizeof buffer) break;
  }
  const bool failed = std::ferror(file) != 0;
  const int read_errno = errno;
  std::fclose(file);
  if (failed) {
    error = "cannot read the recording \"" + path + "\": " + std::strerror(read_errno);
    return false;
  }
  out.path = path;
  std::string why;
  if (too_large) {
    why = "it is too large for a recording (more than " + std::to_string(kMaxFileBytes) + " bytes)";
  } else if (ParseRecording(bytes, out, why)) {
    return true;
  }
  error = "the recording \"" + path + "\" cannot be played: " + why;
  return false;
}

// ---- writing ----

Writer::~Writer() {
  if (file_ != nullptr) std::fclose(file_);
}

bool Writer::Open(const std::string& path, const recording::Header& header, std::string& error) {
  std::string text;
  for (const auto& [key, value] : header) {
    std::string clean = value;
    std::replace(clean.begin(), clean.end(), '\n', ' ');
    std::replace(clean.begin(), clean.end(), '\0', ' ');
    text += key + "=" + clean + "\n";
  }
  if (text.size() > kMaxHeaderBytes) text.resize(kMaxHeaderBytes);
  while (!text.empty() && text.back() != '\n') text.pop_back();
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) {
    error = "cannot write the recording \"" + path + "\": " + std::strerror(errno);
    return false;
  }
  path_ = path;
  pending_.assign(kMark, sizeof kMark);
  pending_ += static_cast<char>(kFormatVersion & 0xFF);
  pending_ += static_cast<char>(kFormatVersion >> 8);
  pending_ += static_cast<char>(text.size() & 0xFF);
  pending_ += static_cast<char>(text.size() >> 8);
  pending_ += text;
  WriteOut();
  return true;
}

void Writer::PutTag(uint8_t tag) { frame_ += static_cast<char>(tag); }

void Writer::PutVarint(uint64_t value) {
  do {
    uint8_t b = value & 0x7F;
    value >>= 7;
    if (value != 0) b |= 0x80;
    frame_ += static_cast<char>(b);
  } while (value != 0);
}

void Writer::PutBytes(std::string_view bytes) {
  PutVarint(bytes.size());
  frame_ += bytes;
}

void Writer::FlushRun() {
  for (uint32_t n = run_count_; n > 0;) {
    if (run_ == Run::Ticks && (n > 2 || run_timer_ < 1 || run_timer_ > 16)) {
      PutTag(kTicks);
      PutVarint(static_cast<uint32_t>(run_timer_));
      PutVarint(n);
      n = 0;
    } else if (run_ == Run::Ticks) {
      PutTag(static_cast<uint8_t>(kTickFirst + run_timer_ - 1));
      --n;
    } else if (run_ == Run::Polls) {
      if (n <= kPollsLast) {
        PutTag(static_cast<uint8_t>(n));
      } else {
        PutTag(kPollsLong);
        PutVarint(n);
      }
      n = 0;
    } else {
      const uint32_t step = std::min<uint32_t>(n, kSameClockLast - kSameClockFirst + 1);
      PutTag(static_cast<uint8_t>(kSameClockFirst + step - 1));
      n -= step;
    }
  }
  run_ = Run::None;
  run_count_ = 0;
}

void Writer::AddToRun(Run run, uint32_t n) {
  if (n == 0) return;
  if (run_ != run || run_count_ > UINT32_MAX - n) FlushRun();
  run_ = run;
  run_count_ += n;
}

void Writer::Ticks(int timer, uint32_t n) {
  if (!IsOpen()) return;
  if (run_ == Run::Ticks && run_timer_ != timer) FlushRun();
  AddToRun(Run::Ticks, n);
  run_timer_ = timer;
}

void Writer::EmptyPoll(uint32_t n) {
  if (IsOpen()) AddToRun(Run::Polls, n);
}

void Writer::Clock(uint32_t value, uint32_t reads) {
  if (!IsOpen() || reads == 0) return;
  const uint32_t delta = value - clock_;  // the clock wraps at 2^32, and so does this
  if (delta != 0) {
    FlushRun();
    clock_ = value;
    if (delta <= kClockLast - kClockFirst + 1u) {
      PutTag(static_cast<uint8_t>(kClockFirst + delta - 1));
    } else {
      PutTag(kClockLong);
      PutVarint(delta);
    }
    --reads;
  }
  AddToRun(Run::SameClock, reads);
}

void Writer::Event(const platform::Event& event) {
  if (!IsOpen()) return;
  if (event.kind == platform::EventKind::TimerTick && event.data >= 1 && event.mods == 0) {
    Ticks(event.data, 1);
    return;
  }
  FlushRun();
  for (size_t i = 0; i < std::size(kShortKinds); ++i) {
    if (event.kind == kShortKinds[i] && event.mods == 0 && event.data >= 0 && event.data <= 255 &&
        (event.data > 0 || event.kind == platform::EventKind::Char)) {
      PutTag(static_cast<uint8_t>(kShortEventFirst + i));
      PutTag(static_cast<uint8_t>(event.data));
      return;
    }
  }
  PutTag(kEvent);
  PutTag(KindCode(event.kind));
  PutVarint(static_cast<uint32_t>(event.data));
  PutTag(static_cast<uint8_t>(event.mods & 15));
}

void Writer::Wait() {
  if (!IsOpen()) return;
  FlushRun();
  PutTag(kWait);
}

void Writer::Present(uint32_t clock) {
  if (!IsOpen()) return;
  FlushRun();
  const uint32_t delta = clock - clock_;
  clock_ = clock;
  if (delta <= kPresentLast - kPresentFirst) {
    PutTag(static_cast<uint8_t>(kPresentFirst + delta));
  } else {
    PutTag(kPresentLong);
    PutVarint(delta);
  }
  EndFrame();
  WriteOut();
}

void Writer::EndFrame() {
  const auto at = std::find(recent_.begin(), recent_.end(), frame_);
  if (at != recent_.end()) {
    const size_t place = static_cast<size_t>(at - recent_.begin());
    pending_ += static_cast<char>(kRepeatFirst + place);
    MoveToFront(recent_, place);
  } else {
    pending_ += frame_;
    AddRecent(recent_, frame_);
  }
  frame_.clear();
}

void Writer::StartTimer(int period, int id) {
  if (!IsOpen()) return;
  FlushRun();
  PutTag(kStartTimer);
  PutVarint(static_cast<uint32_t>(period));
  PutVarint(static_cast<uint32_t>(id < 0 ? 0 : id));
}

void Writer::OpenWindow(int width, int height, int flags, bool opened) {
  if (!IsOpen()) return;
  FlushRun();
  PutTag(kOpenWindow);
  PutVarint(static_cast<uint32_t>(std::max(width, 0)));
  PutVarint(static_cast<uint32_t>(std::max(height, 0)));
  PutVarint(static_cast<uint32_t>(std::max(flags, 0)));
  PutTag(opened ? 1 : 0);
}

void Writer::Kept(const KeptFile& file) {
  if (!IsOpen()) return;
  FlushRun();
  PutTag(kKept);
  PutBytes(file.name);
  PutTag(static_cast<uint8_t>(file.state));
  if (file.state == KeptState::File) PutBytes(file.bytes);
  PutTag(file.has_seed ? 1 : 0);
  if (file.has_seed) {
    PutTag(static_cast<uint8_t>(file.seed_state));
    if (file.seed_state == KeptState::File) PutBytes(file.seed_bytes);
  }
}

void Writer::End(bool inside_present) {
  if (!IsOpen()) return;
  FlushRun();
  PutTag(kEnd);
  PutTag(inside_present ? 1 : 0);
  // What the last frame asked before the end is no frame of its own.
  pending_ += frame_;
  frame_.clear();
  WriteOut();
  if (std::fclose(file_) != 0 && !failed_)
    std::fprintf(stderr, "zarn: the recording \"%s\" could not be finished: %s\n", path_.c_str(), std::strerror(errno));
  file_ = nullptr;
}

void Writer::WriteOut() {
  if (pending_.empty() || file_ == nullptr) return;
  const bool ok = std::fwrite(pending_.data(), 1, pending_.size(), file_) == pending_.size() && std::fflush(file_) == 0;
  pending_.clear();
  // Said once: the run goes on, and the recording holds what was written so far.
  if (!ok && !failed_) {
    failed_ = true;
    std::fprintf(stderr, "zarn: writing the recording \"%s\" failed: %s\n", path_.c_str(), std::strerror(errno));
  }
}

bool WriteRecording(const recording::Header& header, const std::vector<Record>& records, const std::string& path,
                    std::string& error) {
  Writer w;
  if (!w.Open(path, header, error)) return false;
  for (const Record& r : records) {
    switch (r.kind) {
      case RecordKind::EmptyPolls: w.EmptyPoll(r.count); break;
      case RecordKind::Clock: w.Clock(r.value, r.count); break;
      case RecordKind::Event:
        if (r.event.kind == platform::EventKind::TimerTick && r.event.data >= 1 && r.event.mods == 0) {
          w.Ticks(r.event.data, r.count);
        } else {
          for (uint32_t i = 0; i < r.count; ++i) w.Event(r.event);
        }
        break;
      case RecordKind::Wait: w.Wait(); break;
      case RecordKind::Present: w.Present(r.value); break;
      case RecordKind::StartTimer: w.StartTimer(r.period, static_cast<int>(r.value)); break;
      case RecordKind::OpenWindow: w.OpenWindow(r.width, r.height, r.flags, r.value == 1); break;
      case RecordKind::KeptFile: w.Kept(r.kept); break;
      case RecordKind::End: w.End(r.value == 1); break;
    }
  }
  return true;
}

// ---- messages ----

namespace {

std::string EventText(const platform::Event& e) {
  using platform::EventKind;
  switch (e.kind) {
    case EventKind::KeyDown: return "key " + std::to_string(e.data) + " down";
    case EventKind::KeyRepeat: return "key " + std::to_string(e.data) + " repeating";
    case EventKind::KeyUp: return "key " + std::to_string(e.data) + " up";
    case EventKind::Char: return "the typed character " + std::to_string(e.data);
    case EventKind::Close: return "a close request";
    case EventKind::FocusLost: return "the focus lost";
    case EventKind::FocusGained: return "the focus regained";
    case EventKind::TimerTick: return "a tick of timer " + std::to_string(e.data);
    case EventKind::Quit: return "the request to quit";
  }
  return "an event";
}

}  // namespace

std::string Describe(const Record& r) {
  switch (r.kind) {
    case RecordKind::EmptyPolls: return "an input poll that found nothing";
    case RecordKind::Event: return "an input poll that returned " + EventText(r.event);
    case RecordKind::Clock: return "a read of the clock (" + std::to_string(r.value) + " ms)";
    case RecordKind::Wait: return "a wait for events";
    case RecordKind::Present: return "a presented frame";
    case RecordKind::StartTimer: return "a timer of " + std::to_string(r.period) + " ms";
    case RecordKind::OpenWindow:
      return "a window of " + std::to_string(r.width) + " x " + std::to_string(r.height);
    case RecordKind::KeptFile: return "the kept file " + r.kept.name;
    case RecordKind::End: return "the end of the run";
  }
  return "a record";
}

}  // namespace recording
