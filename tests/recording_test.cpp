// Recorded runs: the recording file read back as written, cut short, damaged or
// foreign; and the program recording a run, playing it back to the same trace,
// checking it, turning it into a script, and never touching the player's table
// while it plays.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "media/platform/script.h"
#include "media/recording/format.h"
#include "support/game_run.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

using platform::Event;
using platform::EventKind;
using recording::KeptState;
using recording::Record;
using recording::RecordKind;
using recording::Recording;

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(bytes.data()),
                                                                 static_cast<std::streamsize>(bytes.size()));
}

// Writes the records anew (after a test changed them) with the recording's
// header, as the program would have.
void WriteRecording(const Recording& r, const std::vector<Record>& records, const std::string& path) {
  std::string error;
  ASSERT_TRUE(recording::WriteRecording(r.header, records, path, error)) << error;
}

// One line per question the records answer, runs spelled out, so two ways of
// writing the same run compare equal.
std::vector<std::string> Answers(const Recording& r) {
  std::vector<std::string> out;
  for (const Record& x : recording::Records(r)) {
    if (x.kind == RecordKind::EmptyPolls) {
      out.insert(out.end(), x.count, "poll");
      continue;
    }
    if (x.kind == RecordKind::Clock) {
      out.insert(out.end(), x.count, "clock " + std::to_string(x.value));
      continue;
    }
    std::ostringstream line;
    line << x.count << "x ";
    line << static_cast<int>(x.kind) << " " << x.value << " " << static_cast<int>(x.event.kind) << " " << x.event.data
         << " " << x.event.mods << " " << x.width << "x" << x.height << " " << x.flags << " " << x.period;
    if (x.kind == RecordKind::KeptFile) {
      const auto& f = x.kept;
      line << " " << f.name << " " << int(f.state) << " " << f.bytes << " " << f.has_seed << " " << int(f.seed_state)
           << " " << f.seed_bytes;
    }
    out.push_back(line.str());
  }
  return out;
}

Recording Parse(const std::vector<uint8_t>& bytes, std::string& error) {
  Recording r;
  r.path = "test.zrec";
  recording::ParseRecording(bytes, r, error);
  return r;
}

// A run with every kind of record and the values at the edges of their short
// forms, as the recording backend would write it.
void WriteEveryKind(const std::string& path) {
  recording::Writer w;
  std::string error;
  ASSERT_TRUE(w.Open(path, {{"program", "zarn 1.0.0"}, {"backend", "test"}, {"options", "--a b"}}, error)) << error;
  w.OpenWindow(700, 540, 2, true);
  w.Present(0);
  w.Present(31);   // the longest short step
  w.Present(63);   // one more than that
  w.Clock(126);    // 63 on: still short
  w.Clock(190);    // 64 on
  for (int i = 0; i < 40; ++i) w.Clock(190);  // the same again and again
  w.Clock(4294967290u);
  w.Present(20);  // the clock wrapped
  w.StartTimer(16, 1);
  w.StartTimer(16, 0);  // refused
  w.EmptyPoll();
  w.Event(Event{EventKind::TimerTick, 1, 0});
  w.Event(Event{EventKind::TimerTick, 16, 0});
  w.Event(Event{EventKind::TimerTick, 17, 0});
  for (int i = 0; i < 500; ++i) w.Event(Event{EventKind::TimerTick, 2, 0});  // after a stall
  for (int i = 0; i < 63; ++i) w.EmptyPoll();
  w.Wait();
  for (int i = 0; i < 1000; ++i) w.EmptyPoll();
  w.Event(Event{EventKind::KeyDown, 68, 0});
  w.Event(Event{EventKind::KeyRepeat, 68, 4});
  w.Event(Event{EventKind::KeyUp, 255, 15});
  w.Event(Event{EventKind::Char, 0xFFFF, 0});
  w.Event(Event{EventKind::Char, 0, 1});
  w.Event(Event{EventKind::Close, 0, 0});
  w.Event(Event{EventKind::FocusLost, 0, 0});
  w.Event(Event{EventKind::FocusGained, 0, 0});
  w.Event(Event{EventKind::Quit, 0, 0});
  w.Present(21);
  w.Kept({"data/score.txt", KeptState::File, std::string("Ida\r\n42\0\r\n", 10), false, KeptState::Absent, ""});
  w.Kept({"data/score.txt", KeptState::Absent, "", true, KeptState::File, "seed\n"});
  w.Kept({"data/score.txt", KeptState::Unreadable, "", false, KeptState::Absent, ""});
  w.Kept({"data/score.txt", KeptState::Absent, "", true, KeptState::Unreadable, ""});
  w.Present(40);
  // The same frame three times, and an earlier one once more.
  for (uint32_t t : {56u, 72u, 88u}) {
    w.EmptyPoll();
    w.Clock(t - 16);
    w.Event(Event{EventKind::TimerTick, 1, 0});
    w.Present(t);
  }
  w.Present(88);
  w.Present(119);
  w.End(true);
}

