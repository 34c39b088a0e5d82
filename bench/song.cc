#include "song.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "drum_synth.h"
#include "pcm_file.h"

namespace tamboro::bench {
namespace {

using tools::DrumVoice;

constexpr uint32_t kStepMs = 125;  // a sixteenth at 120 BPM
constexpr int kStepsPerBar = 16;
constexpr uint32_t kBarMs = kStepMs * kStepsPerBar;
constexpr int kSectionBars = 8;
constexpr uint32_t kFlamMs = 62;  // a 32nd note
constexpr size_t kMaxSampleFrames = tools::kSynthRate * 6 / 10;  // 600 ms

// Each drum's own and secondary voice; drum 5 steers and plays nothing.
struct DrumSamples {
  std::optional<DrumVoice> own;
  std::optional<DrumVoice> secondary;
};

constexpr std::array<DrumSamples, 10> kDrums = {{
    {DrumVoice::kKick, DrumVoice::kFloorTom},
    {DrumVoice::kSnare, DrumVoice::kClap},
    {DrumVoice::kClosedHat, DrumVoice::kRide},
    {DrumVoice::kOpenHat, DrumVoice::kCrash},
    {std::nullopt, std::nullopt},
    {DrumVoice::kCrash, std::nullopt},
    {DrumVoice::kHighTom, std::nullopt},
    {DrumVoice::kMidTom, std::nullopt},
    {DrumVoice::kFloorTom, std::nullopt},
    {DrumVoice::kRide, std::nullopt},
}};

std::string SampleName(DrumVoice voice) {
  return "Samples\\song_" + std::string(tools::DrumVoiceName(voice)) + ".wav";
}

// A drum's hit times, in the order the performance struck them.
using Hits = std::array<std::vector<uint32_t>, 10>;

Hits Perform(const SongOptions& options) {
  Hits hits;
  const uint32_t end = static_cast<uint32_t>(std::max(options.seconds, 0)) * 1000;
  auto strike = [&](int drum, int bar, int step) {
    const uint32_t at = static_cast<uint32_t>(bar) * kBarMs + static_cast<uint32_t>(step) * kStepMs;
    if (at >= end) return;
    hits[drum].push_back(at);
    if (options.double_hits && at + kFlamMs < end) hits[drum].push_back(at + kFlamMs);
  };
  const int bars = static_cast<int>((end + kBarMs - 1) / kBarMs);
  for (int bar = 0; bar < bars; ++bar) {
    const int section = bar / kSectionBars;
    const bool ride = section % 4 != 3;  // every fourth section rests on the hats
    const bool fill = bar % 4 == 3;
    for (int step : {0, 4, 8, 12}) strike(0, bar, step);
    if (ride) {
      strike(0, bar, 6);
      strike(0, bar, 10);
    }
    strike(1, bar, 4);
    strike(1, bar, 12);
    if (ride) strike(1, bar, 7);  // a ghost note
    const bool open = bar % 2 == 1;
    for (int step = 0; step < kStepsPerBar; step += 2) {
      if (step == 14 && open) strike(3, bar, step);
      else strike(2, bar, step);
    }
    strike(5, bar, 0);
    if (fill) {
      for (int step : {8, 9}) strike(6, bar, step);
      for (int step : {10, 11}) strike(7, bar, step);
      for (int step : {13, 14, 15}) strike(8, bar, step);
    }
    if (ride) {
      for (int step = 0; step < kStepsPerBar; ++step) strike(9, bar, step);
    }
  }
  // Secondaries windows: from bar 2 to bar 4 of every section, opened and
  // closed just before the beat so the comparisons are clear.
  for (int section = 0; section * kSectionBars < bars; ++section) {
    for (int bar : {section * kSectionBars + 2, section * kSectionBars + 4}) {
      const uint32_t at = static_cast<uint32_t>(bar) * kBarMs - 5;
      if (at < end) hits[4].push_back(at);
    }
  }
  return hits;
}

}  // namespace

testing::KtbBuilder SongPattern(const SongOptions& options) {
  const Hits hits = Perform(options);
  auto pattern = testing::KtbBuilder::NewLayout();
  for (int drum = 0; drum < 10; ++drum) {
    if (kDrums[drum].own) pattern.Sample(2 * drum, SampleName(*kDrums[drum].own));
    if (kDrums[drum].secondary) pattern.Sample(2 * drum + 1, SampleName(*kDrums[drum].secondary));
    pattern.Hits(drum, hits[drum]);
  }
  pattern.Secondary(4, 1);
  return pattern;
}

size_t SongHitCount(const SongOptions& options) {
  size_t n = 0;
  for (const auto& drum : Perform(options)) n += drum.size();
  return n;
}

bool WriteSongSamples(const std::string& program_dir, std::string* error) {
  const std::filesystem::path folder = std::filesystem::path(program_dir) / "Samples";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    *error = folder.string() + ": cannot make the folder: " + ec.message();
    return false;
  }
  for (DrumVoice voice : tools::kAllDrumVoices) {
    std::vector<float> sound = tools::SynthesizeDrum(voice);
    if (sound.size() > kMaxSampleFrames) {
      // Cymbals ring for seconds; a recorded kit's samples are cut short.
      sound.resize(kMaxSampleFrames);
      const size_t fade = tools::kSynthRate / 100;  // 10 ms
      for (size_t i = 0; i < fade; ++i) sound[sound.size() - 1 - i] *= static_cast<float>(i) / fade;
    }
    const std::string path =
        (folder / ("song_" + std::string(tools::DrumVoiceName(voice)) + ".wav")).string();
    if (!tools::WritePcm16(path, tools::PcmFileType::kWav, sound, tools::kSynthRate, error)) {
      return false;
    }
  }
  return true;
}

}  // namespace tamboro::bench
