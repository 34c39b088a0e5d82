// The encoder over the real LAME library; mpg123 decodes the results.
#include "output/lame_mp3_encoder.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "audio/work_dir.h"
#include "support/bytes_work_dir.h"
#include "support/captured_text.h"
#include "support/sound_files.h"
#include "output/lame_bladeenc.h"

namespace tamboro {
namespace {

using testing::BytesWorkDir;

// A 16-bit 44100 Hz WAV: quiet noise with loud clicks at the given frames
// (on the left channel only when stereo, so the channels differ).
std::string ClickWav(int channels, int frames, const std::vector<int>& clicks) {
  std::vector<int16_t> pcm(static_cast<size_t>(frames) * channels);
  uint32_t seed = 1;
  for (auto& s : pcm) {
    seed = seed * 1664525u + 1013904223u;
    s = static_cast<int16_t>(static_cast<int>(seed >> 24) - 128);
  }
  for (int at : clicks) {
    for (int i = 0; i < 200 && at + i < frames; ++i) {
      pcm[static_cast<size_t>(at + i) * channels] =
          static_cast<int16_t>(20000 * std::sin(i * 0.3) * std::exp(-i / 60.0));
    }
  }
  return testing::WavBytes(testing::Pcm16{44100, channels, std::move(pcm)});
}

struct Decoded {
  int channels = 0;
  int64_t frames = 0;
  std::vector<float> left;
};

Decoded DecodeMp3(const std::string& mp3, const std::string& wav) {
  const std::string command = "mpg123 -q -w '" + wav + "' '" + mp3 + "' 2>/dev/null";
  Decoded d;
  if (std::system(command.c_str()) != 0) return d;
  SF_INFO info{};
  SNDFILE* f = sf_open(wav.c_str(), SFM_READ, &info);
  if (f == nullptr) return d;
  std::vector<float> all(static_cast<size_t>(info.frames) * info.channels);
  sf_readf_float(f, all.data(), info.frames);
  sf_close(f);
  d.channels = info.channels;
  d.frames = info.frames;
  for (int64_t i = 0; i < info.frames; ++i) d.left.push_back(all[i * info.channels]);
  return d;
}

// The first frame where the left channel is loud after `from`.
int64_t Onset(const Decoded& d, int64_t from) {
  for (int64_t i = from; i < d.frames; ++i) {
    if (std::fabs(d.left[i]) > 0.2f) return i;
  }
  return -1;
}

class LameMp3EncoderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::path(::testing::TempDir()) /
          ("lame_mp3_" + std::to_string(getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
    base = (dir / "song_03-15-08_02.05PM").string();
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  std::filesystem::path dir;
  std::string base;
  BytesWorkDir work_dir;
  testing::CapturedFile out, err;
};

TEST_F(LameMp3EncoderTest, DecodesToTheMixChannelsLengthAndOnsets) {
  const int frames = 3 * 44100 + 777;
  const std::vector<int> clicks = {0, 22050, 100000};
  for (int channels : {1, 2}) {
    work_dir.files["/prog/final.wav"] = ClickWav(channels, frames, clicks);
    LameMp3Encoder encoder(work_dir, kLameLibrary, {out.file(), err.file()});
    Mp3Result result = encoder.Encode("/prog/final.wav", base, channels == 2 ? 1 : 0);
    ASSERT_EQ(result.code, 0) << result.reason << err.text();
    EXPECT_EQ(result.reason, "");

    Decoded d = DecodeMp3(base + ".mp3", (dir / "decoded.wav").string());
    EXPECT_EQ(d.channels, channels);
    EXPECT_NEAR(d.frames, frames, 1152) << channels;
    int64_t from = 0;
    for (int click : clicks) {
      const int64_t onset = Onset(d, from);
      EXPECT_NEAR(onset, click, 44) << "click at " << click << ", channels " << channels;
      from = click + 5000;
    }
  }
  EXPECT_EQ(err.text(), "");
  const std::string messages = out.text();
  EXPECT_EQ(messages.rfind("lame_enc.dll version 1.00 (15/3/2025)\nlame_enc Engine 3.", 0), 0u)
      << messages;
  EXPECT_NE(messages.find("Done: 99.99%     \r"), std::string::npos);
}

TEST_F(LameMp3EncoderTest, MissingLibraryIsAClearFailure) {
  work_dir.files["/prog/final.wav"] = ClickWav(2, 1000, {});
  LameMp3Encoder encoder(work_dir, "libmp3lame_absent.so.0", {out.file(), err.file()});
  Mp3Result result = encoder.Encode("/prog/final.wav", base, 1);
  EXPECT_EQ(result.code, -1);
  EXPECT_NE(result.reason.find("libmp3lame_absent.so.0"), std::string::npos) << result.reason;
  EXPECT_EQ(err.text(), "Error loading lame_enc.DLL");
  EXPECT_FALSE(std::filesystem::exists(base + ".mp3"));
}

TEST_F(LameMp3EncoderTest, PartlyWrittenOutputIsRemoved) {
  work_dir.files["/prog/final.wav"] = ClickWav(2, 5 * 44100, {0});
  std::filesystem::create_symlink("/dev/full", base + ".mp3");
  LameMp3Encoder encoder(work_dir, kLameLibrary, {out.file(), err.file()});
  Mp3Result result = encoder.Encode("/prog/final.wav", base, 1);
  EXPECT_EQ(result.code, -1);
  EXPECT_EQ(err.text(), "Output file write error");
  EXPECT_NE(result.reason.find("No space left on device"), std::string::npos) << result.reason;
  EXPECT_FALSE(std::filesystem::is_symlink(base + ".mp3"));
}

TEST(LameBladeEncTest, StreamsSettingsAndTag) {
  std::string error;
  std::unique_ptr<LameBladeEnc> layer = LameBladeEnc::Load(kLameLibrary, &error);
  ASSERT_NE(layer, nullptr) << error;
  const BladeEncTable& be = layer->table();

  BE_VERSION version{};
  be.beVersion(&version);
  EXPECT_EQ(version.byDLLMajorVersion, 1);
  EXPECT_EQ(version.byMajorVersion, 3);  // LAME 3.x
  EXPECT_NE(std::string(version.zHomepage), "");

  BE_CONFIG config{};
  config.dwConfig = BE_CONFIG_LAME;
  config.format.LHV1.dwStructVersion = 1;
  config.format.LHV1.dwStructSize = sizeof config;
  config.format.LHV1.dwSampleRate = 44100;
  config.format.LHV1.nMode = BE_MP3_MODE_MONO;
  config.format.LHV1.dwMpegVersion = MPEG1;
  config.format.LHV1.bWriteVBRHeader = 1;
  config.format.LHV1.bEnableVBR = 1;
  uint32_t samples = 0, size = 0;
  HBE_STREAM first = 0, second = 0;

  struct Bad {
    const char* what;
    void (*spoil)(BE_CONFIG&);
    BE_ERR code;
  } bad[] = {
      {"not the LAME record", [](BE_CONFIG& c) { c.dwConfig = 1; }, BE_ERR_INVALID_FORMAT},
      {"wrong record size", [](BE_CONFIG& c) { c.format.LHV1.dwStructSize = 300; },
       BE_ERR_INVALID_FORMAT},
      {"rate not MPEG-1", [](BE_CONFIG& c) { c.format.LHV1.dwSampleRate = 22050; },
       BE_ERR_INVALID_FORMAT_PARAMETERS},
      {"unknown mode", [](BE_CONFIG& c) { c.format.LHV1.nMode = 9; },
       BE_ERR_INVALID_FORMAT_PARAMETERS},
  };
  for (const Bad& b : bad) {
    BE_CONFIG spoilt = config;
    b.spoil(spoilt);
    EXPECT_EQ(be.beInitStream(&spoilt, &samples, &size, &first), b.code) << b.what;
  }

  ASSERT_EQ(be.beInitStream(&config, &samples, &size, &first), BE_ERR_SUCCESSFUL);
  EXPECT_EQ(samples, 1152u);
  config.format.LHV1.nMode = BE_MP3_MODE_JSTEREO;
  ASSERT_EQ(be.beInitStream(&config, &samples, &size, &second), BE_ERR_SUCCESSFUL);
  EXPECT_EQ(samples, 2304u);
  EXPECT_NE(first, second);

  std::vector<int16_t> pcm(samples, 1000);
  std::vector<uint8_t> mp3(size);
  uint32_t produced = 0;
  EXPECT_EQ(be.beEncodeChunk(second, samples + 2, pcm.data(), mp3.data(), &produced),
            BE_ERR_BUFFER_TOO_SMALL);
  EXPECT_EQ(be.beEncodeChunk(99, samples, pcm.data(), mp3.data(), &produced),
            BE_ERR_INVALID_HANDLE);

  // A whole stream to a file; the tag lands in the frame LAME left empty.
  const std::string path = ::testing::TempDir() + "/lame_layer_" + std::to_string(getpid()) + ".mp3";
  std::string file;
  for (int i = 0; i < 40; ++i) {
    ASSERT_EQ(be.beEncodeChunk(second, samples, pcm.data(), mp3.data(), &produced), 0u);
    file.append(reinterpret_cast<char*>(mp3.data()), produced);
  }
  ASSERT_EQ(be.beDeinitStream(second, mp3.data(), &produced), 0u);
  file.append(reinterpret_cast<char*>(mp3.data()), produced);
  std::ofstream(path, std::ios::binary) << file;
  const std::string empty_frame_start = file.substr(0, 200);
  EXPECT_EQ(be.beCloseStream(second), 0u);
  EXPECT_EQ(be.beEncodeChunk(second, samples, pcm.data(), mp3.data(), &produced),
            BE_ERR_INVALID_HANDLE);
  EXPECT_EQ(be.beWriteInfoTag(second, path.c_str()), 0u);
  std::ifstream in(path, std::ios::binary);
  std::stringstream tagged;
  tagged << in.rdbuf();
  EXPECT_EQ(tagged.str().size(), file.size());
  EXPECT_NE(tagged.str().substr(0, 200).find("Xing"), std::string::npos);
  EXPECT_NE(tagged.str().substr(0, 200), empty_frame_start);
  EXPECT_EQ(be.beWriteInfoTag(second, path.c_str()), BE_ERR_INVALID_HANDLE);  // written once
  std::filesystem::remove(path);

  EXPECT_EQ(be.beCloseStream(first), 0u);
}

}  // namespace
}  // namespace tamboro
