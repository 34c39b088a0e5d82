#include "drum_synth.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>

#include "demo_kit.h"

namespace tamboro::tools {
namespace {

TEST(DrumSynthTest, EveryVoiceIsAShortCleanRepeatableSound) {
  std::set<std::string_view> names;
  for (DrumVoice voice : kAllDrumVoices) {
    const std::string_view name = DrumVoiceName(voice);
    SCOPED_TRACE(name);
    EXPECT_TRUE(names.insert(name).second) << "two voices share a name";
    EXPECT_EQ(name.find_first_not_of("abcdefghijklmnopqrstuvwxyz_"), std::string_view::npos);

    const std::vector<float> sound = SynthesizeDrum(voice);
    ASSERT_GE(sound.size(), kSynthRate / 20u);
    EXPECT_LE(sound.size(), kSynthRate * 5u / 2);
    float peak = 0;
    for (float x : sound) peak = std::max(peak, std::abs(x));
    EXPECT_GT(peak, 0.5f);
    EXPECT_LE(peak, 0.9f);
    // Cut in and out without a click.
    EXPECT_EQ(sound.front(), 0.0f);
    EXPECT_EQ(sound.back(), 0.0f);
    EXPECT_EQ(sound, SynthesizeDrum(voice));
  }
}

TEST(DrumSynthTest, KitSamplesAreWrittenAsTheMonoWavFilesThePatternNames) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("tamboro-kit-" + std::to_string(getpid()));
  std::string error;
  ASSERT_TRUE(WriteKitSamples(dir.string(), &error)) << error;

  for (DrumVoice voice : kAllDrumVoices) {
    std::string name = KitSampleName(voice);
    SCOPED_TRACE(name);
    ASSERT_EQ(name.rfind("Samples\\", 0), 0u);
    std::replace(name.begin(), name.end(), '\\', '/');
    SF_INFO info{};
    SNDFILE* file = sf_open((dir / name).c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    sf_close(file);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.samplerate, 44100);
    EXPECT_EQ(static_cast<size_t>(info.frames), SynthesizeDrum(voice).size());
  }
  std::filesystem::remove_all(dir);
}

TEST(DrumSynthTest, UnwritableFolderIsReportedByName) {
  const std::filesystem::path blocker =
      std::filesystem::temp_directory_path() / ("tamboro-blocker-" + std::to_string(getpid()));
  { std::ofstream(blocker) << "a file, not a folder"; }
  std::string error;
  EXPECT_FALSE(WriteKitSamples(blocker.string(), &error));
  EXPECT_NE(error.find(blocker.string()), std::string::npos) << error;
  std::filesystem::remove(blocker);
}

}  // namespace
}  // namespace tamboro::tools
