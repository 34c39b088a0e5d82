// The render stages run for real: the builtin runner on in-memory working
// files (and, as the reference, the real sound tool on disk). "final.wav"
// is compared with a sound worked out here, frame by frame, from the
// placement rules: a hit's sample starts at its position (normal mode) or
// ends there, backwards at half volume, five seconds later (reverse mode).

#include <gtest/gtest.h>
#include <sndfile.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "audio/disk_work_dir.h"
#include "audio/memory_work_dir.h"
#include "render/beat_placement.h"
#include "render/builtin_runner.h"
#include "render/canvas_stage.h"
#include "render/mixdown.h"
#include "render/render_pattern.h"
#include "render/stage_test_env.h"
#include "support/sox_process_runner.h"

namespace tamboro {
namespace {

constexpr int kRate = 44100;
constexpr int64_t kTemplateFrames = 5 * kRate;

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "render_audio_XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    dir_ = pattern + "/";
  }
  ~TempFolder() { std::filesystem::remove_all(dir_); }
  const std::string& dir() const { return dir_; }

 private:
  std::string dir_;
};

// 16-bit PCM at 44100 Hz, interleaved.
void WriteSound(const std::string& path, int format, int channels, const std::vector<float>& frames) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = channels;
  info.format = format | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) throw std::runtime_error("cannot write " + path);
  sf_write_float(file, frames.data(), static_cast<sf_count_t>(frames.size()));
  sf_close(file);
}

// A short sound of exact 16-bit steps, different for every drum.
std::vector<float> Hit(int seed, int frames) {
  std::vector<float> s(frames);
  for (int k = 0; k < frames; ++k) s[k] = static_cast<float>((seed * 1000 - 37 * k) % 20000) / 32768.0f;
  return s;
}

struct Pcm {
  int channels = 0;
  std::vector<int16_t> samples;  // interleaved
  int64_t frames() const { return channels ? static_cast<int64_t>(samples.size()) / channels : 0; }
};

// The bytes of a 16-bit WAV as they are (or would be) on disk: a 44-byte
// header, then the samples.
Pcm ReadWav(const WorkDir& work_dir, const std::string& path) {
  std::string error;
  std::unique_ptr<ByteReader> reader = work_dir.OpenRead(path, &error);
  if (!reader) throw std::runtime_error(error);
  std::string bytes(reader->Size(), '\0');
  bytes.resize(reader->Read(bytes.data(), bytes.size()));
  if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) {
    throw std::runtime_error(path + " is not a WAV file");
  }
  Pcm pcm;
  pcm.channels = static_cast<uint8_t>(bytes[22]) | static_cast<uint8_t>(bytes[23]) << 8;
  pcm.samples.resize((bytes.size() - 44) / 2);
  std::memcpy(pcm.samples.data(), bytes.data() + 44, pcm.samples.size() * 2);
  return pcm;
}

// Where a hit lands: 44100 x whole seconds + floor(44100 x fraction + 0.5).
int64_t Frame(uint32_t ms) { return int64_t{ms / 1000} * kRate + static_cast<int64_t>(std::floor(kRate * ((ms % 1000) / 1000.0) + 0.5)); }

struct Pattern {
  RenderJob job;
  std::vector<std::pair<std::string, std::vector<float>>> sample_files;  // name, mono sound
};

