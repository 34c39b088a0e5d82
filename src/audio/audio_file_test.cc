// Reading and writing sound files: 16-bit sound survives a round trip
// exactly, the bytes made on demand equal the file written, and bad files
// are refused by name.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "audio/audio_decoding.h"
#include "audio/audio_encoding.h"
#include "support/sound_files.h"

namespace tamboro {
namespace {

using testing::Pcm16;
using testing::TempDir;

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(AudioFileTest, SixteenBitRoundTripIsExact) {
  TempDir dir;
  for (const char* ext : {".wav", ".aiff"}) {
    for (int channels : {1, 2}) {
      SCOPED_TRACE(std::string(ext) + " " + std::to_string(channels));
      Pcm16 sound = testing::TestSignal(44100, channels, 5000, 9, 0.9);
      sound.samples[0] = -32768;
      sound.samples[1] = 32767;
      sound.samples[2] = -1;
      const std::string in = dir.path() + "in" + ext;
      const std::string out = dir.path() + "out" + ext;
      ASSERT_TRUE(WritePcm16(in, sound));
      Clip clip;
      std::string error;
      ASSERT_TRUE(ReadAudioFile(in, &clip, &error)) << error;
      AudioFileType type;
      ASSERT_TRUE(AudioFileTypeOf(out, &type));
      int64_t clipped = -1;
      ASSERT_TRUE(WriteAudioFile(out, clip, type, &clipped, &error)) << error;
      EXPECT_EQ(clipped, 0);
      EXPECT_EQ(MaxDifference(testing::ReadPcm16(out), sound), 0);
      if (type == AudioFileType::kWav) {
        EXPECT_EQ(FileBytes(out).size(), 44 + sound.samples.size() * 2);  // a 44-byte header
      }
      // Bytes made on demand, read in odd pieces after seeks, are the file's.
      std::unique_ptr<EncodedClipReader> reader = EncodedClipReader::Make(clip, type, &error);
      ASSERT_TRUE(reader);
      const std::string want = FileBytes(out);
      ASSERT_EQ(reader->Size(), want.size());
      std::string got(want.size(), '\0');
      for (uint64_t at : {uint64_t{7}, uint64_t{0}, want.size() - 3, uint64_t{8195}, uint64_t{45}}) {
        ASSERT_TRUE(reader->Seek(at));
        size_t pos = at;
        for (size_t n = 1; pos < want.size() && n < 9000; n = n * 3 + 1) {
          pos += reader->Read(got.data() + pos, std::min(n, want.size() - pos));
        }
        EXPECT_EQ(got.compare(at, pos - at, want, at, pos - at), 0) << "from " << at;
      }
    }
  }
}

TEST(AudioFileTest, QuantisingRoundsAndCountsClipping) {
  const float in[] = {0.25f, -1.0f, 1.0f, 1.5f, -1.5f, 3.4f / 32768, -3.6f / 32768, NAN, 32767.4f / 32768};
  const int16_t want[] = {8192, -32768, 32767, 32767, -32768, 3, -4, 0, 32767};
  int16_t out[9];
  EXPECT_EQ(QuantiseTo16(in, 9, out), 3);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(out[i], want[i]) << i;
}

TEST(AudioFileTest, TypeComesFromTheExtension) {
  AudioFileType type;
  EXPECT_TRUE(AudioFileTypeOf("/a/b.WAV", &type));
  EXPECT_EQ(type, AudioFileType::kWav);
  EXPECT_TRUE(AudioFileTypeOf("x.aif", &type));
  EXPECT_EQ(type, AudioFileType::kAiff);
  for (const char* bad : {"x.mp3", "x", "dir.wav/x", "5.dat"}) EXPECT_FALSE(AudioFileTypeOf(bad, &type)) << bad;
}

TEST(AudioFileTest, BadFilesAreRefusedByName) {
  TempDir dir;
  auto write = [&](const std::string& name, const std::string& bytes) {
    std::ofstream(dir.path() + name, std::ios::binary) << bytes;
    return dir.path() + name;
  };
  const std::string good = dir.path() + "good.wav";
  ASSERT_TRUE(WritePcm16(good, testing::TestSignal(44100, 1, 1000, 1)));
  const std::string header = FileBytes(good).substr(0, 44);
  const std::string cases[] = {
      dir.path() + "missing.wav",
      write("empty.wav", ""),
      write("junk.wav", "this is not a sound file at all, just text"),
      write("cut-header.wav", header.substr(0, 20)),
  };
  for (const std::string& path : cases) {
    Clip clip;
    std::string error;
    EXPECT_FALSE(ReadAudioFile(path, &clip, &error)) << path;
    EXPECT_NE(error.find(path), std::string::npos) << error;
  }
  // A header that claims far more than the file holds: what is there is read.
  std::string lying = FileBytes(good).substr(0, 244);
  lying[40] = lying[41] = lying[42] = '\xff';
  lying[43] = '\x7f';
  Clip clip;
  std::string error;
  if (ReadAudioFile(write("lying.wav", lying), &clip, &error)) {
    EXPECT_LE(clip.frames(), 100);
  } else {
    EXPECT_NE(error.find("lying.wav"), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace tamboro
