// The WAV loader and the sample-loader list: accepted layouts, rejected ones,
// and files that lie about their lengths or end early.
#include <gtest/gtest.h>

#include <cstring>

#include "media/audio/sample_loader.h"
#include "support/audio_support.h"

namespace {

using namespace audio_test;

std::unique_ptr<TAudioSample> Load(const Bytes& bytes) {
  TMemoryStream stream(bytes);
  return LoadAudioSample(stream);
}

Bytes SampleBytes(const TAudioSample& s) { return Bytes(s.samples, s.samples + s.ByteCount()); }

TEST(WavLoader, LoadsTheFourPcmLayouts) {
  struct Case {
    int channels, bits, rate, format;
  };
  const Case cases[] = {{1, 8, 11025, SF_MONO8}, {2, 8, 8000, SF_STEREO8}, {1, 16, 44100, SF_MONO16LE},
                        {2, 16, 22050, SF_STEREO16LE}};
  const Bytes pcm{0x00, 0x80, 0xFF, 0x7F, 0x01, 0xFE, 0x10, 0x20};
  for (const Case& c : cases) {
    auto s = Load(SimpleWav(c.channels, c.rate, c.bits, pcm));
    ASSERT_NE(s, nullptr) << c.channels << "ch " << c.bits << " bit";
    EXPECT_EQ(s->format, c.format);
    EXPECT_EQ(s->hertz, c.rate);
    EXPECT_EQ(s->length, static_cast<int>(pcm.size()) / (c.channels * c.bits / 8));
    EXPECT_EQ(SampleBytes(*s), pcm) << "the bytes arrive unchanged";
  }
}

TEST(WavLoader, SkipsChunksAfterFmtAndExtraFmtBytes) {
  const Bytes pcm = Le16({1, -1, 300});
  Chunk list{"LIST", Bytes(26, 'x')};
  Chunk fact{"fact", {1, 0, 0, 0}};
  auto s = Load(Riff({Fmt(1, 1, 22050, 16, 2), list, fact, Data(pcm)}));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->length, 3);
  EXPECT_EQ(SampleBytes(*s), pcm);

  // An odd chunk length is skipped exactly, without a pad byte.
  Chunk odd{"junk", Bytes(3, 'j')};
  s = Load(Riff({Fmt(1, 1, 8000, 8), odd, Data({7, 8})}));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SampleBytes(*s), (Bytes{7, 8}));
}

TEST(WavLoader, RejectsWhatIsNotPlainPcmRightAfterWave) {
  const Bytes pcm(12, 0);
  EXPECT_EQ(Load(Riff({Chunk{"LIST", Bytes(4, 0)}, Fmt(1, 1, 8000, 16), Data(pcm)})), nullptr)
      << "a chunk between WAVE and fmt";
  EXPECT_EQ(Load(Riff({Fmt(1, 1, 8000, 24), Data(pcm)})), nullptr) << "24-bit";
  EXPECT_EQ(Load(Riff({Fmt(3, 1, 8000, 32), Data(pcm)})), nullptr) << "floating point";
  EXPECT_EQ(Load(Riff({Fmt(1, 3, 8000, 16), Data(pcm)})), nullptr) << "three channels";
  EXPECT_EQ(Load(Riff({Fmt(1, 0, 8000, 8), Data(pcm)})), nullptr) << "no channels";
  EXPECT_EQ(Load(Riff({Fmt(1, 1, 8000, 16)})), nullptr) << "no data chunk";
  EXPECT_EQ(Load(Riff({Fmt(1, 1, 8000, 16), Chunk{"LIST", Bytes(8, 0)}})), nullptr) << "no data chunk";
  Bytes rifx = SimpleWav(1, 8000, 16, pcm);
  rifx[3] = 'X';
  EXPECT_EQ(Load(rifx), nullptr);
  Bytes avi = SimpleWav(1, 8000, 16, pcm);
  std::memcpy(&avi[8], "AVI ", 4);
  EXPECT_EQ(Load(avi), nullptr);
  EXPECT_EQ(Load({}), nullptr);
  EXPECT_EQ(Load(Bytes{'R', 'I', 'F'}), nullptr);
}

