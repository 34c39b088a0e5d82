// Differential test: seeded random patterns rendered twice, through the
// built-in runner on in-memory working files and through the real sound
// tool on disk (one process per line), and the two "final.wav" compared.
// Together the patterns cover both layouts, reverse, stereo with assorted
// balances, reverb, secondaries on drums 5 and 10 with odd and even lists,
// hits out of order and at 0 ms, one drum alone, and samples at other rates
// and channel counts, in WAV and AIFF.
//
// Tolerances, in 16-bit steps. The sound tool rounds every working file to
// 16 bits, the engine only the mix, so the two may differ by rounding:
//  - 1 in normal mode (track to WAV, then the mix);
//  - 2 in reverse mode, where the tool also rounds each hit's half-volume
//    mix (half steps) and overlapping hits round the same frames again;
//  - 4 with reverb (float rounding through the feedback filters);
//  - 6 at the first two frames of each hit of a resampled sample, where the
//    sound tool's resampler and libsoxr start their filters differently (up
//    to 6 steps in the converted sample, at most .6 of that in the mix;
//    within 1 step after those two frames).
// Measured over these seeds: never more than 2 steps apart.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "audio/byte_reader.h"
#include "audio/disk_work_dir.h"
#include "audio/memory_work_dir.h"
#include "platform/command_runner.h"
#include "render/beat_placement.h"
#include "render/builtin_runner.h"
#include "render/canvas_stage.h"
#include "render/mixdown.h"
#include "render/render_pattern.h"
#include "render/stage_test_env.h"
#include "support/sound_files.h"
#include "support/sox_process_runner.h"

