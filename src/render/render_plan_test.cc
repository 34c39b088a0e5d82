// The exact command lines of the three render stages, and what the stages
// say on the console and in the log.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "render/beat_placement.h"
#include "render/canvas_stage.h"
#include "render/hit_limit.h"
#include "render/mixdown.h"
#include "render/render_pattern.h"
#include "render/stage_test_env.h"
#include "support/recording_runner.h"

namespace tamboro {
namespace {

using testing::ListedFiles;
using testing::RecordingRunner;
using testing::StageEnv;
using Lines = std::vector<std::string>;

const char kDir[] = "/opt/tam bo/";

RenderJob OldLayoutJob() {
  RenderJob job;
  job.program_dir = kDir;
  job.new_layout = false;
  job.drum_count = 5;
  job.pan_channel = {1, 3, 2, 0, 4, 0, 0, 0, 0, 0};
  job.pan_text.fill("0.0");
  return job;
}

RenderJob NewLayoutJob() {
  RenderJob job;
  job.program_dir = kDir;
  job.new_layout = true;
  job.drum_count = 10;
  for (int i = 0; i < 10; ++i) job.pan_channel[i] = i;
  job.pan_text.fill("0.0");
  return job;
}

void SetSample(RenderJob& job, int slot, const std::string& name) {
  job.samples[slot] = name;
  job.sample_present[slot] = 1;
}

void SetHits(RenderJob& job, int drum, std::vector<uint32_t> hits) {
  for (uint32_t t : hits) job.max_hit_time = std::max(job.max_hit_time, t);
  job.hits[drum - 1] = std::move(hits);
}

class RenderPlanTest : public ::testing::Test {
 protected:
  // Runs the three stages as RenderPattern does, without delivery.
  bool RunStages(RenderJob& job) {
    PreparedSamples samples;
    if (!PrepareCanvasAndSamples(job, stage.env, samples)) return false;
    PlaceBeats(job, stage.env, samples);
    return MixDownAndCleanUp(job, stage.env);
  }
  void ExpectPlan(const Lines& expected) {
    const Lines& got = runner.lines();
    for (size_t i = 0; i < std::max(got.size(), expected.size()); ++i) {
      EXPECT_EQ(i < got.size() ? got[i] : "<none>", i < expected.size() ? expected[i] : "<none>")
          << "line " << i;
    }
  }
  int LogCount(const std::string& needle) const {
    const std::string log = stage.log.str();
    int n = 0;
    for (size_t at = log.find(needle); at != std::string::npos; at = log.find(needle, at + 1)) ++n;
    return n;
  }