// A rate of 0 (or one that reads as negative) would give a voice that never
// advances and so never ends: every play of such an effect would hold one more
// voice for good.
TEST(WavLoader, RatesThatCannotPlayAreRefused) {
  const Bytes pcm = Le16({1, 2, 3, 4});
  EXPECT_EQ(Load(SimpleWav(1, 0, 16, pcm)), nullptr) << "rate 0";
  EXPECT_EQ(Load(SimpleWav(2, -8000, 8, pcm)), nullptr) << "a rate field of 2^32 - 8000";
  EXPECT_EQ(Load(SimpleWav(1, -1, 16, pcm)), nullptr) << "rate -1";
  auto s = Load(SimpleWav(1, 1, 16, pcm));
  ASSERT_NE(s, nullptr) << "any positive rate plays";
  EXPECT_EQ(s->hertz, 1);
}

TEST(WavLoader, KeepsWholeFramesOnly) {
  Bytes pcm = Le16({10, 20, 30, 40});
  pcm.push_back(0x55);  // 16-bit stereo: 9 bytes are 2 frames and one stray byte
  auto s = Load(SimpleWav(2, 22050, 16, pcm));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->length, 2);
  EXPECT_EQ(s->ByteCount(), 8);
  EXPECT_EQ(SampleBytes(*s), Le16({10, 20, 30, 40}));
  // A data chunk shorter than one frame makes an empty sample.
  s = Load(SimpleWav(2, 22050, 16, {1, 2, 3}));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->length, 0);
}

TEST(WavLoader, LengthsPastTheEndGiveNullWithoutHugeAllocations) {
  const Bytes pcm = Le16({1, 2, 3, 4});
  Chunk lying_data = Data(pcm);
  lying_data.stated_length = 0x7FFFFFF0;
  EXPECT_EQ(Load(Riff({Fmt(1, 1, 8000, 16), lying_data})), nullptr) << "absurd data length";
  lying_data.stated_length = 0xFFFFFFF0u;  // -16 as a signed length
  EXPECT_EQ(Load(Riff({Fmt(1, 1, 8000, 16), lying_data})), nullptr) << "negative data length";
  lying_data.stated_length = 10;
  EXPECT_EQ(Load(Riff({Fmt(1, 1, 8000, 16), lying_data})), nullptr) << "two bytes missing";

  Chunk lying_list{"LIST", Bytes(4, 0), 0xFFFFFFF0u};
  EXPECT_EQ(Load(Riff({Fmt(1, 1, 8000, 16), lying_list, Data(pcm)})), nullptr);

  Chunk long_fmt = Fmt(1, 1, 8000, 16);
  long_fmt.stated_length = 0x40000000;
  EXPECT_EQ(Load(Riff({long_fmt, Data(pcm)})), nullptr);

  // Every truncation of a good file is refused.
  Bytes good = Riff({Fmt(1, 2, 8000, 16, 2), Chunk{"LIST", Bytes(5, 1)}, Data(pcm)});
  ASSERT_NE(Load(good), nullptr);
  for (size_t n = 0; n < good.size(); ++n) {
    EXPECT_EQ(Load(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n))), nullptr) << n;
  }
}

// A stream that hides its position and size: the loader cannot check lengths in
// advance and must still not allocate what the data does not hold.
class BlindStream : public TStream {
 public:
  explicit BlindStream(Bytes bytes) : inner_(std::move(bytes)) {}
  int Read(void* buffer, int count) override { return inner_.Read(buffer, count); }

 private:
  TMemoryStream inner_;
};

