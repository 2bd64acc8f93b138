// The results screen: the score, the name entry with its cursor, the highscore
// table's sort, its file (damaged, missing, unwritable, killed while saving) and
// its view; and one scripted run of two games that save twice.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "game/assets.h"
#include "game/highscore.h"
#include "game/layout.h"
#include "game/results.h"
#include "game/state.h"
#include "game/trace.h"
#include "support/child_process.h"
#include "support/game_run.h"
#include "support/headless.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

using Entry = std::pair<std::u16string_view, std::u16string_view>;
using game_test::Json;

ScoreTable TableOf(const std::vector<Entry>& entries) {
  ScoreTable table;
  for (size_t i = 0; i < entries.size(); ++i) {
    table[2 * i] = String(entries[i].first);
    table[2 * i + 1] = String(entries[i].second);
  }
  return table;
}

std::vector<Entry> EntriesOf(const ScoreTable& table) {
  std::vector<Entry> entries;
  for (size_t i = 0; i < size_t(kTableEntries); ++i) entries.emplace_back(table[2 * i], table[2 * i + 1]);
  return entries;
}

// A score file of the entries, a CR LF line each; as the table's save writes it
// for a table of twelve (entries 0 to 10).
std::string FileOf(const std::vector<Entry>& entries) {
  std::string bytes;
  for (size_t i = 0; i < std::min<size_t>(entries.size(), 11); ++i)
    bytes += TextToBytes(entries[i].first) + "\r\n" + TextToBytes(entries[i].second) + "\r\n";
  return bytes;
}