  RecordingRunner runner;
  ListedFiles files{{std::string(kDir) + "5.dat"}};
  StageEnv stage{runner, files};
};

TEST_F(RenderPlanTest, OldLayoutStereoWithStartKitChannels) {
  RenderJob job = OldLayoutJob();
  job.stereo = 1;
  job.pan_text = {"-1.0", "-0.5", "0.0", "0.5", "1.0", "0.0", "0.0", "0.0", "0.0", "0.0"};
  SetSample(job, 0, R"(Samples\kick.wav)");
  SetSample(job, 1, R"(Samples\snare.wav)");
  SetSample(job, 2, R"(Samples\hat.wav)");
  SetSample(job, 4, R"(Samples\crash.wav)");
  job.sample_present[6] = 1;  // an empty extra name: never converted, still deleted
  SetHits(job, 1, {1234});
  SetHits(job, 3, {500, 250});
  SetHits(job, 5, {7501});

  EXPECT_TRUE(RunStages(job));
  ExpectPlan({
      R"(copy "/opt/tam bo/5.dat" "/opt/tam bo/5.aiff")",
      R"(copy "/opt/tam bo/5.dat" "/opt/tam bo/dtrack.aiff")",
      R"(sox.exe "/opt/tam bo/5.aiff"  "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack.aiff")",
      R"(sox.exe "/opt/tam bo/5.aiff"  "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack.aiff")",
      R"(sox  "/opt/tam bo/Samples\kick.wav" -c 1 -r 44100 "/opt/tam bo/drum0.aiff")",
      R"(sox  "/opt/tam bo/Samples\snare.wav" -c 1 -r 44100 "/opt/tam bo/drum1.aiff")",
      R"(sox  "/opt/tam bo/Samples\hat.wav" -c 1 -r 44100 "/opt/tam bo/drum2.aiff")",
      R"(sox  "/opt/tam bo/Samples\crash.wav" -c 1 -r 44100 "/opt/tam bo/drum4.aiff")",
      // Track 5
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack4.aiff")",
      R"(sox "/opt/tam bo/dtrack4.aiff" "/opt/tam bo/clip2.aiff" trim 7.501000)",
      R"(sox "/opt/tam bo/dtrack4.aiff"   "/opt/tam bo/clip1.aiff" trim 0 7.501000)",
      R"(sox -m -v 1 "/opt/tam bo/drum4.aiff" -v 0 "/opt/tam bo/clip2.aiff"   "/opt/tam bo/clip3.aiff")",
      R"(sox "/opt/tam bo/clip1.aiff" "/opt/tam bo/clip3.aiff"   "/opt/tam bo/dtrack4.aiff")",
      // Track 4: no hits
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack3.aiff")",
      // Track 3: hits in list order, not sorted
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack2.aiff")",
      R"(sox "/opt/tam bo/dtrack2.aiff" "/opt/tam bo/clip2.aiff" trim 0.500000)",
      R"(sox "/opt/tam bo/dtrack2.aiff"   "/opt/tam bo/clip1.aiff" trim 0 0.500000)",
      R"(sox -m -v 1 "/opt/tam bo/drum2.aiff" -v 0 "/opt/tam bo/clip2.aiff"   "/opt/tam bo/clip3.aiff")",
      R"(sox "/opt/tam bo/clip1.aiff" "/opt/tam bo/clip3.aiff"   "/opt/tam bo/dtrack2.aiff")",
      R"(sox "/opt/tam bo/dtrack2.aiff" "/opt/tam bo/clip2.aiff" trim 0.250000)",
      R"(sox "/opt/tam bo/dtrack2.aiff"   "/opt/tam bo/clip1.aiff" trim 0 0.250000)",
      R"(sox -m -v 1 "/opt/tam bo/drum2.aiff" -v 0 "/opt/tam bo/clip2.aiff"   "/opt/tam bo/clip3.aiff")",
      R"(sox "/opt/tam bo/clip1.aiff" "/opt/tam bo/clip3.aiff"   "/opt/tam bo/dtrack2.aiff")",
      // Track 2: no hits
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack1.aiff")",
      // Track 1
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack0.aiff")",
      R"(sox "/opt/tam bo/dtrack0.aiff" "/opt/tam bo/clip2.aiff" trim 1.234000)",
      R"(sox "/opt/tam bo/dtrack0.aiff"   "/opt/tam bo/clip1.aiff" trim 0 1.234000)",
      R"(sox -m -v 1 "/opt/tam bo/drum0.aiff" -v 0 "/opt/tam bo/clip2.aiff"   "/opt/tam bo/clip3.aiff")",
      R"(sox "/opt/tam bo/clip1.aiff" "/opt/tam bo/clip3.aiff"   "/opt/tam bo/dtrack0.aiff")",
      R"(del "/opt/tam bo/clip1.aiff")",
      R"(del "/opt/tam bo/clip2.aiff")",
      R"(del "/opt/tam bo/clip3.aiff")",
      // Each track takes the balance of the entry its own entry names.
      R"(sox "/opt/tam bo/dtrack0.aiff" -c 2 "/opt/tam bo/dtrack0.wav" pan -0.5)",
      R"(sox "/opt/tam bo/dtrack1.aiff" -c 2 "/opt/tam bo/dtrack1.wav" pan 0.5)",
      R"(sox "/opt/tam bo/dtrack2.aiff" -c 2 "/opt/tam bo/dtrack2.wav" pan 0.0)",
      R"(sox "/opt/tam bo/dtrack3.aiff" -c 2 "/opt/tam bo/dtrack3.wav" pan -1.0)",
      R"(sox "/opt/tam bo/dtrack4.aiff" -c 2 "/opt/tam bo/dtrack4.wav" pan 1.0)",
      R"(sox -m -v .60 "/opt/tam bo/dtrack0.wav" -v .60 "/opt/tam bo/dtrack2.wav" -v .60 "/opt/tam bo/dtrack4.wav" "/opt/tam bo/final.wav")",
      R"(del "/opt/tam bo/dtrack0.wav")",
      R"(del "/opt/tam bo/dtrack1.wav")",
      R"(del "/opt/tam bo/dtrack2.wav")",
      R"(del "/opt/tam bo/dtrack3.wav")",
      R"(del "/opt/tam bo/dtrack4.wav")",
      R"(del "/opt/tam bo/dtrack0.aiff")",
      R"(del "/opt/tam bo/dtrack1.aiff")",
      R"(del "/opt/tam bo/dtrack2.aiff")",
      R"(del "/opt/tam bo/dtrack3.aiff")",
      R"(del "/opt/tam bo/dtrack4.aiff")",
      R"(del "/opt/tam bo/drum0.aiff")",
      R"(del "/opt/tam bo/drum1.aiff")",
      R"(del "/opt/tam bo/drum2.aiff")",
      R"(del "/opt/tam bo/drum4.aiff")",
      R"(del "/opt/tam bo/drum6.aiff")",
      R"(del "/opt/tam bo/dtrack.aiff")",
      R"(del "/opt/tam bo/5.aiff")",
  });
  EXPECT_EQ(stage.log.str(), "x= 15000\nx= 20000\n");
  EXPECT_EQ(stage.console.text(),
            "Constructing Drum 5\nConstructing Drum 4\nConstructing Drum 3\n"
            "Constructing Drum 2\nConstructing Drum 1\nMixing down tracks\n" +
                [] {
                  std::string s;
                  for (int i = 0; i < 15; ++i) s += "Cleaning up\n";
                  return s;
                }());
}

TEST_F(RenderPlanTest, NewLayoutWithSecondariesOnDrumsFiveAndTen) {
  RenderJob job = NewLayoutJob();
  job.secondary5 = 1;
  job.secondary10 = 1;
  SetSample(job, 4, R"(Samples\tom.wav)");
  SetSample(job, 5, R"(Samples\tom2.wav)");
  SetSample(job, 8, R"(Samples\rim.wav)");
  SetSample(job, 9, R"(Samples\rim2.wav)");    // drum 5 steers: not converted
  SetSample(job, 12, R"(Samples\hat.wav)");
  SetSample(job, 13, R"(Samples\ride.wav)");
  SetSample(job, 19, R"(Samples\bell.wav)");   // drum 10 steers: not converted
  SetHits(job, 3, {1500, 2500});
  SetHits(job, 5, {1000, 2000});
  SetHits(job, 7, {100, 400});
  SetHits(job, 10, {300});

  EXPECT_TRUE(RunStages(job));
  Lines expected = {
      R"(copy "/opt/tam bo/5.dat" "/opt/tam bo/5.aiff")",
      R"(copy "/opt/tam bo/5.dat" "/opt/tam bo/dtrack.aiff")",
      R"(sox  "/opt/tam bo/Samples\tom.wav" -c 1 -r 44100 "/opt/tam bo/drum4.aiff")",
      R"(sox  "/opt/tam bo/Samples\tom2.wav" -c 1 -r 44100 "/opt/tam bo/drum5.aiff")",
      R"(sox  "/opt/tam bo/Samples\rim.wav" -c 1 -r 44100 "/opt/tam bo/drum8.aiff")",
      R"(sox  "/opt/tam bo/Samples\hat.wav" -c 1 -r 44100 "/opt/tam bo/drum12.aiff")",
      R"(sox  "/opt/tam bo/Samples\ride.wav" -c 1 -r 44100 "/opt/tam bo/drum13.aiff")",
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack9.aiff")",
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack8.aiff")",
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack7.aiff")",
      // Track 7 under drum 10's window 300-400000: own sample, then secondary.
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack6.aiff")",
      R"(sox "/opt/tam bo/dtrack6.aiff" "/opt/tam bo/clip2.aiff" trim 0.100000)",
      R"(sox "/opt/tam bo/dtrack6.aiff"   "/opt/tam bo/clip1.aiff" trim 0 0.100000)",
      R"(sox -m -v 1 "/opt/tam bo/drum12.aiff" -v 0 "/opt/tam bo/clip2.aiff"   "/opt/tam bo/clip3.aiff")",
      R"(sox "/opt/tam bo/clip1.aiff" "/opt/tam bo/clip3.aiff"   "/opt/tam bo/dtrack6.aiff")",
      R"(sox "/opt/tam bo/dtrack6.aiff" "/opt/tam bo/clip2.aiff" trim 0.400000)",
      R"(sox "/opt/tam bo/dtrack6.aiff"   "/opt/tam bo/clip1.aiff" trim 0 0.400000)",
      R"(sox -m -v 1 "/opt/tam bo/drum13.aiff" -v 0 "/opt/tam bo/clip2.aiff"   "/opt/tam bo/clip3.aiff")",
      R"(sox "/opt/tam bo/clip1.aiff" "/opt/tam bo/clip3.aiff"   "/opt/tam bo/dtrack6.aiff")",
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack5.aiff")",
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack4.aiff")",
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack3.aiff")",
      // Track 3 under drum 5's window 1000-2000: secondary, then own sample.
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack2.aiff")",
      R"(sox "/opt/tam bo/dtrack2.aiff" "/opt/tam bo/clip2.aiff" trim 1.500000)",
      R"(sox "/opt/tam bo/dtrack2.aiff"   "/opt/tam bo/clip1.aiff" trim 0 1.500000)",
      R"(sox -m -v 1 "/opt/tam bo/drum5.aiff" -v 0 "/opt/tam bo/clip2.aiff"   "/opt/tam bo/clip3.aiff")",
      R"(sox "/opt/tam bo/clip1.aiff" "/opt/tam bo/clip3.aiff"   "/opt/tam bo/dtrack2.aiff")",
      R"(sox "/opt/tam bo/dtrack2.aiff" "/opt/tam bo/clip2.aiff" trim 2.500000)",
      R"(sox "/opt/tam bo/dtrack2.aiff"   "/opt/tam bo/clip1.aiff" trim 0 2.500000)",
      R"(sox -m -v 1 "/opt/tam bo/drum4.aiff" -v 0 "/opt/tam bo/clip2.aiff"   "/opt/tam bo/clip3.aiff")",
      R"(sox "/opt/tam bo/clip1.aiff" "/opt/tam bo/clip3.aiff"   "/opt/tam bo/dtrack2.aiff")",
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack1.aiff")",
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack0.aiff")",
      R"(del "/opt/tam bo/clip1.aiff")",
      R"(del "/opt/tam bo/clip2.aiff")",
      R"(del "/opt/tam bo/clip3.aiff")",
      R"(sox -v .7 "/opt/tam bo/dtrack0.aiff" "/opt/tam bo/dtrack0.wav")",
      R"(sox -v .7 "/opt/tam bo/dtrack1.aiff" "/opt/tam bo/dtrack1.wav")",
      R"(sox -v .7 "/opt/tam bo/dtrack2.aiff" "/opt/tam bo/dtrack2.wav")",
      R"(sox -v .7 "/opt/tam bo/dtrack3.aiff" "/opt/tam bo/dtrack3.wav")",
      R"(sox -v .7 "/opt/tam bo/dtrack4.aiff" "/opt/tam bo/dtrack4.wav")",
      R"(sox -v .7 "/opt/tam bo/dtrack5.aiff" "/opt/tam bo/dtrack5.wav")",
      R"(sox -v .7 "/opt/tam bo/dtrack6.aiff" "/opt/tam bo/dtrack6.wav")",
      R"(sox -v .7 "/opt/tam bo/dtrack7.aiff" "/opt/tam bo/dtrack7.wav")",
      R"(sox -v .7 "/opt/tam bo/dtrack8.aiff" "/opt/tam bo/dtrack8.wav")",
      R"(sox -v .7 "/opt/tam bo/dtrack9.aiff" "/opt/tam bo/dtrack9.wav")",
      // The secondaries tracks have hits: they are mixed in, silent as they are.
      R"(sox -m -v .60 "/opt/tam bo/dtrack2.wav" -v .60 "/opt/tam bo/dtrack4.wav" -v .60 "/opt/tam bo/dtrack6.wav" -v .60 "/opt/tam bo/dtrack9.wav" "/opt/tam bo/final.wav")",
  };
  for (const char* ext : {"wav", "aiff"}) {
    for (int n = 0; n < 10; ++n) {
      expected.push_back(std::string(R"(del "/opt/tam bo/dtrack)") + std::to_string(n) + "." + ext + "\"");
    }
  }
  for (const char* drum : {"drum4", "drum5", "drum8", "drum9", "drum12", "drum13", "drum19"}) {
    expected.push_back(std::string(R"(del "/opt/tam bo/)") + drum + ".aiff\"");
  }
  expected.push_back(R"(del "/opt/tam bo/dtrack.aiff")");
  expected.push_back(R"(del "/opt/tam bo/5.aiff")");
  ExpectPlan(expected);
  EXPECT_EQ(job.secondary5, 1);
  EXPECT_EQ(job.secondary10, 1);
}

TEST_F(RenderPlanTest, ReverseModeHitAtZeroEndsFiveSecondsIn) {
  RenderJob job = OldLayoutJob();
  job.effects = 0x0001;
  SetSample(job, 0, R"(Samples\kick.wav)");
  SetHits(job, 1, {0});

  EXPECT_TRUE(RunStages(job));
  const std::string extend =
      R"(sox.exe "/opt/tam bo/5.aiff"  "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack.aiff")";
  ExpectPlan({
      R"(copy "/opt/tam bo/5.dat" "/opt/tam bo/5.aiff")",
      R"(copy "/opt/tam bo/5.dat" "/opt/tam bo/dtrack.aiff")",
      extend, extend, extend,
      R"(sox  "/opt/tam bo/Samples\kick.wav" -c 1 -r 44100 "/opt/tam bo/drum0.aiff")",
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack4.aiff")",
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack3.aiff")",
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack2.aiff")",
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack1.aiff")",
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack0.aiff")",
      R"(sox "/opt/tam bo/dtrack0.aiff" "/opt/tam bo/clip2.aiff" trim 5.000000)",
      R"(sox "/opt/tam bo/dtrack0.aiff"   "/opt/tam bo/clip1.aiff" trim 0 5.000000)",
      R"(sox "/opt/tam bo/clip1.aiff" "/opt/tam bo/temp.aiff" reverse)",
      R"(sox -m -v .5 "/opt/tam bo/drum0.aiff" -v 1 "/opt/tam bo/temp.aiff"  "/opt/tam bo/clip1.aiff")",
      R"(sox "/opt/tam bo/clip1.aiff" "/opt/tam bo/temp.aiff" reverse)",
      R"(sox -v 1 "/opt/tam bo/temp.aiff" "/opt/tam bo/clip2.aiff" "/opt/tam bo/dtrack0.aiff")",
      R"(del "/opt/tam bo/clip1.aiff")",
      R"(del "/opt/tam bo/clip2.aiff")",
      R"(del "/opt/tam bo/temp.aiff")",
      R"(sox -v .7 "/opt/tam bo/dtrack0.aiff" "/opt/tam bo/dtrack0.wav")",
      R"(sox -v .7 "/opt/tam bo/dtrack1.aiff" "/opt/tam bo/dtrack1.wav")",
      R"(sox -v .7 "/opt/tam bo/dtrack2.aiff" "/opt/tam bo/dtrack2.wav")",
      R"(sox -v .7 "/opt/tam bo/dtrack3.aiff" "/opt/tam bo/dtrack3.wav")",
      R"(sox -v .7 "/opt/tam bo/dtrack4.aiff" "/opt/tam bo/dtrack4.wav")",
      R"(sox -m -v .60 "/opt/tam bo/dtrack0.wav" "/opt/tam bo/final.wav")",
      R"(del "/opt/tam bo/dtrack0.wav")",
      R"(del "/opt/tam bo/dtrack1.wav")",
      R"(del "/opt/tam bo/dtrack2.wav")",
      R"(del "/opt/tam bo/dtrack3.wav")",
      R"(del "/opt/tam bo/dtrack4.wav")",
      R"(del "/opt/tam bo/dtrack0.aiff")",
      R"(del "/opt/tam bo/dtrack1.aiff")",
      R"(del "/opt/tam bo/dtrack2.aiff")",
      R"(del "/opt/tam bo/dtrack3.aiff")",
      R"(del "/opt/tam bo/dtrack4.aiff")",
      R"(del "/opt/tam bo/drum0.aiff")",
      R"(del "/opt/tam bo/dtrack.aiff")",
      R"(del "/opt/tam bo/5.aiff")",
  });
  EXPECT_EQ(stage.log.str(), "x= 0\nx= 5000\nx= 10000\n");
}

TEST_F(RenderPlanTest, TimeZeroHitInNormalModeThenOneMillisecond) {
  RenderJob job = OldLayoutJob();
  SetSample(job, 1, R"(Samples\snare.wav)");
  SetHits(job, 2, {0, 1});

  PreparedSamples samples;
  ASSERT_TRUE(PrepareCanvasAndSamples(job, stage.env, samples));
  runner.Clear();
  PlaceBeats(job, stage.env, samples);
  ExpectPlan({
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack4.aiff")",
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack3.aiff")",
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack2.aiff")",
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack1.aiff")",
      R"(copy "/opt/tam bo/dtrack1.aiff" "/opt/tam bo/temp.aiff")",
      R"(sox -m -v 1 "/opt/tam bo/drum1.aiff" -v 0 "/opt/tam bo/temp.aiff"   "/opt/tam bo/dtrack1.aiff")",
      R"(del "/opt/tam bo/temp.aiff")",
      R"(sox "/opt/tam bo/dtrack1.aiff" "/opt/tam bo/clip2.aiff" trim 0.001000)",
      R"(sox "/opt/tam bo/dtrack1.aiff"   "/opt/tam bo/clip1.aiff" trim 0 0.001000)",
      R"(sox -m -v 1 "/opt/tam bo/drum1.aiff" -v 0 "/opt/tam bo/clip2.aiff"   "/opt/tam bo/clip3.aiff")",
      R"(sox "/opt/tam bo/clip1.aiff" "/opt/tam bo/clip3.aiff"   "/opt/tam bo/dtrack1.aiff")",
      R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack0.aiff")",
      R"(del "/opt/tam bo/clip1.aiff")",
      R"(del "/opt/tam bo/clip2.aiff")",
      R"(del "/opt/tam bo/clip3.aiff")",
  });
  EXPECT_EQ(stage.console.text(),
            "Constructing Drum 5\nConstructing Drum 4\nConstructing Drum 3\n"
            "Constructing Drum 2\nConstructing Drum 2\nConstructing Drum 1\n");
}

TEST_F(RenderPlanTest, ReverbStereoMixdown) {
  RenderJob job = NewLayoutJob();
  job.stereo = 1;
  job.effects = 0x0100;
  job.pan_text[0] = "-0.3";
  job.pan_text[9] = "0.7";
  SetSample(job, 0, R"(Samples\kick.wav)");
  SetSample(job, 18, R"(Samples\bell.wav)");
  SetHits(job, 1, {1000});
  SetHits(job, 10, {2000});

  EXPECT_TRUE(MixDownAndCleanUp(job, stage.env));
  Lines expected;
  for (int n = 0; n < 10; ++n) {
    const std::string pan = n == 0 ? "-0.3" : n == 9 ? "0.7" : "0.0";
    expected.push_back(R"(sox "/opt/tam bo/dtrack)" + std::to_string(n) + R"(.aiff" -c 2 "/opt/tam bo/dtrack)" +
                       std::to_string(n) + R"(.wav" pan )" + pan);
  }
  expected.push_back(
      R"(sox -m -v .60 "/opt/tam bo/dtrack0.wav" -v .60 "/opt/tam bo/dtrack9.wav" "/opt/tam bo/final.wav" reverb 60 50 100 100)");
  for (const char* ext : {"wav", "aiff"}) {
    for (int n = 0; n < 10; ++n) {
      expected.push_back(R"(del "/opt/tam bo/dtrack)" + std::to_string(n) + "." + ext + "\"");
    }
  }
  expected.push_back(R"(del "/opt/tam bo/drum0.aiff")");
  expected.push_back(R"(del "/opt/tam bo/drum18.aiff")");
  expected.push_back(R"(del "/opt/tam bo/dtrack.aiff")");
  expected.push_back(R"(del "/opt/tam bo/5.aiff")");
  ExpectPlan(expected);
}