TEST(WavLoader, UnsizedStreamsAreReadWithoutTrustingLengths) {
  const Bytes pcm = Le16({5, 6, 7});
  BlindStream ok(SimpleWav(1, 8000, 16, pcm));
  TAudioSampleLoaderWAV wav;
  auto s = wav.LoadAudioSample(ok);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SampleBytes(*s), pcm);

  Chunk lying = Data(pcm);
  lying.stated_length = 0x7FFFFFFE;
  BlindStream bad(Riff({Fmt(1, 1, 8000, 16), lying}));
  EXPECT_THROW(wav.LoadAudioSample(bad), TStreamReadException);

  BlindStream any(SimpleWav(1, 8000, 16, pcm));
  try {
    LoadAudioSample(any);
    FAIL() << "a stream without a position cannot be tried by several loaders";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Stream is not seekable");
  }
}

// Test loaders placed in front of the WAV loader.
class NibblingLoader : public TAudioSampleLoader {
 public:
  int calls = 0;
  std::unique_ptr<TAudioSample> LoadAudioSample(TStream& stream) override {
    ++calls;
    char buf[6];
    stream.ReadBytes(buf, 6);  // moves the stream on, then declines
    return nullptr;
  }
};

class ShortReadLoader : public TAudioSampleLoader {
 public:
  std::unique_ptr<TAudioSample> LoadAudioSample(TStream& stream) override {
    stream.SkipBytes(stream.Size() - stream.Pos());
    stream.ReadByte();  // past the end
    return nullptr;
  }
};

class BrokenLoader : public TAudioSampleLoader {
 public:
  std::unique_ptr<TAudioSample> LoadAudioSample(TStream&) override { throw std::logic_error("broken loader"); }
};

class AcceptingLoader : public TAudioSampleLoader {
 public:
  std::unique_ptr<TAudioSample> LoadAudioSample(TStream&) override { return TAudioSample::Create(1, 1, SF_MONO8); }
};

TEST(SampleLoaders, EachLoaderStartsAtTheSamePositionAndShortReadsMeanNo) {
  const Bytes pcm{1, 2, 3};
  Bytes file{'p', 'r', 'e'};  // the sample starts after three bytes of something else
  Bytes wav = SimpleWav(1, 8000, 8, pcm);
  file.insert(file.end(), wav.begin(), wav.end());
  TMemoryStream stream(file);
  stream.Seek(3);
  {
    ShortReadLoader short_read;
    NibblingLoader nibbling;
    EXPECT_EQ(AudioSampleLoaders(), &nibbling) << "new loaders go to the front";
    EXPECT_EQ(nibbling.Next(), &short_read);
    auto s = LoadAudioSample(stream);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(nibbling.calls, 1);
    EXPECT_EQ(SampleBytes(*s), pcm);
  }
  {
    BrokenLoader broken;
    stream.Seek(3);
    EXPECT_THROW(LoadAudioSample(stream), std::logic_error) << "only short reads count as a rejection";
  }
  {
    AcceptingLoader first;
    stream.Seek(3);
    auto s = LoadAudioSample(stream);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->format, SF_MONO8) << "the first loader that accepts wins";
    EXPECT_EQ(s->length, 1);
  }
  // The test loaders have left the list again.
  ASSERT_NE(AudioSampleLoaders(), nullptr);
  EXPECT_EQ(AudioSampleLoaders()->Next(), nullptr);
}

TEST(SampleLoaders, LoadsFromFilesByPath) {
  std::string dir = TempDir("wav_test");
  WriteFile(dir + "/beep.wav", SimpleWav(1, 8000, 16, Le16({100, -100})));
  WriteFile(dir + "/bad.wav", Bytes{'R', 'I', 'F', 'F', 0, 0});
  auto s = LoadAudioSample(dir + "/beep.wav");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->length, 2);
  EXPECT_NE(LoadAudioSample(TextFromUtf8(dir + "/beep.wav")), nullptr);
  EXPECT_EQ(LoadAudioSample(dir + "/bad.wav"), nullptr);
  EXPECT_EQ(LoadAudioSample(dir + "/missing.wav"), nullptr);
}

}  // namespace