std::string ReadRaw(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteRaw(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The ten best of a full table, 90 down to 5.
const std::vector<Entry> kFullTable = {{u"A", u"90"}, {u"B", u"80"}, {u"C", u"70"}, {u"D", u"60"}, {u"E", u"50"},
                                       {u"F", u"40"}, {u"G", u"30"}, {u"H", u"20"}, {u"I", u"10"}, {u"J", u"5"}};

std::vector<Entry> With(std::vector<Entry> entries, std::initializer_list<Entry> more) {
  entries.insert(entries.end(), more);
  return entries;
}

}  // namespace

TEST(Score, CarriedDiamondsCountOnceDeliveredOnesTwice) {
  EXPECT_EQ(ScoreOf({3, 1, 0, 2, 0, 5}), 18);
  EXPECT_EQ(ScoreOf({0, 0, 0, 0, 0, 0}), 0);
  EXPECT_EQ(ScoreOf({1, 2, 3, 0, 0, 0}), 6);
  EXPECT_EQ(ScoreOf({0, 0, 0, 1, 2, 3}), 12);
}

// The exchange sort against tables worked through by hand from its rule: for i
// and j from 0 to 11, entries i and j change places when i's score is greater,
// and the score moving from i to j is written anew as decimal text.
TEST(HighscoreSort, OrdersTheTwelveEntriesAsTheExchangeRuleDoes) {
  struct Case {
    const char* what;
    std::vector<Entry> before, after;
  };
  const std::vector<Case> cases = {
      {"ties keep the order the exchanges give; the empty spare stays empty at the end",
       {{u"Ada", u"50"}, {u"Bo", u"30"}, {u"Cy", u"50"}, {u"Di", u"10"}, {u"Ed", u"0"}, {u"Fe", u"0"},
        {u"Gu", u"0"}, {u"Hu", u"0"}, {u"Io", u"0"}, {u"Jo", u"0"}, {u"Neu", u"30"}, {u"", u""}},
       {{u"Ada", u"50"}, {u"Cy", u"50"}, {u"Bo", u"30"}, {u"Neu", u"30"}, {u"Di", u"10"}, {u"Fe", u"0"},
        {u"Gu", u"0"}, {u"Hu", u"0"}, {u"Io", u"0"}, {u"Jo", u"0"}, {u"Ed", u"0"}, {u"", u""}}},
      {"a score equal to the lowest of a full table takes its place",
       With(kFullTable, {{u"Neu", u"5"}, {u"", u""}}),
       {{u"A", u"90"}, {u"B", u"80"}, {u"C", u"70"}, {u"D", u"60"}, {u"E", u"50"}, {u"F", u"40"},
        {u"G", u"30"}, {u"H", u"20"}, {u"I", u"10"}, {u"Neu", u"5"}, {u"J", u"5"}, {u"", u""}}},
      {"a score below the lowest stays out of the ten",
       With(kFullTable, {{u"Neu", u"3"}, {u"", u""}}),
       With(kFullTable, {{u"Neu", u"3"}, {u"", u""}})},
      {"the empty spare moved as the greater entry becomes \"0\"",
       {{u"A", u"5"}, {u"B", u"-2"}, {u"C", u"-7"}, {u"D", u"-1"}, {u"E", u"3"}, {u"F", u"0"}, {u"G", u"-3"},
        {u"H", u"2"}, {u"I", u"-5"}, {u"J", u"1"}, {u"Neu", u"-4"}, {u"", u""}},
       {{u"A", u"5"}, {u"E", u"3"}, {u"H", u"2"}, {u"J", u"1"}, {u"F", u"0"}, {u"", u"0"}, {u"D", u"-1"},
        {u"B", u"-2"}, {u"G", u"-3"}, {u"Neu", u"-4"}, {u"I", u"-5"}, {u"C", u"-7"}}},
      {"the spare left by an earlier save takes part again",
       With(kFullTable, {{u"Zed", u"70"}, {u"J", u"5"}}),
       {{u"A", u"90"}, {u"B", u"80"}, {u"C", u"70"}, {u"Zed", u"70"}, {u"D", u"60"}, {u"E", u"50"},
        {u"F", u"40"}, {u"G", u"30"}, {u"H", u"20"}, {u"I", u"10"}, {u"J", u"5"}, {u"J", u"5"}}},
      {"score texts moved as the greater entry are written anew",
       {{u"A", u"007"}, {u"B", u"9"}, {u"C", u"+3"}, {u"D", u"0"}, {u"E", u"0"}, {u"F", u"0"}, {u"G", u"0"},
        {u"H", u"0"}, {u"I", u"0"}, {u"J", u"0"}, {u"Neu", u"0"}, {u"", u""}},
       {{u"B", u"9"}, {u"A", u"7"}, {u"C", u"3"}, {u"D", u"0"}, {u"E", u"0"}, {u"F", u"0"}, {u"G", u"0"},
        {u"H", u"0"}, {u"I", u"0"}, {u"J", u"0"}, {u"Neu", u"0"}, {u"", u""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScoreTable table = TableOf(c.before);
    SortEntries(table);
    EXPECT_EQ(EntriesOf(table), c.after);
  }
}

// ---- The score file ----------------------------------------------------------

namespace {

class ScoreFile : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::permissions(dir_, fs::perms(0755));
    G = GameState();
  }
  void TearDown() override { G = GameState(); }
  fs::path File() const { return dir_ / "score.txt"; }
  String Path() const { return TextFromUtf8(File().string()); }
  std::vector<std::string> Listing() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // Saves (name, score) as the results screen's Space does, with standard error
  // captured.
  std::string Merge(std::u16string_view name, int score, std::u16string_view seed = {}) {
    G.PlayerName = String(name);
    G.Score = score;
    ::testing::internal::CaptureStderr();
    MergeScore(Path(), seed);
    return ::testing::internal::GetCapturedStderr();
  }

  test_support::TempDir temp_;
  const fs::path dir_{temp_.path()};
};

std::string Lines(std::initializer_list<std::string_view> lines, std::string_view end) {
  std::string bytes;
  for (std::string_view line : lines) bytes += std::string(line) + std::string(end);
  return bytes;
}

}  // namespace

TEST_F(ScoreFile, CrLfAndLfFilesReadTheSameAndScoresAreWrittenAnew) {
  const std::initializer_list<std::string_view> lines = {
      "Tabea",  "120", "Quirin", "96",  "Malte", "  042x", "Ronja", "abc", "Ida",      "-5", "Frieda",  "+7",
      "Lenz",   "$1A", "Bo",     "12.9", "Pit", "",       "Zarn",  "8",   "Eleventh", "1",  "ignored", "2"};
  ScoreTable crlf, lf;
  WriteRaw(File(), Lines(lines, "\r\n"));
  EXPECT_EQ(ReadScoreFile(Path(), crlf), ScoreFileState::Read);
  WriteRaw(File(), Lines(lines, "\n"));
  EXPECT_EQ(ReadScoreFile(Path(), lf), ScoreFileState::Read);
  EXPECT_EQ(crlf, lf);
  const std::vector<Entry> expected = {{u"Tabea", u"120"}, {u"Quirin", u"96"}, {u"Malte", u"42"}, {u"Ronja", u"0"},
                                       {u"Ida", u"-5"},    {u"Frieda", u"7"},  {u"Lenz", u"26"},  {u"Bo", u"12"},
                                       {u"Pit", u"0"},     {u"Zarn", u"8"},    {u"", u""},        {u"", u""}};
  EXPECT_EQ(EntriesOf(crlf), expected) << "entries 10 and 11 are not read";
}

TEST_F(ScoreFile, DamagedFilesReadAsFarAsTheyGo) {
  // Fewer than 20 lines: the missing names are empty, the missing scores 0.
  WriteRaw(File(), "Ann\r\n7\r\nBob\r\n");
  ScoreTable table;
  EXPECT_EQ(ReadScoreFile(Path(), table), ScoreFileState::Read);
  EXPECT_EQ(table[0], u"Ann");
  EXPECT_EQ(table[1], u"7");
  EXPECT_EQ(table[2], u"Bob");
  for (int i = 1; i < kShownEntries; ++i) EXPECT_EQ(table[size_t(2 * i + 1)], u"0") << "entry " << i;
  for (int i = 2; i < kShownEntries; ++i) EXPECT_EQ(table[size_t(2 * i)], u"") << "entry " << i;

  // Binary junk: every score still reads as a number's decimal text.
  std::mt19937 rng(7);
  std::string junk(5000, '\0');
  for (char& c : junk) c = char(rng());
  WriteRaw(File(), junk);
  EXPECT_EQ(ReadScoreFile(Path(), table), ScoreFileState::Read);
  for (int i = 0; i < kShownEntries; ++i) {
    const String& score = table[size_t(2 * i + 1)];
    EXPECT_EQ(score, IntText(ParseInt(score))) << "entry " << i;
  }

  // A line of megabytes: reading stops at the limit, and the table still saves.
  WriteRaw(File(), std::string(3 << 20, 'W') + "\n5\n");
  EXPECT_EQ(ReadScoreFile(Path(), table), ScoreFileState::Read);
  EXPECT_EQ(table[0], String(size_t(kScoreFileReadLimit), u'W'));
  EXPECT_EQ(table[1], u"0");
  EXPECT_EQ(Merge(u"Neu", 3), "");
  const std::string saved = ReadRaw(File());
  EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), kSavedLines);
  EXPECT_EQ(saved.rfind("Neu\r\n3\r\n", 0), 0u) << saved.substr(0, 40);
}