TEST_F(RenderPlanTest, BeatCellsShowRecordedTimesAndSecondariesLabel) {
  testing::CollectingConsole console;
  Screen screen(console, /*terminal=*/true);
  RenderEnv env{runner, files, screen, stage.log, stage.clock, stage.input, stage.encoder};
  RenderJob job = NewLayoutJob();
  job.effects = 0x0001;  // reverse: cells still show the recorded time
  job.secondary5 = 1;
  for (int slot : {4, 5, 12}) SetSample(job, slot, "Samples\\s.wav");
  SetHits(job, 3, {1500, 2500});
  SetHits(job, 5, {1000, 2000});
  SetHits(job, 7, {0});

  PreparedSamples samples;
  ASSERT_TRUE(PrepareCanvasAndSamples(job, env, samples));
  PlaceBeats(job, env, samples);
  const std::string visible = std::regex_replace(console.text(), std::regex("\x1b\\[[0-9;]*[A-Za-z]"), "|");
  std::vector<std::string> events;
  const std::regex event("Constructing Drum \\d+|\\d+ms|Secondaries");
  for (auto it = std::sregex_iterator(visible.begin(), visible.end(), event); it != std::sregex_iterator(); ++it) {
    events.push_back(it->str());
  }
  EXPECT_EQ(events, (std::vector<std::string>{
                        "Constructing Drum 10", "Constructing Drum 9", "Constructing Drum 8",
                        "Constructing Drum 7", "0ms", "Constructing Drum 6", "Constructing Drum 5",
                        "Secondaries", "Constructing Drum 4", "Constructing Drum 3", "1500ms",
                        "2500ms", "Constructing Drum 2", "Constructing Drum 1"}));
}