// One drum's track as the placement rules make it.
std::vector<double> ExpectedTrack(const Pattern& p, int drum, int64_t canvas) {
  const RenderJob& job = p.job;
  const bool reverse = (job.effects & 0xFF) != 0;
  std::vector<double> track(canvas, 0.0);
  const std::vector<uint32_t>& hits = job.hits[drum - 1];
  const std::vector<uint32_t>& steer = drum <= 5 ? job.hits[4] : job.hits[9];
  const bool windows = job.new_layout && (drum <= 5 ? job.secondary5 : job.secondary10) != 0;
  for (uint32_t hit : hits) {
    // Windows are worked out by hand in each pattern below: s0-s1, s2-s3...
    bool secondary = false;
    for (size_t i = 0; windows && i < steer.size(); i += 2) {
      const uint32_t end = i + 1 < steer.size() ? steer[i + 1] : 400000;
      if (steer[i] < hit && hit < end) secondary = true;
    }
    const int slot = job.new_layout ? 2 * drum - (secondary ? 1 : 2) : drum - 1;
    const std::vector<float>* sound = nullptr;
    for (const auto& [name, s] : p.sample_files) {
      if (name == job.samples[slot]) sound = &s;
    }
    if (!sound) continue;
    if (reverse) {
      const int64_t end = Frame(hit + 5000);
      for (size_t k = 0; k < sound->size() && end - 1 - static_cast<int64_t>(k) >= 0; ++k) {
        track[end - 1 - k] += 0.5 * (*sound)[k];
      }
    } else {
      const int64_t at = Frame(hit);
      std::fill(track.begin() + at, track.end(), 0.0);
      if (at + static_cast<int64_t>(sound->size()) > static_cast<int64_t>(track.size())) track.resize(at + sound->size(), 0.0);
      for (size_t k = 0; k < sound->size(); ++k) track[at + k] = (*sound)[k];
    }
  }
  return track;
}

// The mix of the drums with hits, panned or at .7, each at .60.
Pcm ExpectedMix(const Pattern& p) {
  const RenderJob& job = p.job;
  const bool reverse = (job.effects & 0xFF) != 0;
  int64_t canvas = kTemplateFrames;
  for (uint32_t x = reverse ? 0 : 15000; job.max_hit_time + 12500 > x; x += 5000) canvas += kTemplateFrames;
  const int channels = job.stereo == 1 ? 2 : 1;
  std::vector<double> mix;
  for (int drum = 1; drum <= job.drum_count; ++drum) {
    if (job.hits[drum - 1].empty()) continue;
    const bool steering = (drum == 5 && job.secondary5 == 1) || (drum == 10 && job.secondary10 == 1);
    std::vector<double> track = steering ? std::vector<double>(canvas, 0.0) : ExpectedTrack(p, drum, canvas);
    if (mix.size() < track.size() * channels) mix.resize(track.size() * channels, 0.0);
    const double d = channels == 2 ? std::stod(job.pan_text[job.pan_channel[drum - 1]]) : 0;
    for (size_t n = 0; n < track.size(); ++n) {
      if (channels == 1) {
        mix[n] += 0.60 * 0.7 * track[n];
      } else {
        mix[2 * n] += 0.60 * (1 - d) / 2 * track[n];
        mix[2 * n + 1] += 0.60 * (1 + d) / 2 * track[n];
      }
    }
  }
  Pcm pcm;
  pcm.channels = channels;
  for (double x : mix) pcm.samples.push_back(static_cast<int16_t>(std::clamp(std::lround(x * 32768), -32768L, 32767L)));
  return pcm;
}

// Frames where two sounds differ by more than `lsb`, described.
std::string Differences(const Pcm& got, const Pcm& want, int lsb) {
  if (got.channels != want.channels) {
    return "channels " + std::to_string(got.channels) + " vs " + std::to_string(want.channels);
  }
  if (got.samples.size() != want.samples.size()) {
    return "frames " + std::to_string(got.frames()) + " vs " + std::to_string(want.frames());
  }
  int bad = 0;
  std::string first;
  for (size_t i = 0; i < got.samples.size(); ++i) {
    if (std::abs(got.samples[i] - want.samples[i]) <= lsb) continue;
    if (bad++ == 0) {
      first = "first at frame " + std::to_string(i / got.channels) + ": " + std::to_string(got.samples[i]) +
              " vs " + std::to_string(want.samples[i]);
    }
  }
  return bad ? std::to_string(bad) + " samples differ, " + first : "";
}