TEST_F(ScoreFile, MissingFileReadsAsTenEmptyEntriesAndIsCreatedOnSave) {
  ScoreTable table;
  table.fill(u"stale");
  EXPECT_EQ(ReadScoreFile(Path(), table), ScoreFileState::Missing);
  for (int i = 0; i < kShownEntries; ++i) {
    EXPECT_EQ(table[size_t(2 * i)], u"");
    EXPECT_EQ(table[size_t(2 * i + 1)], u"0");
  }
  EXPECT_EQ(Merge(u"Neu", 7), "");
  std::vector<Entry> expected = {{u"Neu", u"7"}};
  for (int i = 0; i < 10; ++i) expected.emplace_back(u"", u"0");
  EXPECT_EQ(ReadRaw(File()), FileOf(expected));
  EXPECT_EQ(Listing(), std::vector<std::string>{"score.txt"});
}

// The player's own table starts from the seed (the table the game came with):
// the first save reads the seed and writes the player's file, later saves read
// that file, and the seed is never written.
TEST_F(ScoreFile, SeedStandsInUntilThePlayersFileIsWritten) {
  const fs::path seed = dir_ / "seed.txt";
  const std::string seed_bytes = Lines({"Tabea", "120", "Quirin", "96"}, "\n");
  WriteRaw(seed, seed_bytes);
  const String seed_path = TextFromUtf8(seed.string());
  EXPECT_EQ(Merge(u"Neu", 100, seed_path), "");
  EXPECT_EQ(EntriesOf(G.HiTable)[0], Entry(u"Tabea", u"120"));
  EXPECT_EQ(EntriesOf(G.HiTable)[1], Entry(u"Neu", u"100"));
  EXPECT_EQ(EntriesOf(G.HiTable)[2], Entry(u"Quirin", u"96"));
  EXPECT_EQ(ReadRaw(File()).rfind("Tabea\r\n120\r\nNeu\r\n100\r\nQuirin\r\n96\r\n", 0), 0u);
  EXPECT_EQ(ReadRaw(seed), seed_bytes);

  WriteRaw(seed, Lines({"Other", "500"}, "\n"));
  EXPECT_EQ(Merge(u"Zed", 110, seed_path), "");
  EXPECT_EQ(ReadRaw(File()).rfind("Tabea\r\n120\r\nZed\r\n110\r\nNeu\r\n100\r\n", 0), 0u)
      << "the seed counts only while the player's file is missing";

  // A seed that is not there gives the empty table of a missing file.
  fs::remove(File());
  EXPECT_EQ(Merge(u"Neu", 7, TextFromUtf8((dir_ / "no-seed.txt").string())), "");
  EXPECT_EQ(ReadRaw(File()).rfind("Neu\r\n7\r\n\r\n0\r\n", 0), 0u);

  // A player's file that is there but cannot be read is not replaced by the seed.
  fs::remove(File());
  fs::create_directories(File() / "inside");
  const std::string err = Merge(u"Neu", 4, seed_path);
  EXPECT_NE(err.find("cannot read the highscore table"), std::string::npos) << err;
  EXPECT_TRUE(fs::is_directory(File() / "inside"));
}