TEST_F(RenderPlanTest, CanvasExtensionCoversTheLastHit) {
  struct Case {
    uint32_t max_hit_time;
    uint16_t effects;
    const char* log;
  } cases[] = {
      {0, 0, ""},
      {0, 1, "x= 0\nx= 5000\nx= 10000\n"},
      {2500, 0, ""},
      {2501, 0, "x= 15000\n"},
      {7500, 0, "x= 15000\n"},
      {7501, 0, "x= 15000\nx= 20000\n"},
      {2500, 1, "x= 0\nx= 5000\nx= 10000\n"},
      {2501, 1, "x= 0\nx= 5000\nx= 10000\nx= 15000\n"},
  };
  for (const Case& c : cases) {
    RecordingRunner run;
    StageEnv env(run, files);
    RenderJob job = OldLayoutJob();
    job.max_hit_time = c.max_hit_time;
    job.effects = c.effects;
    PreparedSamples samples;
    ASSERT_TRUE(PrepareCanvasAndSamples(job, env.env, samples));
    EXPECT_EQ(env.log.str(), c.log) << c.max_hit_time << " reverse " << c.effects;
    const auto extensions = std::count_if(run.lines().begin(), run.lines().end(), [](const std::string& l) {
      return l.rfind("sox.exe ", 0) == 0;
    });
    EXPECT_EQ(extensions, std::count(c.log, c.log + std::strlen(c.log), '\n'));
  }
}

