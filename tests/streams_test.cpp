#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "media/files/streams.h"
#include "support/child_process.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder per test, removed afterwards.
class StreamFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() / (std::string("zarn_streams_") + info->name() + "_" + std::to_string(std::random_device{}()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
  String TextPath(const std::string& name) const { return TextFromUtf8(PathOf(name)); }

  void WriteRaw(const std::string& name, const std::string& bytes) const {
    std::ofstream out(PathOf(name), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::string ReadRaw(const std::string& name) const {
    std::ifstream in(PathOf(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::vector<String> ReadAllLines(const std::string& name, int count) const {
    StreamRef s = OpenReadFile(TextPath(name));
    EXPECT_NE(s, nullptr);
    std::vector<String> lines;
    for (int i = 0; i < count; ++i) lines.push_back(ReadLine(s));
    return lines;
  }

  fs::path dir_;
};

}  // namespace

TEST_F(StreamFiles, LineEndVariantsReadTheSame) {
  WriteRaw("crlf.txt", "one\r\ntwo\r\n\r\nfour\r\n");
  WriteRaw("lf.txt", "one\ntwo\n\nfour\n");
  WriteRaw("lfcr.txt", "one\n\rtwo\n\r\n\rfour\n\r");
  const std::vector<String> expected = {u"one", u"two", u"", u"four", u"", u""};
  EXPECT_EQ(ReadAllLines("crlf.txt", 6), expected);
  EXPECT_EQ(ReadAllLines("lf.txt", 6), expected);
  EXPECT_EQ(ReadAllLines("lfcr.txt", 6), expected);
}

TEST_F(StreamFiles, LoneCrJoinsAndNulEndsLine) {
  WriteRaw("odd.txt", std::string("ab\rcd\nxy\0zw\n\0\0tail", 19));
  StreamRef s = OpenReadFile(TextPath("odd.txt"));
  EXPECT_EQ(ReadLine(s), u"abcd");
  EXPECT_EQ(ReadLine(s), u"xy");
  EXPECT_EQ(ReadLine(s), u"zw");
  EXPECT_EQ(ReadLine(s), u"");
  EXPECT_EQ(ReadLine(s), u"");
  EXPECT_EQ(Eof(s), 0);
  EXPECT_EQ(ReadLine(s), u"tail");
  EXPECT_EQ(Eof(s), 1);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ReadLine(s), u"");
}

TEST_F(StreamFiles, HighBytesBecomeEqualCodeUnits) {
  std::string all;
  for (int b = 1; b < 256; ++b) {
    if (b != 10 && b != 13) all.push_back(static_cast<char>(b));
  }
  WriteRaw("high.txt", all + "\n");
  String line = ReadAllLines("high.txt", 1)[0];
  ASSERT_EQ(line.size(), all.size());
  for (size_t i = 0; i < all.size(); ++i) EXPECT_EQ(line[i], static_cast<unsigned char>(all[i]));
}

TEST_F(StreamFiles, WriteLineTruncatesAndUsesCrLfAndLowBytes) {
  WriteRaw("out.txt", "old contents that must go away\n");
  StreamRef s = OpenWriteFile(TextPath("out.txt"));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(Eof(s), 1);
  EXPECT_EQ(StreamSize(s), 0);
  String mixed = u"A";
  mixed.push_back(233);     // é stays 233
  mixed.push_back(0x20AC);  // € keeps its low byte 0xAC
  EXPECT_EQ(WriteLine(s, mixed), 1);
  EXPECT_EQ(WriteLine(s, u""), 1);
  EXPECT_EQ(StreamPos(s), 7);
  EXPECT_EQ(StreamSize(s), 7);
  CloseTextFile(s);
  EXPECT_EQ(ReadRaw("out.txt"), std::string("A\xE9\xAC\r\n\r\n"));
}

TEST_F(StreamFiles, RoundTripOfEveryByteValueExceptLineEnds) {
  std::vector<String> lines;
  for (int start = 1; start < 256; start += 50) {
    String line;
    for (int b = start; b < std::min(start + 50, 256); ++b) {
      if (b != 10 && b != 13) line.push_back(static_cast<char16_t>(b));
    }
    lines.push_back(line);
  }
  {
    StreamRef s = OpenWriteFile(TextPath("round.txt"));
    for (const String& l : lines) ASSERT_EQ(WriteLine(s, l), 1);
  }  // the last owner letting go closes and flushes the file
  std::vector<String> back = ReadAllLines("round.txt", static_cast<int>(lines.size()));
  EXPECT_EQ(back, lines);
}

TEST_F(StreamFiles, OpenAndCloseRules) {
  EXPECT_EQ(OpenReadFile(TextPath("missing.txt")), nullptr);
  EXPECT_EQ(LastFailedOpen(), TextPath("missing.txt"));
  EXPECT_EQ(OpenWriteFile(TextPath("no/such/dir/x.txt")), nullptr);
  EXPECT_EQ(OpenReadFile(u""), nullptr);

  WriteRaw("empty.txt", "");
  StreamRef empty = OpenReadFile(TextPath("empty.txt"));
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(Eof(empty), 1);
  EXPECT_EQ(ReadLine(empty), u"");

  WriteRaw("five.txt", "12345");
  StreamRef s = OpenReadFile(TextPath("five.txt"));
  EXPECT_EQ(StreamPos(s), 0);
  EXPECT_EQ(StreamSize(s), 5);
  CloseTextFile(s);
  EXPECT_EQ(StreamPos(s), 0);
  EXPECT_EQ(StreamSize(s), 0);
  CloseTextFile(s);  // a second close does nothing
  EXPECT_EQ(ReadLine(s), u"");
  uint8_t b[2];
  EXPECT_THROW(s->ReadBytes(b, 2), TStreamReadException);
  EXPECT_EQ(s->Read(b, 2), 0);
  EXPECT_EQ(s->Write(b, 2), 0);
}

// A folder is no file: opening one for reading must fail the same way on every
// file system (on tmpfs the C library opens it as an empty, readable file).
TEST_F(StreamFiles, FoldersDoNotOpenAsFiles) {
  std::vector<fs::path> folders = {dir_ / "folder"};
  std::error_code ec;
  if (fs::is_directory("/dev/shm", ec)) folders.push_back(fs::path("/dev/shm") / dir_.filename());
  for (const fs::path& folder : folders) {
    fs::create_directories(folder);
    const String path = TextFromUtf8(folder.string());
    EXPECT_EQ(OpenReadFile(path), nullptr) << folder;
    EXPECT_EQ(LastFailedOpen(), path);
    EXPECT_EQ(OpenWriteFile(path), nullptr) << folder;
    EXPECT_EQ(OpenStream(path, true, true), nullptr) << folder;
    fs::remove_all(folder, ec);
  }
}

TEST_F(StreamFiles, BackslashPathsOpenTheSameFile) {
  fs::create_directories(dir_ / "sub");
  WriteRaw("sub/file.txt", "inside\n");
  std::string back = PathOf("sub\\file.txt");
  StreamRef s = OpenReadFile(std::string_view(back));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(ReadLine(s), u"inside");
}

TEST_F(StreamFiles, NullStreamErrorsNameOperationAndMissingFile) {
  StreamRef missing = OpenReadFile(TextPath("level_99.txt"));
  ASSERT_EQ(missing, nullptr);
  try {
    ReadLine(missing);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find("ReadLine"), std::string::npos) << what;
    EXPECT_NE(what.find("level_99.txt"), std::string::npos) << what;
  }
  EXPECT_THROW(WriteLine(missing, u"x"), std::runtime_error);
  EXPECT_THROW(CloseTextFile(missing), std::runtime_error);
  EXPECT_THROW(Eof(missing), std::runtime_error);
  EXPECT_THROW(ReadInt(missing), std::runtime_error);
}

TEST_F(StreamFiles, BinaryReadsSeekAndShortReadExceptions) {
  WriteRaw("bin", std::string("\x01\x02\xFF\xFF\xFE\xFF\xFF\xFF\x10\x20\x30\x40", 12));
  StreamRef s = OpenReadFile(PathOf("bin"));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(ReadShort(s), 0x0201);
  EXPECT_EQ(ReadShort(s), 0xFFFF);
  EXPECT_EQ(ReadInt(s), -2);
  EXPECT_EQ(ReadInt(s), 0x40302010);
  EXPECT_EQ(Eof(s), 1);
  EXPECT_EQ(SeekStream(s, 2), 2);
  EXPECT_EQ(ReadByte(s), 0xFF);
  EXPECT_EQ(SkipBytes(s, 5), 5);
  EXPECT_EQ(StreamPos(s), 8);
  EXPECT_THROW(SkipBytes(s, 5), TStreamReadException);
  SeekStream(s, 10);
  EXPECT_THROW(ReadInt(s), TStreamReadException);
  SeekStream(s, 11);
  try {
    ReadShort(s);
    FAIL() << "no error";
  } catch (const TStreamException& e) {
    EXPECT_STREQ(e.what(), "Error reading from stream");
  }
}

TEST_F(StreamFiles, SkipBytesCrossesItsScratchBuffer) {
  std::string data(5000, 'x');
  data += "end";
  WriteRaw("long", data);
  StreamRef s = OpenReadFile(PathOf("long"));
  EXPECT_EQ(SkipBytes(s, 5000), 5000);
  EXPECT_EQ(ReadLine(s), u"end");
}

TEST_F(StreamFiles, SeekPastEndIsEof) {
  WriteRaw("three", "abc");
  StreamRef s = OpenReadFile(PathOf("three"));
  EXPECT_EQ(SeekStream(s, 10), 10);
  EXPECT_EQ(Eof(s), 1);  // a "while not Eof" loop must end here
  EXPECT_EQ(ReadLine(s), u"");
}

TEST_F(StreamFiles, ReadAndWriteMixOnOneHandle) {
  WriteRaw("rw", "0123456789");
  std::shared_ptr<TCStream> s = TCStream::OpenFile(TextPath("rw"), true, true);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->Mode(), 3);
  uint8_t two[2];
  s->ReadBytes(two, 2);
  s->WriteBytes("ab", 2);  // lands at 2..3
  EXPECT_EQ(s->ReadByte(), '4');
  s->Seek(10);
  s->WriteBytes("XY", 2);
  EXPECT_EQ(s->Size(), 12);
  s->Close();
  EXPECT_EQ(ReadRaw("rw"), "01ab456789XY");
}

TEST_F(StreamFiles, LineWithoutEndSpanningMegabytes) {
  std::string big(3 << 20, 'q');
  big[12345] = '\r';
  WriteRaw("big.txt", big);
  StreamRef s = OpenReadFile(PathOf("big.txt"));
  String line = ReadLine(s);
  EXPECT_EQ(line.size(), big.size() - 1);
  EXPECT_EQ(line.find(u'\r'), String::npos);
  EXPECT_EQ(Eof(s), 1);
}

TEST_F(StreamFiles, FileTypeTellsNothingFileAndFolderApart) {
  WriteRaw("file.txt", "x");
  fs::create_directories(dir_ / "folder");
  EXPECT_EQ(FileType(TextPath("missing.txt")), 0);
  EXPECT_EQ(FileType(TextPath("file.txt")), 1);
  EXPECT_EQ(FileType(TextPath("folder")), 2);
  EXPECT_EQ(FileType(TextFromUtf8(PathOf("folder") + "\\..\\file.txt")), 1);
  EXPECT_EQ(FileType(u""), 0);
}

namespace {

// The files in a folder, by name.
std::vector<std::string> FolderList(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST_F(StreamFiles, ReplaceFileLinesCreatesOrReplacesWithCrLfLines) {
  std::string error;
  const std::vector<String> lines = {u"first", u"", String(u"caf") + char16_t(233)};
  ASSERT_TRUE(ReplaceFileLines(TextPath("new.txt"), lines, error)) << error;
  EXPECT_EQ(ReadRaw("new.txt"), "first\r\n\r\ncaf\xE9\r\n");

  // The old file's permissions carry over; nothing else is left in the folder.
  WriteRaw("old.txt", "old table\n");
  fs::permissions(PathOf("old.txt"), fs::perms(0640));
  const std::vector<String> two = {u"a", u"b"};
  ASSERT_TRUE(ReplaceFileLines(TextFromUtf8(PathOf("old.txt")), two, error)) << error;
  EXPECT_EQ(ReadRaw("old.txt"), "a\r\nb\r\n");
  EXPECT_EQ(fs::status(PathOf("old.txt")).permissions(), fs::perms(0640));
  EXPECT_EQ(FolderList(dir_), (std::vector<std::string>{"new.txt", "old.txt"}));

  // No lines make an empty file.
  ASSERT_TRUE(ReplaceFileLines(TextPath("old.txt"), {}, error)) << error;
  EXPECT_EQ(ReadRaw("old.txt"), "");

  // A link keeps leading to the file, which gets the new lines.
  fs::create_directories(dir_ / "real");
  WriteRaw("real/table.txt", "before\n");
  fs::create_symlink(dir_ / "real" / "table.txt", dir_ / "link.txt");
  ASSERT_TRUE(ReplaceFileLines(TextPath("link.txt"), two, error)) << error;
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.txt"));
  EXPECT_EQ(ReadRaw("real/table.txt"), "a\r\nb\r\n");
  EXPECT_EQ(FolderList(dir_ / "real"), std::vector<std::string>{"table.txt"});
}

TEST_F(StreamFiles, ReplaceFileLinesLeavesTheOldFileWhenItMayNotReplaceIt) {
  const std::vector<String> lines = {u"new"};
  std::string error;

  // Marked read-only: refused even for the superuser, who could write it.
  WriteRaw("locked.txt", "keep me\n");
  fs::permissions(PathOf("locked.txt"), fs::perms(0444));
  EXPECT_FALSE(ReplaceFileLines(TextPath("locked.txt"), lines, error));
  EXPECT_NE(error.find("read-only"), std::string::npos) << error;
  EXPECT_EQ(ReadRaw("locked.txt"), "keep me\n");

  // A folder at the path, and a folder that does not exist.
  fs::create_directories(dir_ / "folder");
  error.clear();
  EXPECT_FALSE(ReplaceFileLines(TextPath("folder"), lines, error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(fs::is_directory(dir_ / "folder"));
  error.clear();
  EXPECT_FALSE(ReplaceFileLines(TextPath("no/such/folder/x.txt"), lines, error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(FolderList(dir_), (std::vector<std::string>{"folder", "locked.txt"}));

  // A folder no new file can be made in, the file itself writable: run as an
  // ordinary user, since the superuser may write into any folder.
  fs::create_directories(dir_ / "ro");
  WriteRaw("ro/table.txt", "old\n");
  fs::permissions(PathOf("ro/table.txt"), fs::perms(0666));
  fs::permissions(dir_ / "ro", fs::perms(0555));
  const std::string err_file = PathOf("stderr.txt");
  const String ro_path = TextPath("ro/table.txt");
  const int status = test_support::RunInChild(
      [&] {
        std::string why;
        if (ReplaceFileLines(ro_path, lines, why)) return 1;
        std::fprintf(stderr, "%s", why.c_str());
        return 0;
      },
      true, err_file);
  fs::permissions(dir_ / "ro", fs::perms(0755));
  EXPECT_EQ(status, 0) << "the replace succeeded in a read-only folder";
  EXPECT_NE(ReadRaw("stderr.txt"), "");
  EXPECT_EQ(ReadRaw("ro/table.txt"), "old\n");
  EXPECT_EQ(FolderList(dir_ / "ro"), std::vector<std::string>{"table.txt"});
}

namespace {

constexpr int kGenerationLines = 22;

// The lines of generation g: each names its generation and place, and is long
// enough that a file of them takes many writes.
std::vector<String> Generation(int g) {
  std::vector<String> lines;
  for (int i = 0; i < kGenerationLines; ++i)
    lines.push_back(TextFromUtf8("g=" + std::to_string(g) + " line=" + std::to_string(i) + " ") +
                    String(3000, u'a' + char16_t(i)));
  return lines;
}

// The generation the bytes hold when they are exactly one whole generation's
// file; -1 otherwise.
int WholeGeneration(const std::string& bytes) {
  const int g = std::atoi(bytes.c_str() + std::min<size_t>(2, bytes.size()));
  if (bytes.rfind("g=", 0) != 0) return -1;
  std::string expected;
  for (const String& line : Generation(g)) expected += TextToBytes(line) + "\r\n";
  return bytes == expected ? g : -1;
}

}  // namespace

// A process killed at any moment of a replace leaves the old file or the new one,
// whole: a child replaces the file again and again, each time with the next
// generation, until it is killed at a random moment.
TEST_F(StreamFiles, KilledWhileReplacingLeavesTheOldOrTheNewFileWhole) {
  const String path = TextPath("table.txt");
  std::string error;
  ASSERT_TRUE(ReplaceFileLines(path, Generation(0), error)) << error;
  // Kills are spread over about two replaces, so that they land in every step.
  const long long replace_us = test_support::MicrosPerCall([&] { ReplaceFileLines(path, Generation(0), error); }, 5);
  const unsigned spread_us = unsigned(std::max(replace_us * 2, 1000LL));
  std::mt19937 rng(13);
  int last = 0, left_behind = 0;
  for (int round = 0; round < 40; ++round) {
    const int first = last + 1;
    const bool killed = test_support::KillWhileRepeating(
        [&](int n) {
          std::string why;
          return ReplaceFileLines(path, Generation(first + n), why);
        },
        unsigned(rng() % spread_us));
    ASSERT_TRUE(killed) << "round " << round << ": the child's replaces failed";
    const int g = WholeGeneration(ReadRaw("table.txt"));
    ASSERT_GE(g, first) << "round " << round << ": the file is not one whole generation";
    last = g;
    // New files of killed replaces stay behind; they never stand in for the table.
    left_behind = int(FolderList(dir_).size()) - 1;
  }
  std::printf("40 kills within %u us, %d generations written, %d unfinished new files left beside the table\n",
              spread_us, last, left_behind);
}

TEST(MemoryStream, ReadsWritesAndGrows) {
  auto m = std::make_shared<TMemoryStream>();
  StreamRef s = m;
  EXPECT_EQ(Eof(s), 1);
  s->WriteInt(-7);
  s->WriteShort(0x1234);
  EXPECT_EQ(WriteLine(s, u"hi"), 1);
  EXPECT_EQ(StreamSize(s), 10);
  EXPECT_EQ(SeekStream(s, 0), 0);
  EXPECT_EQ(ReadInt(s), -7);
  EXPECT_EQ(ReadShort(s), 0x1234);
  EXPECT_EQ(ReadLine(s), u"hi");
  EXPECT_EQ(Eof(s), 1);
  EXPECT_THROW(ReadByte(s), TStreamReadException);
  EXPECT_EQ(SeekStream(s, 100), 10);
  EXPECT_EQ(SeekStream(s, -3), 0);
  const std::vector<uint8_t> expected = {0xF9, 0xFF, 0xFF, 0xFF, 0x34, 0x12, 'h', 'i', 13, 10};
  EXPECT_EQ(m->Bytes(), expected);
  SeekStream(s, 4);
  EXPECT_EQ(ReadAllBytes(s), std::vector<uint8_t>(expected.begin() + 4, expected.end()));
}

TEST(MemoryStream, ReadLineMatchesTheGenericRule) {
  // The memory and file streams have their own fast ReadLine; both must agree with
  // the byte-by-byte rule every stream inherits.
  struct ByteByByte : TStream {
    std::string data;
    size_t at = 0;
    int Read(void* buffer, int count) override {
      if (count <= 0 || at >= data.size()) return 0;
      *static_cast<char*>(buffer) = data[at++];
      return 1;
    }
  };
  const std::string input("a\rb\n\r\nc\0d\n\n\re\r", 14);
  ByteByByte slow;
  slow.data = input;
  TMemoryStream fast(input.data(), input.size());
  for (int i = 0; i < 7; ++i) EXPECT_EQ(fast.ReadLine(), slow.ReadLine()) << "line " << i;
  EXPECT_EQ(slow.ReadLine(), u"");
}

TEST(StreamBase, DefaultsOfAStreamThatCanDoNothing) {
  TStream nothing;
  EXPECT_EQ(nothing.Pos(), -1);
  EXPECT_EQ(nothing.Size(), 0);
  EXPECT_EQ(nothing.Seek(3), -1);
  EXPECT_EQ(nothing.Eof(), 0);
  char c;
  try {
    nothing.Read(&c, 1);
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Stream is not readable");
  }
  try {
    nothing.Write(&c, 1);
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Stream is not writeable");
  }
}

namespace {

// Serves "mem::<text>" urls as a stream that cannot seek and hands out its bytes
// three at a time, the way a network or pipe stream would.
class TrickleFactory : public TStreamFactory {
 public:
  StreamRef CreateStream(const String&, const String& protocol, const String& path, bool, bool) override {
    if (protocol != u"mem") return nullptr;
    struct Trickle : TStream {
      std::string data;
      size_t at = 0;
      int Read(void* buffer, int count) override {
        const int n = std::min<int>(std::min(count, 3), static_cast<int>(data.size() - at));
        std::copy_n(data.data() + at, n, static_cast<char*>(buffer));
        at += static_cast<size_t>(n);
        return n;
      }
    };
    auto t = std::make_shared<Trickle>();
    t->data = TextToBytes(path);
    return t;
  }
};

}  // namespace

TEST(StreamFactories, ProtocolUrlsAreCopiedIntoMemoryWhenNotSeekable) {
  EXPECT_EQ(OpenReadFile(u"mem::x"), nullptr);
  {
    TrickleFactory factory;
    StreamRef s = OpenReadFile(u"mem::first\nsecond");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(StreamSize(s), 12);
    EXPECT_EQ(ReadLine(s), u"first");
    EXPECT_EQ(SeekStream(s, 6), 6);
    EXPECT_EQ(ReadLine(s), u"second");
    EXPECT_EQ(OpenReadFile(u"other::x"), nullptr);
  }
  EXPECT_EQ(OpenReadFile(u"mem::x"), nullptr);  // the factory left the list
}