// ---- the file ----

TEST(RecordingFile, WhatIsWrittenReadsBackAsWritten) {
  test_support::TempDir dir;
  WriteEveryKind(dir.File("a.zrec"));
  Recording r;
  std::string error;
  ASSERT_TRUE(recording::ReadRecording(dir.File("a.zrec"), r, error)) << error;
  EXPECT_EQ(r.format_version, recording::kFormatVersion);
  EXPECT_EQ(r.Header("program"), "zarn 1.0.0");
  EXPECT_EQ(r.Header("options"), "--a b");
  EXPECT_TRUE(r.ended);
  EXPECT_FALSE(r.cut_short);
  EXPECT_EQ(r.frames, 11u);

  std::vector<uint32_t> clocks, clock_runs, presents;
  std::vector<Event> events;
  std::vector<uint32_t> poll_runs, event_runs;
  std::vector<recording::KeptFile> kept;
  const std::vector<Record> records = recording::Records(r);
  for (const Record& x : records) {
    if (x.kind == RecordKind::KeptFile) kept.push_back(x.kept);
    if (x.kind == RecordKind::Event) event_runs.push_back(x.count);
    if (x.kind == RecordKind::Clock) clocks.push_back(x.value), clock_runs.push_back(x.count);
    if (x.kind == RecordKind::Present) presents.push_back(x.value);
    if (x.kind == RecordKind::Event) events.push_back(x.event);
    if (x.kind == RecordKind::EmptyPolls) poll_runs.push_back(x.count);
  }
  EXPECT_EQ(clocks, (std::vector<uint32_t>{126, 190, 4294967290u, 40, 56, 72}));
  EXPECT_EQ(clock_runs, (std::vector<uint32_t>{1, 41, 1, 1, 1, 1}));
  EXPECT_EQ(presents, (std::vector<uint32_t>{0, 31, 63, 20, 21, 40, 56, 72, 88, 88, 119}));
  // Polls in a row are one run; a wait or an event ends it.
  EXPECT_EQ(poll_runs, (std::vector<uint32_t>{1, 63, 1000, 1, 1, 1}));
  ASSERT_EQ(events.size(), 16u);
  EXPECT_EQ(events[2].data, 17);
  EXPECT_EQ(events[3].data, 2);
  EXPECT_EQ(event_runs[3], 500u);
  EXPECT_EQ(events[5].kind, EventKind::KeyRepeat);
  EXPECT_EQ(events[5].mods, 4);
  EXPECT_EQ(events[6].data, 255);
  EXPECT_EQ(events[6].mods, 15);
  EXPECT_EQ(events[7].data, 0xFFFF);
  EXPECT_EQ(events[12].kind, EventKind::Quit);

  ASSERT_EQ(kept.size(), 4u);
  EXPECT_EQ(kept[0].bytes, std::string("Ida\r\n42\0\r\n", 10));
  EXPECT_FALSE(kept[0].has_seed);
  EXPECT_EQ(kept[1].seed_bytes, "seed\n");
  EXPECT_EQ(kept[2].state, KeptState::Unreadable);
  EXPECT_EQ(kept[3].seed_state, KeptState::Unreadable);
  const Record& last = records.back();
  EXPECT_EQ(last.kind, RecordKind::End);
  EXPECT_EQ(last.value, 1u);

  // Written again from what was read, the same answers come back.
  WriteRecording(r, records, dir.File("b.zrec"));
  Recording again;
  ASSERT_TRUE(recording::ReadRecording(dir.File("b.zrec"), again, error)) << error;
  EXPECT_EQ(Answers(again), Answers(r));
}