TEST_F(RenderPlanTest, SecondaryFlagsAndSampleSkips) {
  // Drum 5 steers but has no hits: its flag is cleared and slot 9 converted.
  // Drum 10's flag is 2, not 1: slot 19 is converted and track 10 is built.
  RenderJob job = NewLayoutJob();
  job.secondary5 = 1;
  job.secondary10 = 2;
  for (int slot : {8, 9, 18, 19}) SetSample(job, slot, "Samples\\x" + std::to_string(slot) + ".wav");
  SetHits(job, 10, {1000, 3000, 2000});

  PreparedSamples samples;
  ASSERT_TRUE(PrepareCanvasAndSamples(job, stage.env, samples));
  EXPECT_EQ(job.secondary5, 0);
  EXPECT_EQ(job.secondary10, 2);
  Lines converted;
  for (const std::string& line : runner.lines()) {
    if (line.find("-c 1 -r 44100") != std::string::npos) converted.push_back(line.substr(line.rfind('/') + 1));
  }
  EXPECT_EQ(converted, (Lines{"drum8.aiff\"", "drum9.aiff\"", "drum18.aiff\"", "drum19.aiff\""}));

  // Track 10 takes its windows from its own list: 1000-3000.
  runner.Clear();
  PlaceBeats(job, stage.env, samples);
  Lines mixed_in;
  for (const std::string& line : runner.lines()) {
    if (line.rfind("sox -m -v 1 ", 0) != 0) continue;
    const size_t at = line.find("drum");
    mixed_in.push_back(line.substr(at, line.find('.', at) - at));
  }
  EXPECT_EQ(mixed_in, (Lines{"drum18", "drum18", "drum19"}));
}