// Two saves in one run: the second reads what the first wrote, and the spare
// entry left by the first sort takes part in the second.
TEST_F(ScoreFile, TwoSavesInOneRunBuildOnEachOther) {
  WriteRaw(File(), FileOf(kFullTable));
  struct Save {
    std::u16string_view name;
    int score;
    std::vector<Entry> after;
  };
  const Save saves[] = {
      {u"Neu", 5, {{u"A", u"90"}, {u"B", u"80"}, {u"C", u"70"}, {u"D", u"60"}, {u"E", u"50"}, {u"F", u"40"},
                   {u"G", u"30"}, {u"H", u"20"}, {u"I", u"10"}, {u"Neu", u"5"}, {u"J", u"5"}, {u"", u""}}},
      {u"Zed", 70, {{u"A", u"90"}, {u"B", u"80"}, {u"C", u"70"}, {u"Zed", u"70"}, {u"D", u"60"}, {u"E", u"50"},
                    {u"F", u"40"}, {u"G", u"30"}, {u"H", u"20"}, {u"I", u"10"}, {u"Neu", u"5"}, {u"", u""}}}};
  for (const Save& save : saves) {
    EXPECT_EQ(Merge(save.name, save.score), "");
    EXPECT_EQ(EntriesOf(G.HiTable), save.after);
    EXPECT_EQ(ReadRaw(File()), FileOf(save.after));
  }
  EXPECT_EQ(Listing(), std::vector<std::string>{"score.txt"});
}

// A file that cannot be written stays as it was; the game says so and goes on,
// and the table shown holds the new score.
TEST_F(ScoreFile, UnwritableFileIsLeftAloneAndTheViewStillShowsTheScore) {
  const std::string old = Lines({"Tabea", "120", "Quirin", "96"}, "\r\n");
  WriteRaw(File(), old);
  fs::permissions(File(), fs::perms(0444));
  const std::string err = Merge(u"Neu", 100);
  EXPECT_NE(err.find("cannot save the highscore table"), std::string::npos) << err;
  EXPECT_NE(err.find(File().string()), std::string::npos) << err;
  EXPECT_NE(err.find("read-only"), std::string::npos) << err;
  EXPECT_EQ(ReadRaw(File()), old);
  EXPECT_EQ(Listing(), std::vector<std::string>{"score.txt"});
  const Json line = Json::parse(TraceLine(Screen::Highscore, 5, 0));
  EXPECT_EQ(line["table"][1], Json::parse(R"(["Neu", "100"])"));
  EXPECT_EQ(line["score"], 100);
}