TEST(RecordingFile, ACutShortFileKeepsEveryCompleteFrame) {
  test_support::TempDir dir;
  WriteEveryKind(dir.File("a.zrec"));
  const std::vector<uint8_t> whole = ReadBytes(dir.File("a.zrec"));
  std::string error;
  const Recording full = Parse(whole, error);
  const auto full_answers = Answers(full);
  uint64_t frames_before = 0;
  bool some_readable = false;
  // The file as a kill at each of its bytes would leave it.
  for (size_t size = 0; size < whole.size(); ++size) {
    const std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
    error.clear();
    const Recording r = Parse(cut, error);
    if (!error.empty()) {
      EXPECT_EQ(frames_before, 0u) << "a file cut at " << size << " is refused after one was read: " << error;
      continue;
    }
    some_readable = true;
    EXPECT_TRUE(r.cut_short);
    EXPECT_FALSE(r.ended);
    const std::vector<Record> records = recording::Records(r);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back().kind, RecordKind::Present) << "cut at " << size;
    EXPECT_GE(r.frames, frames_before);
    frames_before = r.frames;
    // What it holds is the beginning of the whole run.
    const auto answers = Answers(r);
    ASSERT_LE(answers.size(), full_answers.size());
    EXPECT_TRUE(std::equal(answers.begin(), answers.end(), full_answers.begin())) << "cut at " << size;
  }
  EXPECT_TRUE(some_readable);
  EXPECT_EQ(frames_before, full.frames);  // cut before End only: every frame is there
}