TEST_F(RenderPlanTest, MissingTemplateStopsBeforeAnyAudioWork) {
  ListedFiles nothing({});
  StageEnv env(runner, nothing);
  RenderJob job = OldLayoutJob();
  SetSample(job, 0, "Samples\\kick.wav");
  SetHits(job, 1, {100});
  PreparedSamples samples;
  EXPECT_FALSE(PrepareCanvasAndSamples(job, env.env, samples));
  EXPECT_TRUE(runner.lines().empty());
  EXPECT_EQ(env.log.str(), "Cannot make the audio: the template /opt/tam bo/5.dat is missing\n");
  EXPECT_EQ(env.console.text(), env.log.str());
}

TEST_F(RenderPlanTest, TemplateThatCannotBeCopiedStopsAndTidiesUp) {
  runner.FailLine(R"(copy "/opt/tam bo/5.dat" "/opt/tam bo/dtrack.aiff")", "not an audio file");
  RenderJob job = OldLayoutJob();
  PreparedSamples samples;
  EXPECT_FALSE(PrepareCanvasAndSamples(job, stage.env, samples));
  ExpectPlan({
      R"(copy "/opt/tam bo/5.dat" "/opt/tam bo/5.aiff")",
      R"(copy "/opt/tam bo/5.dat" "/opt/tam bo/dtrack.aiff")",
      R"(del "/opt/tam bo/5.aiff")",
  });
  EXPECT_EQ(stage.log.str(),
            "Cannot make the audio: the template /opt/tam bo/5.dat could not be copied: not an audio file\n");
}