class RenderAudioTest : public ::testing::Test {
 protected:
  // A program folder with the template and the pattern's samples.
  void Prepare(const std::string& dir, Pattern& p) {
    WriteSound(dir + "5.dat", SF_FORMAT_AIFF, 1, std::vector<float>(kTemplateFrames, 0.0f));
    for (const auto& [name, sound] : p.sample_files) {
      std::string path = name;
      std::replace(path.begin(), path.end(), '\\', '/');
      WriteSound(dir + path, SF_FORMAT_WAV, 1, sound);
    }
    p.job.program_dir = dir;
  }

  // The three stages through the builtin runner; final.wav as it would be on disk.
  // `subfolder`: where in the temporary folder the program folder lies.
  Pcm RenderBuiltin(Pattern p, const std::string& subfolder = "") {
    TempFolder folder;
    const std::string dir = folder.dir() + subfolder;
    Prepare(dir, p);
    MemoryWorkDir work_dir(dir);
    BuiltinRunner runner(work_dir);
    testing::StageEnv stage(runner, work_dir);
    PreparedSamples samples;
    EXPECT_TRUE(PrepareCanvasAndSamples(p.job, stage.env, samples));
    PlaceBeats(p.job, stage.env, samples);
    EXPECT_TRUE(MixDownAndCleanUp(p.job, stage.env));
    last_log_ = stage.log.str();
    // Only the mix is left of the working files.
    EXPECT_EQ(work_dir.file_count(), 1u);
    return ReadWav(work_dir, dir + "final.wav");
  }

  std::string last_log_;

  // The same lines run by the real sound tool on disk: the reference.
  Pcm RenderSox(Pattern p) {
    TempFolder folder;
    Prepare(folder.dir(), p);
    DiskWorkDir work_dir;
    testing::SoxProcessRunner runner;
    testing::StageEnv stage(runner, work_dir);
    PreparedSamples samples;
    EXPECT_TRUE(PrepareCanvasAndSamples(p.job, stage.env, samples));
    PlaceBeats(p.job, stage.env, samples);
    EXPECT_TRUE(MixDownAndCleanUp(p.job, stage.env)) << stage.log.str();
    EXPECT_EQ(stage.log.str().find("annot"), std::string::npos) << stage.log.str();
    // The cleanup leaves only what was there before, and the mix.
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(folder.dir())) {
      left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"5.dat", "Samples", "final.wav"}));
    return ReadWav(work_dir, folder.dir() + "final.wav");
  }
};

Pattern OldLayout() {
  Pattern p;
  p.job.drum_count = 5;
  p.job.pan_channel = {1, 3, 2, 0, 4, 0, 0, 0, 0, 0};
  p.job.pan_text.fill("0.0");
  return p;
}

void AddSample(Pattern& p, int slot, const std::string& name, std::vector<float> sound) {
  p.job.samples[slot] = name;
  p.job.sample_present[slot] = 1;
  p.sample_files.emplace_back(name, std::move(sound));
}

void AddHits(Pattern& p, int drum, std::vector<uint32_t> hits) {
  for (uint32_t t : hits) p.job.max_hit_time = std::max(p.job.max_hit_time, t);
  p.job.hits[drum - 1] = std::move(hits);
}

// Normal mode: a time-zero hit, a hit placed before an earlier-listed later
// one (which it silences), a sample longer than the gap to the next hit.
Pattern NormalMono() {
  Pattern p = OldLayout();
  AddSample(p, 0, "Samples\\kick.wav", Hit(9, 3000));
  AddSample(p, 2, "Samples\\hat.wav", Hit(5, 400));
  AddHits(p, 1, {0, 1234, 1240, 2501});
  AddHits(p, 3, {700, 1000, 900});
  return p;
}

Pattern StereoPanned() {
  Pattern p = NormalMono();
  p.job.stereo = 1;
  p.job.pan_text = {"-1.0", "-0.5", "0.0", "0.5", "1.0", "0.0", "0.0", "0.0", "0.0", "0.0"};
  return p;
}