// A folder standing at the file's place can be neither read nor replaced.
TEST_F(ScoreFile, FolderAtTheFilesPlaceIsNeitherReadNorReplaced) {
  fs::create_directories(File() / "inside");
  ScoreTable table;
  EXPECT_EQ(ReadScoreFile(Path(), table), ScoreFileState::Unreadable);
  const std::string err = Merge(u"Neu", 4);
  EXPECT_NE(err.find("cannot read the highscore table"), std::string::npos) << err;
  EXPECT_TRUE(fs::is_directory(File() / "inside"));
  EXPECT_EQ(G.HiTable[0], u"Neu");
}

// A read-only folder: no new file can be made beside the old one. Run as an
// ordinary user, since the superuser may write into any folder.
TEST_F(ScoreFile, ReadOnlyFolderLeavesTheOldTable) {
  const std::string old = Lines({"Tabea", "120"}, "\r\n");
  WriteRaw(File(), old);
  fs::permissions(File(), fs::perms(0666));
  const fs::path err_file = fs::temp_directory_path() / ("zarn_scores_err_" + std::to_string(getpid()));
  fs::permissions(dir_, fs::perms(0555));
  const String path = Path();
  const int status = test_support::RunInChild(
      [&] {
        G.PlayerName = u"Neu";
        G.Score = 200;
        MergeScore(path);
        return G.HiTable[0] == u"Neu" && G.HiTable[1] == u"200" ? 0 : 1;
      },
      true, err_file.string());
  fs::permissions(dir_, fs::perms(0755));
  EXPECT_EQ(status, 0) << "the table in memory lacks the new score";
  const std::string err = ReadRaw(err_file);
  fs::remove(err_file);
  EXPECT_NE(err.find("cannot save the highscore table"), std::string::npos) << err;
  EXPECT_EQ(ReadRaw(File()), old);
  EXPECT_EQ(Listing(), std::vector<std::string>{"score.txt"});
}

// Saving killed at random moments, again and again: every time the file reads
// back as a whole table of 22 lines in descending order.
TEST_F(ScoreFile, KilledWhileSavingLeavesAWholeTable) {
  WriteRaw(File(), FileOf(kFullTable));
  const String path = Path();
  // Kills are spread over about two saves, so that they land in every step.
  G.PlayerName = u"Timer";
  const long long save_us = test_support::MicrosPerCall([&] { MergeScore(path); }, 3);
  const unsigned spread_us = unsigned(std::max(save_us * 2, 1000LL));
  std::mt19937 rng(31);
  for (int round = 0; round < 30; ++round) {
    const bool killed = test_support::KillWhileRepeating(
        [&](int n) {
          G.PlayerName = u"Kid" + IntText(round);
          G.Score = 1000 * (round + 1) + n;
          MergeScore(path);
          return true;
        },
        unsigned(rng() % spread_us));
    ASSERT_TRUE(killed) << "round " << round;

    const std::string bytes = ReadRaw(File());
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), kSavedLines);
    ASSERT_EQ(std::count(bytes.begin(), bytes.end(), '\r'), kSavedLines);
    ASSERT_TRUE(bytes.ends_with("\r\n"));
    ScoreTable table;
    ASSERT_EQ(ReadScoreFile(path, table), ScoreFileState::Read);
    // The round's own save is in, at the top.
    EXPECT_EQ(table[0], u"Kid" + IntText(round));
    for (int i = 1; i < kShownEntries; ++i)
      EXPECT_GE(ParseInt(table[size_t(2 * i - 1)]), ParseInt(table[size_t(2 * i + 1)])) << "entry " << i;
  }
}

// ---- Name entry and the views --------------------------------------------------