TEST(RecordingFile, FilesThatAreNoPlayableRecordingAreRefusedWithTheReason) {
  test_support::TempDir dir;
  WriteEveryKind(dir.File("a.zrec"));
  const std::vector<uint8_t> good = ReadBytes(dir.File("a.zrec"));
  const size_t header = 12 + (good[10] | (good[11] << 8));
  auto refused = [&](std::vector<uint8_t> bytes, const std::string& reason) {
    std::string error;
    Parse(bytes, error);
    EXPECT_NE(error.find(reason), std::string::npos) << "got \"" << error << "\", want \"" << reason << "\"";
  };
  refused({}, "not a Zarn recording");
  refused({'P', 'K', 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "not a Zarn recording");
  refused(std::vector<uint8_t>(good.begin(), good.begin() + 10), "ends inside its header");

  auto with = [&](size_t at, std::initializer_list<uint8_t> bytes) {
    std::vector<uint8_t> b = good;
    std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
    return b;
  };
  refused(with(8, {2, 0}), "newer program (format version 2; this program reads versions up to 1)");
  refused(with(8, {0, 0}), "format version 0");
  refused(with(10, {0xFF, 0xFF}), "damaged header");
  refused(with(12, {'p', 'r', 'o', 'g', 'r', 'a', 'm', ':'}), "line 1 is not a key=value line");
  refused(with(header, {0x00, 0x00, 0x00}), "damaged at byte " + std::to_string(header) + ": an unknown record type 0x00");
  refused(with(header, {0xBE}), "an unknown record type 0xbe");
  refused(with(header, {0xBD, 0x01, 0x00}), "a run of no ticks");
  refused(with(header, {0xC7}), "a repeat of frame 7 of 0 recent ones");
  refused(with(header + 7, {0xC0}), "a repeated frame inside a frame");
  refused(with(header, {0xB3, 0x0C, 0x01, 0x00}), "an event of unknown kind 12");
  refused(with(header, {0xB3, 0x01, 0x80, 0x02, 0x00}), "a key event for key 256");
  refused(with(header, {0xB3, 0x01, 0x41, 0x10}), "modifier keys 16");
  refused(with(header, {0xB0, 0xFF, 0xFF, 0xFF, 0xFF, 0x1F}), "a number larger than 32 bits");
  refused(with(header, {0xB2, 0x00}), "a run of no polls");
  refused(with(header, {0xB7, 0x01, 'x', 0x01, 0xFF, 0xFF, 0xFF, 0x7F}), "a kept file of");
  {
    std::vector<uint8_t> b = good;
    b.push_back(0x01);  // a poll after the end
    refused(b, "more follows the end of the run");
  }
  {
    // Options that change play and that this program does not know.
    recording::Writer w;
    std::string error;
    ASSERT_TRUE(w.Open(dir.File("p.zrec"), {{"program", "zarn 9"}, {"play.gravity", "on"}}, error));
    w.Present(1);
    w.End(false);
    refused(ReadBytes(dir.File("p.zrec")), "recorded with the option gravity=on");
  }
  {
    recording::Writer w;
    std::string error;
    ASSERT_TRUE(w.Open(dir.File("n.zrec"), {{"backend", "test"}}, error));
    w.End(false);
    refused(ReadBytes(dir.File("n.zrec")), "does not name the program");
  }
  // Cut before the first frame: nothing to play.
  refused(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(header) + 4), "no complete frame");

  // Reading a file names it.
  Recording r;
  std::string error;
  EXPECT_FALSE(recording::ReadRecording(dir.File("missing.zrec"), r, error));
  EXPECT_NE(error.find(dir.File("missing.zrec")), std::string::npos) << error;
  EXPECT_FALSE(recording::ReadRecording(dir.path(), r, error));
  EXPECT_NE(error.find(dir.path()), std::string::npos) << error;
  // Zeros where the record after the window's opening begins.
  WriteBytes(dir.File("zeros.zrec"), with(header + 7, {0, 0, 0, 0}));
  EXPECT_FALSE(recording::ReadRecording(dir.File("zeros.zrec"), r, error));
  EXPECT_NE(error.find("the recording \"" + dir.File("zeros.zrec") + "\" cannot be played: it is damaged at byte"),
            std::string::npos)
      << error;
}

// ---- the program ----

// A game folder with its own highscore table.
struct Game {
  game_test::GameDir dir;
  test_support::TempDir files;
  std::string Rec(const std::string& name) const { return files.File(name); }
};

const char kTable[] =
    "Ronja\r\n60\r\nIda\r\n40\r\nBo\r\n20\r\n\r\n0\r\n\r\n0\r\n\r\n0\r\n\r\n0\r\n\r\n0\r\n\r\n0\r\n\r\n0\r\n\r\n0\r\n";

game_test::Run RecordRun(const Game& g, const std::string& script, uint32_t clock, const std::string& rec,
                      const std::string& trace = {}) {
  auto options = game_test::RunOptions::In(g.dir.Path());
  options.clock_start = clock;
  options.trace = false;
  options.extra_args = {"--record", rec};
  if (!trace.empty()) options.extra_args.insert(options.extra_args.end(), {"--trace", trace});
  return game_test::RunScriptFile(script, options);
}

game_test::Run Replay(const Game& g, std::vector<std::string> args, const std::string& trace = {}) {
  if (!trace.empty()) args.insert(args.end(), {"--trace", trace});
  return game_test::RunGame(args, game_test::RunOptions::In(g.dir.Path()), trace);
}