TEST_F(RenderPlanTest, UnreadableSampleIsReportedOnceAndItsHitsLeftOut) {
  runner.FailLine(R"(sox  "/opt/tam bo/Samples\kick.wav" -c 1 -r 44100 "/opt/tam bo/drum0.aiff")",
                  "no such file");
  RenderJob job = OldLayoutJob();
  SetSample(job, 0, R"(Samples\kick.wav)");
  SetSample(job, 1, R"(Samples\snare.wav)");
  SetHits(job, 1, {100, 0});
  SetHits(job, 2, {200});

  EXPECT_TRUE(RunStages(job));
  const std::string warning =
      "Drum 1: sample \"Samples\\kick.wav\" cannot be read (tried /opt/tam bo/Samples\\kick.wav): "
      "no such file; its hits are left out\n";
  EXPECT_EQ(stage.log.str(), warning);
  EXPECT_NE(stage.console.text().find(warning), std::string::npos);
  // Track 1 stays the copy of the canvas; track 2 gets its hit.
  const Lines& lines = runner.lines();
  const auto track1 = std::find(lines.begin(), lines.end(),
                                R"(copy "/opt/tam bo/dtrack.aiff" "/opt/tam bo/dtrack0.aiff")");
  ASSERT_NE(track1, lines.end());
  EXPECT_EQ(*(track1 + 1), R"(del "/opt/tam bo/clip1.aiff")");
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.find("drum1.aiff\" -v 0") != std::string::npos; }),
            1);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.find("drum0.aiff\" -v 0") != std::string::npos; }),
            0);
}