namespace tamboro {
namespace {

using testing::Pcm16;

constexpr int kRate = 44100;

struct SampleFile {
  std::string name;  // as the pattern stores it
  Pcm16 sound;
};

struct Pattern {
  RenderJob job;
  std::vector<SampleFile> files;
  std::string description;
};

// Frame of a time in milliseconds, as the time texts are read.
int64_t Frame(double ms) {
  const double seconds = ms / 1000;
  const double whole = std::floor(seconds);
  return static_cast<int64_t>(whole) * kRate + static_cast<int64_t>(std::floor(kRate * (seconds - whole) + 0.5));
}

// A drum-like sound: a decaying tone and noise, quiet enough that no sum of
// the pattern reaches full scale (the sound tool would clip its working
// files where the engine, in floats, would not).
Pcm16 DrumSound(std::mt19937& rng, int rate, int channels, int64_t frames) {
  Pcm16 s{rate, channels, {}};
  std::uniform_real_distribution<double> noise(-1, 1);
  const double f = std::uniform_real_distribution<double>(60, 900)(rng);
  const double decay = std::uniform_real_distribution<double>(5, 30)(rng);
  for (int64_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    for (int c = 0; c < channels; ++c) {
      const double v = std::exp(-decay * t) * (0.7 * std::sin(2 * M_PI * f * t + c) + 0.3 * noise(rng));
      s.samples.push_back(static_cast<int16_t>(std::lround(v * 0.12 * 32767)));
    }
  }
  return s;
}

template <typename T>
T Pick(std::mt19937& rng, std::initializer_list<T> options) {
  return options.begin()[std::uniform_int_distribution<size_t>(0, options.size() - 1)(rng)];
}

bool Chance(std::mt19937& rng, double p) { return std::bernoulli_distribution(p)(rng); }

// The random pattern of a seed. Seeds 0 and 1 have one drum alone (a
// mixdown of one input); the others mix two to four.
Pattern MakePattern(uint32_t seed) {
  std::mt19937 rng(seed * 7919 + 17);
  Pattern p;
  RenderJob& job = p.job;
  job.new_layout = seed % 2 == 0;
  job.drum_count = job.new_layout ? 10 : 5;
  const bool reverse = Chance(rng, 0.35);
  const bool reverb = Chance(rng, 0.3);
  job.effects = static_cast<uint16_t>((reverse ? 1 : 0) | (reverb ? 1 : 0) << 8);
  job.stereo = Chance(rng, 0.6) ? 1 : 0;
  for (int i = 0; i < 10; ++i) {
    job.pan_channel[i] = i;
    job.pan_text[i] = Pick<const char*>(rng, {"-1.0", "-0.5", "0.0", "0.25", "0.7", "1", "-0.33", "0.1"});
  }
  if (!job.new_layout) {  // the kit maps of old patterns
    const std::array<int, 10> maps[] = {{1, 3, 2, 0, 4}, {3, 0, 2, 1, 4}, {2, 3, 0, 1, 4}};
    job.pan_channel = maps[std::uniform_int_distribution<int>(0, 2)(rng)];
  }

  auto add_sample = [&](int slot) {
    const bool other_rate = Chance(rng, 0.3);
    const int rate = other_rate ? Pick(rng, {48000, 22050, 32000}) : kRate;
    const int channels = Chance(rng, 0.25) ? 2 : 1;
    const std::string ext = Chance(rng, 0.3) ? ".aiff" : ".wav";
    const int64_t frames = std::uniform_int_distribution<int64_t>(rate / 50, rate * 3 / 10)(rng);
    const std::string name = "Samples\\s" + std::to_string(slot) + ext;
    job.samples[slot] = name;
    job.sample_present[slot] = 1;
    p.files.push_back({name, DrumSound(rng, rate, channels, frames)});
  };

  std::vector<int> drums(job.drum_count);
  for (int d = 0; d < job.drum_count; ++d) drums[d] = d + 1;
  std::shuffle(drums.begin(), drums.end(), rng);
  const int playing = seed < 2 ? 1 : std::uniform_int_distribution<int>(2, 4)(rng);
  for (int k = 0; k < playing; ++k) {
    const int drum = drums[k];
    const int own = job.new_layout ? 2 * drum - 2 : drum - 1;
    add_sample(own);
    if (job.new_layout && Chance(rng, 0.6)) add_sample(own + 1);
    std::vector<uint32_t> hits;
    const int count = std::uniform_int_distribution<int>(1, 4)(rng);
    for (int h = 0; h < count; ++h) {
      hits.push_back(Chance(rng, 0.15) ? 0 : std::uniform_int_distribution<uint32_t>(1, 3000)(rng));
    }
    if (Chance(rng, 0.6)) std::sort(hits.begin(), hits.end());  // else as struck, out of order
    job.hits[drum - 1] = hits;
  }
  // Secondaries: drum 5 or 10 steers its half with an odd or even list.
  if (job.new_layout) {
    for (int steer : {5, 10}) {
      if (!Chance(rng, 0.5)) continue;
      std::vector<uint32_t> list;
      const int count = std::uniform_int_distribution<int>(1, 4)(rng);
      for (int k = 0; k < count; ++k) list.push_back(std::uniform_int_distribution<uint32_t>(100, 2900)(rng));
      std::sort(list.begin(), list.end());
      job.hits[steer - 1] = list;
      (steer == 5 ? job.secondary5 : job.secondary10) = 1;
    }
  }
  for (const auto& hits : job.hits) {
    for (uint32_t t : hits) job.max_hit_time = std::max(job.max_hit_time, t);
  }

  p.description = std::string(job.new_layout ? "new" : "old") + " layout, " +
                  (reverse ? "reverse, " : "") + (reverb ? "reverb, " : "") +
                  (job.stereo ? "stereo" : "mono") + ", secondaries " +
                  std::to_string(job.secondary5) + "/" + std::to_string(job.secondary10);
  for (int d = 0; d < 10; ++d) {
    if (job.hits[d].empty()) continue;
    p.description += "; drum " + std::to_string(d + 1) + ":";
    for (uint32_t t : job.hits[d]) p.description += " " + std::to_string(t);
  }
  for (const SampleFile& f : p.files) {
    p.description += "; " + f.name + " " + std::to_string(f.sound.rate) + " Hz x" +
                     std::to_string(f.sound.channels) + " " + std::to_string(f.sound.frames());
  }
  return p;
}

struct Mix16 {
  int channels = 0;
  std::vector<int16_t> samples;
  int64_t frames() const { return channels ? static_cast<int64_t>(samples.size()) / channels : 0; }
};

// "final.wav" as it is (or would be) on disk: the 44-byte header, then samples.
Mix16 ReadMix(const WorkDir& work_dir, const std::string& path) {
  std::string error;
  std::unique_ptr<ByteReader> reader = work_dir.OpenRead(path, &error);
  Mix16 mix;
  if (!reader) {
    ADD_FAILURE() << error;
    return mix;
  }
  std::string bytes(reader->Size(), '\0');
  bytes.resize(reader->Read(bytes.data(), bytes.size()));
  if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(36, 4, "data") != 0) {
    ADD_FAILURE() << path << " is not a plain 16-bit WAV file";
    return mix;
  }
  mix.channels = static_cast<uint8_t>(bytes[22]) | static_cast<uint8_t>(bytes[23]) << 8;
  mix.samples.resize((bytes.size() - 44) / 2);
  std::memcpy(mix.samples.data(), bytes.data() + 44, mix.samples.size() * 2);
  return mix;
}

// Writes the template and the samples into a program folder.
void Prepare(const std::string& dir, const Pattern& p) {
  // The template: five seconds of mono silence, an AIFF file by content.
  ASSERT_TRUE(testing::WritePcm16(dir + "template.aiff", Pcm16{kRate, 1, std::vector<int16_t>(5 * kRate, 0)}));
  std::filesystem::rename(dir + "template.aiff", dir + "5.dat");
  std::filesystem::create_directories(dir + "Samples");
  for (const SampleFile& f : p.files) {
    std::string path = f.name;
    std::replace(path.begin(), path.end(), '\\', '/');
    ASSERT_TRUE(testing::WritePcm16(dir + path, f.sound)) << path;
  }
}

// The three stages of a render up to "final.wav", through the given runner.
Mix16 Render(const Pattern& pattern, const std::string& dir, CommandRunner& runner, WorkDir& work_dir) {
  RenderJob job = pattern.job;
  job.program_dir = dir;
  testing::StageEnv stage(runner, work_dir);
  PreparedSamples samples;
  EXPECT_TRUE(PrepareCanvasAndSamples(job, stage.env, samples)) << stage.log.str();
  PlaceBeats(job, stage.env, samples);
  EXPECT_TRUE(MixDownAndCleanUp(job, stage.env)) << stage.log.str();
  // No line may fail silently: every warning says "cannot" or "failed".
  EXPECT_EQ(stage.log.str().find("annot"), std::string::npos) << stage.log.str();
  EXPECT_EQ(stage.log.str().find("ailed"), std::string::npos) << stage.log.str();
  return ReadMix(work_dir, dir + "final.wav");
}

// Frames (of the mix) where a resampled sample's first two frames land.
std::set<int64_t> ResampledOnsets(const Pattern& p) {
  const RenderJob& job = p.job;
  const bool reverse = (job.effects & 0xFF) != 0;
  std::set<int64_t> frames;
  for (int drum = 1; drum <= job.drum_count; ++drum) {
    // Every sample the drum may take; a hit may take either.
    std::vector<int> slots = {job.new_layout ? 2 * drum - 2 : drum - 1};
    if (job.new_layout) slots.push_back(2 * drum - 1);
    bool resampled = false;
    for (int slot : slots) {
      for (const SampleFile& f : p.files) {
        if (f.name == job.samples[slot] && f.sound.rate != kRate) resampled = true;
      }
    }
    if (!resampled) continue;
    for (uint32_t hit : job.hits[drum - 1]) {
      for (int64_t k = 0; k < 2; ++k) {
        frames.insert(reverse ? Frame(hit + 5000.0) - 1 - k : Frame(hit) + k);
      }
    }
  }
  return frames;
}

class DifferentialTest : public ::testing::TestWithParam<uint32_t> {};

TEST_P(DifferentialTest, BuiltinRunnerMatchesTheSoundTool) {
  const Pattern p = MakePattern(GetParam());
  SCOPED_TRACE(p.description);

  testing::TempDir ours_dir, sox_dir;
  ASSERT_NO_FATAL_FAILURE(Prepare(ours_dir.path(), p));
  ASSERT_NO_FATAL_FAILURE(Prepare(sox_dir.path(), p));
  MemoryWorkDir memory(ours_dir.path());
  BuiltinRunner builtin(memory);
  const Mix16 ours = Render(p, ours_dir.path(), builtin, memory);
  DiskWorkDir disk;
  testing::SoxProcessRunner sox;
  const Mix16 reference = Render(p, sox_dir.path(), sox, disk);

  ASSERT_GT(reference.channels, 0);
  ASSERT_EQ(ours.channels, reference.channels);
  ASSERT_EQ(ours.frames(), reference.frames());
  const bool reverse = (p.job.effects & 0xFF) != 0;
  const bool reverb = (p.job.effects >> 8) != 0;
  const int tolerance = reverb ? 4 : reverse ? 2 : 1;
  const std::set<int64_t> onsets = ResampledOnsets(p);
  int worst = 0;
  int64_t worst_frame = -1;
  for (size_t i = 0; i < ours.samples.size(); ++i) {
    const int64_t frame = static_cast<int64_t>(i) / ours.channels;
    const int allowed = onsets.count(frame) ? std::max(tolerance, 6) : tolerance;
    const int diff = std::abs(ours.samples[i] - reference.samples[i]);
    if (diff > allowed && diff > worst) {
      worst = diff;
      worst_frame = frame;
    }
  }
  EXPECT_EQ(worst, 0) << "differs by " << worst << " steps at frame " << worst_frame;
}

constexpr uint32_t kSeeds = 20;
INSTANTIATE_TEST_SUITE_P(Seeds, DifferentialTest, ::testing::Range(0u, kSeeds));

// The seeds together reach every case the comparison is for.
TEST(DifferentialPatternsTest, CoverTheCasesTheyAreFor) {
  std::set<std::string> seen;
  for (uint32_t seed = 0; seed < kSeeds; ++seed) {
    const Pattern p = MakePattern(seed);
    const RenderJob& job = p.job;
    seen.insert(job.new_layout ? "new layout" : "old layout");
    seen.insert((job.effects & 0xFF) ? "reverse" : "forward");
    seen.insert((job.effects >> 8) ? "reverb" : "dry");
    seen.insert(job.stereo ? "stereo" : "mono");
    const int drums_with_hits = static_cast<int>(std::count_if(
        job.hits.begin(), job.hits.end(), [](const auto& h) { return !h.empty(); }));
    if (drums_with_hits == 1) seen.insert("one drum");
    for (int steer : {5, 10}) {
      if ((steer == 5 ? job.secondary5 : job.secondary10) != 1) continue;
      seen.insert("secondaries " + std::to_string(steer) +
                  (job.hits[steer - 1].size() % 2 ? " odd" : " even"));
    }
    for (const auto& hits : job.hits) {
      if (std::find(hits.begin(), hits.end(), 0u) != hits.end()) seen.insert("hit at 0");
      if (!std::is_sorted(hits.begin(), hits.end())) seen.insert("out of order");
    }
    for (const SampleFile& f : p.files) {
      if (f.sound.rate != kRate) seen.insert("other rate");
      if (f.sound.channels == 2) seen.insert("two channels");
    }
  }
  for (const char* c : {"new layout", "old layout", "reverse", "forward", "reverb", "dry", "stereo", "mono",
                        "one drum", "secondaries 5 odd", "secondaries 5 even", "secondaries 10 odd",
                        "secondaries 10 even", "hit at 0", "out of order", "other rate", "two channels"}) {
    EXPECT_TRUE(seen.count(c)) << c;
  }
}

}  // namespace
}  // namespace tamboro