TEST(RecordedRuns, AReplayWritesTheLiveTraceAndLeavesThePlayersTableAlone) {
  Game g;
  g.dir.Write("data/score.txt", kTable);
  // Two games that save twice: the second save reads what the first wrote.
  const auto live = RecordRun(g, "two_games_two_saves.txt", 4321, g.Rec("run.zrec"), g.Rec("live.jsonl"));
  ASSERT_EQ(live.status, 0) << live.err;
  const std::string saved = g.dir.Read("data/score.txt");
  ASSERT_NE(saved, kTable);
  std::ifstream live_trace(g.Rec("live.jsonl"), std::ios::binary);
  const std::string expected((std::istreambuf_iterator<char>(live_trace)), std::istreambuf_iterator<char>());
  ASSERT_NE(expected.find("\"screen\":\"highscore\""), std::string::npos);

  // The player's table is something else by now; the replay shows the one read then.
  g.dir.Write("data/score.txt", "Someone\r\n999\r\n");
  const auto replay = Replay(g, {"--headless", "--replay", g.Rec("run.zrec")}, g.Rec("replay.jsonl"));
  EXPECT_EQ(replay.status, 0) << replay.err;
  EXPECT_EQ(replay.err, "");
  EXPECT_TRUE(replay.trace == expected) << "the replay's trace differs from the live run's";
  EXPECT_EQ(g.dir.Read("data/score.txt"), "Someone\r\n999\r\n");

  // A check says so and writes nothing of the player's either; the copies it
  // plays with go with it.
  const fs::path tmp = g.files.Make("tmp");
  auto options = game_test::RunOptions::In(g.dir.Path());
  options.env = {"TMPDIR=" + tmp.string()};
  const auto check = game_test::RunGame({"--replay", g.Rec("run.zrec"), "--check"}, options);
  EXPECT_EQ(check.status, 0) << check.err;
  EXPECT_NE(check.out.find(": in sync, "), std::string::npos) << check.out;
  EXPECT_EQ(g.dir.Read("data/score.txt"), "Someone\r\n999\r\n");
  EXPECT_TRUE(fs::is_empty(tmp));
}

TEST(RecordedRuns, ARecordingDoesNotDependOnTheTraceBeingWritten) {
  Game g;
  // The same scripted run recorded without a trace and with one.
  ASSERT_EQ(RecordRun(g, "pick_up_and_deliver.txt", 5600, g.Rec("plain.zrec")).status, 0);
  ASSERT_EQ(RecordRun(g, "pick_up_and_deliver.txt", 5600, g.Rec("traced.zrec"), g.Rec("live.jsonl")).status, 0);
  std::string error;
  Recording plain, traced;
  ASSERT_TRUE(recording::ReadRecording(g.Rec("plain.zrec"), plain, error)) << error;
  ASSERT_TRUE(recording::ReadRecording(g.Rec("traced.zrec"), traced, error)) << error;
  EXPECT_EQ(Answers(plain), Answers(traced));
  const auto replay = Replay(g, {"--headless", "--replay", g.Rec("plain.zrec")}, g.Rec("replay.jsonl"));
  EXPECT_EQ(replay.status, 0) << replay.err;
  std::ifstream live(g.Rec("live.jsonl"), std::ios::binary);
  EXPECT_TRUE(replay.trace == std::string(std::istreambuf_iterator<char>(live), std::istreambuf_iterator<char>()));
  EXPECT_GT(replay.frames.size(), 300u);
}

