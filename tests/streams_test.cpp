#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "media/text/streams.h"

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