Pattern Reverse() {
  Pattern p = OldLayout();
  p.job.effects = 0x0001;
  AddSample(p, 1, "Samples\\snare.wav", Hit(7, 2000));
  AddSample(p, 3, "Samples\\clap.wav", Hit(2, 300));
  AddHits(p, 2, {0, 1000, 1010});
  AddHits(p, 4, {4990});
  return p;
}

Pattern Secondaries() {
  Pattern p;
  p.job.new_layout = true;
  p.job.drum_count = 10;
  for (int i = 0; i < 10; ++i) p.job.pan_channel[i] = i;
  p.job.pan_text.fill("0.0");
  p.job.secondary5 = 1;
  AddSample(p, 4, "Samples\\tom.wav", Hit(3, 500));
  AddSample(p, 5, "Samples\\tom2.wav", Hit(11, 500));
  AddSample(p, 14, "Samples\\ride.wav", Hit(13, 800));
  AddHits(p, 3, {500, 1500, 2500, 3500});
  AddHits(p, 5, {1000, 2000, 3000});
  AddHits(p, 8, {250});
  return p;
}

TEST_F(RenderAudioTest, HitsLandAtTheirFramesThroughTheBuiltinRunner) {
  const struct {
    const char* name;
    Pattern (*make)();
  } cases[] = {{"normal mono", NormalMono},
               {"stereo panned", StereoPanned},
               {"reverse", Reverse},
               {"secondaries", Secondaries}};
  for (const auto& c : cases) {
    const Pattern p = c.make();
    EXPECT_EQ(Differences(RenderBuiltin(p), ExpectedMix(p), 1), "") << c.name;
    EXPECT_EQ(last_log_.find("annot"), std::string::npos) << last_log_;
  }
}

TEST_F(RenderAudioTest, MissingSampleLeavesItsHitsOutAndTheRestPlays) {
  Pattern p = NormalMono();
  p.sample_files.pop_back();  // Samples\hat.wav is never written
  const Pcm got = RenderBuiltin(p);
  EXPECT_EQ(Differences(got, ExpectedMix(p), 1), "");
  EXPECT_NE(last_log_.find("Drum 3: sample \"Samples\\hat.wav\" cannot be read (tried " + p.job.program_dir),
            std::string::npos)
      << last_log_;
}

TEST_F(RenderAudioTest, LongFolderAndSampleNamesWork) {
  // Lines far longer than the 499 characters the first platform allowed.
  const std::string subfolder = "a folder with blanks/" + std::string(200, 'x') + "/";
  Pattern p = NormalMono();
  std::string name = "Samples\\";
  for (int i = 0; i < 15; ++i) name += "long name ";
  name += ".wav";
  p.job.samples[0] = name;
  p.sample_files[0].first = name;
  EXPECT_EQ(Differences(RenderBuiltin(p, subfolder), ExpectedMix(p), 1), "");
}

Pattern ReverbMono() {
  Pattern p = NormalMono();
  p.job.effects = 0x0100;
  return p;
}

Pattern ReverbStereo() {
  Pattern p = StereoPanned();
  p.job.effects = 0x0100;
  return p;
}

TEST_F(RenderAudioTest, TheSoundToolMakesTheSameMix) {
  const struct {
    const char* name;
    Pattern (*make)();
    bool reverb;
  } cases[] = {{"normal mono", NormalMono, false},
               {"stereo panned", StereoPanned, false},
               {"reverse", Reverse, false},
               {"secondaries", Secondaries, false},
               {"reverb mono", ReverbMono, true},
               {"reverb stereo", ReverbStereo, true}};
  for (const auto& c : cases) {
    const Pattern p = c.make();
    const Pcm reference = RenderSox(p);
    if (!c.reverb) {
      EXPECT_EQ(Differences(reference, ExpectedMix(p), 1), "") << c.name << ": sound tool";
    }
    EXPECT_EQ(Differences(RenderBuiltin(p), reference, c.reverb ? 4 : 1), "") << c.name;
  }
}

}  // namespace
}  // namespace tamboro