TEST(RecordedRuns, TheCheckNamesTheFirstFrameWhereTheProgramAsksForSomethingElse) {
  Game g;
  // Escape in the game after the music keys M and N.
  ASSERT_EQ(RecordRun(g, "game_escape.txt", 1000, g.Rec("run.zrec")).status, 0);
  std::string error;
  Recording r;
  ASSERT_TRUE(recording::ReadRecording(g.Rec("run.zrec"), r, error)) << error;
  ASSERT_TRUE(r.ended);
  // The frame each key event came in (frames presented before it, plus one).
  const std::vector<Record> records = recording::Records(r);
  auto frame_of = [&](int key) {
    uint64_t frames = 0;
    for (const Record& x : records) {
      if (x.kind == RecordKind::Present) ++frames;
      if (x.kind == RecordKind::Event && x.event.kind == EventKind::KeyDown && x.event.data == key) return frames + 1;
    }
    ADD_FAILURE() << "no key " << key;
    return uint64_t{0};
  };
  auto change_key = [&](int from, int to) {
    std::vector<Record> changed = records;
    for (Record& x : changed)
      if (x.kind == RecordKind::Event && x.event.data == from) x.event.data = to;
    return changed;
  };

  // Escape made another key: the program goes on where the recorded run ended.
  WriteRecording(r, change_key(27, 'X'), g.Rec("on.zrec"));
  auto check = Replay(g, {"--replay", g.Rec("on.zrec"), "--check"});
  EXPECT_EQ(check.status, 1);
  EXPECT_NE(check.err.find("out of sync at frame " + std::to_string(r.frames + 1) +
                           ": the program asked for an input poll, but the recording holds the end of the run"),
            std::string::npos)
      << check.err;

  // M made Escape: the program ends before its recording does.
  const uint64_t m_frame = frame_of('M');
  WriteRecording(r, change_key('M', 27), g.Rec("early.zrec"));
  check = Replay(g, {"--replay", g.Rec("early.zrec"), "--check"});
  EXPECT_EQ(check.status, 1);
  EXPECT_NE(check.err.find("out of sync at frame " + std::to_string(m_frame) +
                           ": the program ended, but the recording goes on to frame " + std::to_string(r.frames)),
            std::string::npos)
      << check.err;
  EXPECT_EQ(check.out, "");

  // A plain replay stops there too, with the same message and status.
  const auto replay = Replay(g, {"--headless", "--replay", g.Rec("early.zrec")});
  EXPECT_EQ(replay.status, 1);
  EXPECT_NE(replay.err.find("out of sync at frame " + std::to_string(m_frame)), std::string::npos) << replay.err;

  // The clock read where the recording holds a timer.
  std::vector<Record> swapped = records;
  for (Record& x : swapped) {
    if (x.kind != RecordKind::StartTimer) continue;
    x.kind = RecordKind::Clock;
    x.value = 1234;
    break;
  }
  WriteRecording(r, swapped, g.Rec("timer.zrec"));
  check = Replay(g, {"--replay", g.Rec("timer.zrec"), "--check"});
  EXPECT_EQ(check.status, 1);
  EXPECT_NE(check.err.find("the program asked for a timer of 16 ms, but the recording holds a read of the clock"),
            std::string::npos)
      << check.err;
}

TEST(RecordedRuns, ARunKilledWhileRecordingPlaysUpToItsLastFrame) {
  Game g;
  const std::string rec = g.Rec("killed.zrec"), trace = g.Rec("killed.jsonl");
  const std::string script = g.Rec("whole_game.txt");
  std::ofstream(script) << game_test::ScriptText("whole_game.txt");
  const std::string program = g.dir.File("zarn");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (!freopen("/dev/null", "wb", stderr)) _exit(126);
    execl(program.c_str(), program.c_str(), "--headless", "--script", script.c_str(), "--clock-start", "7198",
          "--record", rec.c_str(), "--trace", trace.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  // Killed somewhere in the game, well before its end.
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < give_up && (!fs::exists(rec) || fs::file_size(rec) < 4000))
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the run ended before it was killed";

  Recording r;
  std::string error;
  ASSERT_TRUE(recording::ReadRecording(rec, r, error)) << error;
  EXPECT_TRUE(r.cut_short);
  EXPECT_FALSE(r.ended);
  const auto check = Replay(g, {"--replay", rec, "--check"});
  EXPECT_EQ(check.status, 0) << check.err;
  EXPECT_NE(check.out.find("in sync for all " + std::to_string(r.frames) + " frames it holds"), std::string::npos)
      << check.out;
  // The replay's trace is the live one up to the last recorded frame (the two
  // frames that open the window have no line). A frame is recorded as it is
  // presented and its trace line written after that, so the kill may have come
  // before the last line (or in the middle of it).
  const auto replay = Replay(g, {"--headless", "--replay", rec}, g.Rec("replay.jsonl"));
  EXPECT_EQ(replay.status, 0) << replay.err;
  ASSERT_EQ(replay.frames.size(), r.frames - 2);
  std::ifstream live(trace, std::ios::binary);
  std::string live_text((std::istreambuf_iterator<char>(live)), std::istreambuf_iterator<char>());
  live_text.erase(live_text.rfind('\n') + 1);
  ASSERT_LE(live_text.size(), replay.trace.size());
  EXPECT_EQ(replay.trace.compare(0, live_text.size(), live_text), 0) << "the replay left the live run's path";
  EXPECT_LE(std::count(replay.trace.begin() + static_cast<std::ptrdiff_t>(live_text.size()), replay.trace.end(), '\n'),
            1);
}