namespace {

class ResultsScreen : public ::testing::Test {
 protected:
  void SetUp() override { Open(1000); }
  void TearDown() override {
    UseFont(nullptr);
    G = GameState();
    CloseGraphics();
  }
  void Open(uint32_t clock_start) {
    test_support::HeadlessSetup setup;
    setup.clock_start = clock_start;
    graphics_ = test_support::OpenHeadlessGraphics(setup);
    ASSERT_TRUE(graphics_);
    G = GameState();
    SetLoadMask(255, 0, 255);
    UseFont(GameFontFile(files::kFont, files::kFontSize, files::kFontStyle));
    SetColor(255, 255, 255);
  }
  static void Type(std::u16string_view text) {
    for (char16_t c : text) test_support::Headless().PushEvent({platform::EventKind::Char, int(c), 0});
  }
  static void Entries(int frames) {
    for (int i = 0; i < frames; ++i) NameEntry();
  }
  // Lit pixels in the rectangle [x0, x1) x [y0, y1) of a read-back frame.
  static int Lit(const std::vector<uint8_t>& fb, int x0, int y0, int x1, int y1) {
    int lit = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        const test_support::Rgba p = test_support::PixelAt(fb, x, y);
        lit += p.r > 128 || p.g > 128 || p.b > 128;
      }
    return lit;
  }

  std::shared_ptr<TPlanoGraphics> graphics_;
};

}  // namespace

TEST_F(ResultsScreen, NameTakesOneCharacterAFrameAndKeepsTen) {
  Type(u"ABCDEFGHIJK");
  Entries(1);
  EXPECT_EQ(G.NameInput, u"A");
  EXPECT_EQ(G.PlayerName, u"A");
  Entries(10);
  EXPECT_EQ(G.NameInput, u"ABCDEFGHIJ");
  EXPECT_EQ(G.PlayerName, u"ABCDEFGHIJ");
  Type(u"\b");
  Entries(1);
  EXPECT_EQ(G.NameInput, u"ABCDEFGHI");
  EXPECT_EQ(NextTypedChar(), 0) << "characters were left in the queue";
}

TEST_F(ResultsScreen, OnlyTheAtSignLettersBracketsAndLeftBraceAreTaken) {
  // Digits, space, '?' (63), '|' (124), '~', and a letter beyond ASCII are
  // ignored; '@' (64), '[' '`' between the cases, and '{' (123) are taken.
  const std::u16string_view typed = u"7 ?|~\u00e9a@[`{Z";
  Type(typed);
  Entries(int(typed.size()));
  EXPECT_EQ(G.NameInput, u"a@[`{Z");
  EXPECT_EQ(G.PlayerName, u"a@[`{Z");
}

TEST_F(ResultsScreen, BackspaceOnAnEmptyNameAndEnterEndsTheFramesEntry) {
  Type(u"\b\b");
  Entries(2);
  EXPECT_EQ(G.NameInput, u"");

  G.NameInput = u"Zarn";
  Cls();
  Entries(1);
  std::vector<uint8_t> fb = test_support::ReadFramebuffer();
  EXPECT_GT(Lit(fb, 220, 445, 400, 475), 0) << "the name is not drawn";
  EXPECT_EQ(G.PlayerName, u"Zarn");

  // Enter: nothing is drawn, the cursor keeps its state, the name is not copied.
  G.NameInput = u"Zarno";
  const int cursor = G.CursorOn, next = G.CursorNext;
  test_support::Headless().AdvanceClock(5000);
  Cls();
  Type(u"\r");
  Entries(1);
  fb = test_support::ReadFramebuffer();
  EXPECT_EQ(Lit(fb, 0, 0, 700, 540), 0) << "the Enter frame drew something";
  EXPECT_EQ(G.PlayerName, u"Zarn");
  EXPECT_EQ(G.CursorOn, cursor);
  EXPECT_EQ(G.CursorNext, next);
  Entries(1);
  EXPECT_EQ(G.PlayerName, u"Zarno");
}