TEST_F(RenderPlanTest, HitsWithoutANamedSampleGetOneWarningPerDrum) {
  // Drum 3's own sample (slot 4) is named, its secondary (slot 5) is not:
  // the two hits inside drum 5's window 1000-2000 are left out.
  RenderJob job = NewLayoutJob();
  job.secondary5 = 1;
  SetSample(job, 4, "Samples\\tom.wav");
  SetHits(job, 3, {500, 1200, 1800, 2500});
  SetHits(job, 5, {1000, 2000});
  SetHits(job, 1, {100});  // slot 0 names nothing either

  PreparedSamples samples;
  ASSERT_TRUE(PrepareCanvasAndSamples(job, stage.env, samples));
  PlaceBeats(job, stage.env, samples);
  EXPECT_EQ(stage.log.str(),
            "Drum 3: 2 hit(s) left out: the pattern names no sample for them\n"
            "Drum 1: 1 hit(s) left out: the pattern names no sample for them\n");
  EXPECT_EQ(std::count_if(runner.lines().begin(), runner.lines().end(),
                          [](const std::string& l) { return l.rfind("sox -m -v 1 ", 0) == 0; }),
            2);
}

TEST_F(RenderPlanTest, HitsPastSixHoursAreLeftOutWithAWarning) {
  RenderJob job = OldLayoutJob();
  SetHits(job, 2, {1000, 4000000000u, 21600001, 21600000});
  SetHits(job, 4, {3000});
  LeaveOutLateHits(job, stage.env);
  EXPECT_EQ(job.hits[1], (std::vector<uint32_t>{1000, 21600000}));
  EXPECT_EQ(job.max_hit_time, 21600000u);
  EXPECT_EQ(stage.log.str(),
            "Drum 2: 2 hit(s) left out, later than 21600000 ms (first at 4000000000 ms)\n");
}

TEST_F(RenderPlanTest, MixdownWithoutHitsFailsLikeAnyLine) {
  for (uint16_t effects : {0x0000, 0x0100}) {
    RecordingRunner run;
    const std::string mix = std::string(R"(sox -m "/opt/tam bo/final.wav")") +
                            (effects ? " reverb 60 50 100 100" : "");
    run.FailLine(mix, "no input files");
    StageEnv env(run, files);
    RenderJob job = OldLayoutJob();
    job.effects = effects;
    EXPECT_FALSE(MixDownAndCleanUp(job, env.env));
    EXPECT_EQ(run.lines().at(5), mix);
    EXPECT_EQ(env.log.str(), "Mixing down failed: no input files\n");
  }
}

}  // namespace
}  // namespace tamboro