TEST(RecordedRuns, AScriptMadeFromAHeadlessRecordingPlaysTheSameRun) {
  Game g;
  g.dir.Write("data/score.txt", kTable);
  ASSERT_EQ(RecordRun(g, "two_games_two_saves.txt", 777, g.Rec("run.zrec"), g.Rec("live.jsonl")).status, 0);
  const auto made = Replay(g, {"--replay", g.Rec("run.zrec"), "--to-script", g.Rec("made.txt")});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_NE(made.out.find("--clock-start 777"), std::string::npos) << made.out;
  std::ifstream in(g.Rec("made.txt"));
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  platform::Script script;
  std::string error;
  ASSERT_TRUE(platform::ParseScript(text, "made.txt", script, error)) << error;
  // The characters as typed, the space on its own (a `type` line drops it).
  EXPECT_NE(text.find("950 type Te5\n950 char 32\n950 type ster\n"), std::string::npos) << text;
  EXPECT_NE(text.find(" stall 300000\n"), std::string::npos) << text;

  g.dir.Write("data/score.txt", kTable);  // as before the recorded run saved
  auto options = game_test::RunOptions::In(g.dir.Path());
  options.clock_start = 777;
  options.trace = false;
  options.extra_args = {"--trace", g.Rec("script.jsonl")};
  game_test::Run run = game_test::RunScript(text, options);
  EXPECT_EQ(run.status, 0) << run.err;
  std::ifstream a(g.Rec("live.jsonl"), std::ios::binary), b(g.Rec("script.jsonl"), std::ios::binary);
  EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(a), std::istreambuf_iterator<char>()) ==
              std::string(std::istreambuf_iterator<char>(b), std::istreambuf_iterator<char>()));
}

TEST(RecordedRuns, BadOptionsAndUnusableFilesStopBeforeTheRunNamingTheFile) {
  Game g;
  auto run = [&](std::vector<std::string> args) { return game_test::RunGame(args, game_test::RunOptions::In(g.dir.Path())); };
  struct Case {
    std::vector<std::string> args;
    std::string says;
  };
  const std::string folder = g.files.path();
  WriteBytes(g.Rec("junk.zrec"), {'j', 'u', 'n', 'k'});
  const Case cases[] = {
      {{"--record", g.Rec("a"), "--replay", g.Rec("b")}, "--record and --replay cannot be combined"},
      {{"--check"}, "--check and --to-script need --replay"},
      {{"--replay", g.Rec("b"), "--check", "--to-script", g.Rec("c")}, "cannot be combined"},
      {{"--headless", "--replay", g.Rec("b"), "--clock-start", "5"}, "the recording holds the input and the clock"},
      {{"--replay"}, "--replay needs a recording"},
      {{"--headless", "--record", folder}, "cannot write the recording \"" + folder + "\""},
      {{"--headless", "--replay", g.Rec("missing.zrec")}, "cannot read the recording \"" + g.Rec("missing.zrec") + "\""},
      {{"--replay", g.Rec("junk.zrec"), "--check"},
       "the recording \"" + g.Rec("junk.zrec") + "\" cannot be played: it is not a Zarn recording"},
      {{"--trace", folder}, "cannot write the --trace file \"" + folder + "\""},
      {{"--headless", "--replay", g.Rec("missing.zrec"), "--audio-out", folder},
       "cannot write the --audio-out file \"" + folder + "\""},
      {{"--settings", g.Rec("s.ini"), "--replay", g.Rec("b")}, "--settings cannot be combined with --replay"},
  };
  for (const Case& c : cases) {
    const auto r = run(c.args);
    EXPECT_EQ(r.status, 2) << c.args[0] << ": " << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << "got: " << r.err << "want: " << c.says;
  }
}

}  // namespace