TEST_F(ResultsScreen, CursorIsABarAtTheEndOfTheName) {
  G.NameInput = u"Zarn";
  G.CursorOn = 1;
  G.CursorNext = ElapsedMillis() + 500;
  Cls();
  Entries(1);
  const int x = layout::kName.x + MeasureText(G.NameInput);
  std::vector<uint8_t> fb = test_support::ReadFramebuffer();
  EXPECT_EQ(Lit(fb, x, 455, x + 2, 470), 2 * 15);
  EXPECT_EQ(Lit(fb, x, 470, x + 2, 475), 0);
  EXPECT_EQ(Lit(fb, x + 2, 455, x + 12, 470), 0);
  G.CursorOn = 0;
  Cls();
  Entries(1);
  fb = test_support::ReadFramebuffer();
  EXPECT_EQ(Lit(fb, x, 455, x + 2, 470), 0);
}

// The cursor shows for 700 ms and hides for 300, wherever the millisecond clock
// stands: also where its value turns negative (2^31) and where it wraps to 0.
TEST_F(ResultsScreen, CursorBlinksSevenHundredOnThreeHundredOffAcrossTheClocksWrap) {
  for (uint32_t start : {1000u, 0x7FFFF000u, 0xFFFFF000u}) {
    SCOPED_TRACE("clock starting at " + std::to_string(start));
    Open(start);
    std::vector<std::pair<int, int>> runs;  // (state, frames)
    for (int frame = 0; frame < 400; ++frame) {  // 6.4 s in frames of 16 ms
      NameEntry();
      if (runs.empty() || runs.back().first != G.CursorOn)
        runs.emplace_back(G.CursorOn, 1);
      else
        ++runs.back().second;
      test_support::Headless().AdvanceClock(16);
    }
    ASSERT_GE(runs.size(), 12u);
    EXPECT_EQ(runs[0].first, 1) << "the cursor shows from the first frame";
    // Whole runs (not the last): 700 ms shown, 300 hidden, to the next frame.
    for (size_t i = 0; i + 1 < runs.size(); ++i) {
      const int ms = runs[i].second * 16;
      if (runs[i].first == 1)
        EXPECT_TRUE(ms > 700 && ms <= 716) << "run " << i << " shown " << ms << " ms";
      else
        EXPECT_TRUE(ms > 300 && ms <= 316) << "run " << i << " hidden " << ms << " ms";
    }
  }
}

// A deadline left from a results screen long ago does not hold the cursor.
TEST_F(ResultsScreen, StaleCursorDeadlineCountsAsPassed) {
  G.CursorOn = 0;
  G.CursorNext = AddMillis(ElapsedMillis(), -100000);
  NameEntry();
  EXPECT_EQ(G.CursorOn, 1);
  G.CursorOn = 0;
  G.CursorNext = AddMillis(ElapsedMillis(), 1500000000);  // "ahead" only by wrapping around
  NameEntry();
  EXPECT_EQ(G.CursorOn, 1);
}

TEST_F(ResultsScreen, HighscoreRowsHoldingTheCurrentScoreAreRed) {
  G.HiTable = TableOf({{u"Ada", u"50"}, {u"Bo", u"30"}, {u"Cy", u"30"}, {u"Di", u"10"}, {u"Ed", u"3"},
                       {u"Fe", u"0"}, {u"Gu", u"0"}, {u"Hu", u"0"}, {u"Io", u"0"}, {u"Jo", u"0"}});
  G.Score = 30;
  Cls();
  DrawHighscorePage();
  const std::vector<uint8_t> fb = test_support::ReadFramebuffer();
  for (int i = 0; i < kShownEntries; ++i) {
    SCOPED_TRACE("row " + std::to_string(i));
    const int y = layout::kTableScore.y + layout::kTableRowStep * i;
    int red = 0, white = 0;
    for (int py = y; py < y + layout::kTableRowStep; ++py)
      for (int px = layout::kTableScore.x; px < 400; ++px) {
        const test_support::Rgba p = test_support::PixelAt(fb, px, py);
        red += p.r > 200 && p.g < 40 && p.b < 40;
        white += p.r > 200 && p.g > 200 && p.b > 200;
      }
    const bool current = i == 1 || i == 2;
    EXPECT_EQ(red > 0, current);
    EXPECT_EQ(white > 0, !current);
  }
  // The keys below the table are drawn in white again.
  int white_keys = 0;
  for (int py = 460; py < 510; ++py)
    for (int px = 500; px < 700; ++px) {
      const test_support::Rgba p = test_support::PixelAt(fb, px, py);
      white_keys += p.r > 200 && p.g > 200 && p.b > 200;
    }
  EXPECT_GT(white_keys, 0);
}

// ---- Two games in one run ------------------------------------------------------

// Two games whose clocks run out (by a stall of the virtual clock): the score of
// each results screen is counted from the game just ended, the name typed in the
// first stays for the second, and both saves land in the file.
TEST(ResultsRun, TwoGamesSaveTwiceAndTheNameStays) {
  game_test::GameDir dir;
  const std::string before = Lines({"Tabea", "120", "Quirin", "96", "Malte", "81", "Ronja", "67", "Ida", "55",
                                    "Frieda", "42", "Lenz", "-1", "Bo", "-2", "Pit", "-3", "Zarn", "-4"},
                                   "\r\n");
  dir.Write("data/score.txt", before);
  const game_test::Run run = game_test::RunScriptFile("two_games_two_saves.txt", game_test::RunOptions::In(dir.Path()));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");

  // Each results screen follows a game; its score is the game's last counters'.
  std::vector<std::pair<Json, Json>> ends;  // (last game frame, first results frame)
  for (size_t i = 1; i < run.frames.size(); ++i)
    if (run.frames[i]["screen"] == "results" && run.frames[i - 1]["screen"] == "game")
      ends.emplace_back(run.frames[i - 1], run.frames[i]);
  ASSERT_EQ(ends.size(), 2u);
  for (const auto& [game, results] : ends) {
    const auto c = game["counters"].get<std::array<int, 6>>();
    EXPECT_EQ(results["score"], c[0] + c[1] + c[2] + 2 * (c[3] + c[4] + c[5])) << game["counters"];
    EXPECT_LE(game["timeLeft"].get<int>(), 0);
  }
  const int first_score = ends[0].second["score"], second_score = ends[1].second["score"];
  EXPECT_GT(first_score, 0) << "the scripted walk no longer picks up a diamond";

  // The name grows a character a frame; digits and spaces are ignored; the
  // second results screen starts with the name typed before.
  EXPECT_EQ(ends[0].second["name"], "");
  EXPECT_EQ(ends[1].second["name"], "Tester");
  std::vector<std::string> names;
  for (const Json& f : run.OnScreen("results"))
    if (names.empty() || names.back() != f["name"]) names.push_back(f["name"]);
  const std::vector<std::string> typed = {"", "T", "Te", "Tes", "Test", "Teste", "Tester"};
  EXPECT_EQ(names, typed);

  // Both highscore views show the merged table; the second holds both results.
  std::vector<Json> views;
  for (size_t i = 1; i < run.frames.size(); ++i)
    if (run.frames[i]["screen"] == "highscore" && run.frames[i - 1]["screen"] == "results")
      views.push_back(run.frames[i]);
  ASSERT_EQ(views.size(), 2u);
  auto rows_of = [](const Json& view) {
    std::vector<std::pair<std::string, std::string>> rows;
    for (const Json& row : view["table"]) rows.emplace_back(row[0], row[1]);
    return rows;
  };
  auto scores_of_tester = [](const std::vector<std::pair<std::string, std::string>>& rows) {
    std::multiset<std::string> scores;
    for (const auto& [name, score] : rows)
      if (name == "Tester") scores.insert(score);
    return scores;
  };
  const auto first_rows = rows_of(views[0]), second_rows = rows_of(views[1]);
  EXPECT_EQ(scores_of_tester(first_rows), std::multiset<std::string>{std::to_string(first_score)});
  EXPECT_EQ(scores_of_tester(second_rows),
            (std::multiset<std::string>{std::to_string(first_score), std::to_string(second_score)}));
  EXPECT_EQ(views[1]["score"], second_score);

  // The file holds what the second view shows, as 22 CR LF lines.
  const std::string file = dir.Read("data/score.txt");
  std::string expected;
  for (const auto& [name, score] : second_rows) expected += name + "\r\n" + score + "\r\n";
  EXPECT_EQ(file.substr(0, expected.size()), expected);
  EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), kSavedLines);
  // Escape in the second view ends the program there.
  EXPECT_EQ(run.frames.back()["screen"], "highscore");
}
