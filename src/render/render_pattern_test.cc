// RenderPattern from end to end on the recording runner: the stages, then
// delivery, and the early stop when the template is missing.

#include "render/render_pattern.h"

#include <gtest/gtest.h>

#include <string>

#include "render/stage_test_env.h"
#include "support/recording_runner.h"

namespace tamboro {
namespace {

using testing::ListedFiles;
using testing::RecordingRunner;
using testing::StageEnv;

RenderJob WavJob() {
  RenderJob job;
  job.program_dir = "/prog/";
  job.samples[0] = "Samples\\kick.wav";
  job.sample_present[0] = 1;
  job.hits[0] = {500};
  job.max_hit_time = 500;
  job.pan_channel = {1, 3, 2, 0, 4, 0, 0, 0, 0, 0};
  job.output_base = "/songs/beat1";
  job.output_format = 2;
  return job;
}

TEST(RenderPatternTest, RendersThenDeliversAndReturnsTheOutputName) {
  RecordingRunner runner;
  ListedFiles files({"/prog/5.dat", "/prog/final.wav"});
  StageEnv stage(runner, files);
  RenderJob job = WavJob();

  EXPECT_EQ(RenderPattern(job, stage.env), 1);
  const auto& lines = runner.lines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], R"(copy "/prog/5.dat" "/prog/5.aiff")");
  EXPECT_EQ(lines[lines.size() - 3], R"(del "/prog/5.aiff")");
  EXPECT_EQ(lines[lines.size() - 2], "sox \"/prog/final.wav\" \"" + job.output_base + "\"");
  EXPECT_EQ(lines.back(), R"(del "/prog/final.wav")");
  EXPECT_EQ(job.output_base.rfind("/songs/beat1_", 0), 0u) << job.output_base;
  EXPECT_EQ(job.output_base.size(), std::string("/songs/beat1").size() + 17 + 4);
  EXPECT_NE(stage.console.text().find("Created\n" + job.output_base), std::string::npos);
}

TEST(RenderPatternTest, MissingTemplateMakesNothingAndClaimsNothing) {
  RecordingRunner runner;
  ListedFiles files({});
  StageEnv stage(runner, files);
  RenderJob job = WavJob();

  EXPECT_EQ(RenderPattern(job, stage.env), 1);
  EXPECT_TRUE(runner.lines().empty());
  EXPECT_EQ(job.output_base, "/songs/beat1");
  EXPECT_EQ(stage.log.str(), "Cannot make the audio: the template /prog/5.dat is missing\n");
  EXPECT_EQ(stage.console.text().find("Created"), std::string::npos);
}

TEST(RenderPatternTest, FailedMixIsReportedAsFailureNotSuccess) {
  RecordingRunner runner;
  runner.FailLine(R"(sox -m "/prog/final.wav")", "no input files");
  ListedFiles files({"/prog/5.dat"});  // the failed mix leaves no final.wav
  StageEnv stage(runner, files);
  RenderJob job = WavJob();
  job.hits[0].clear();
  job.max_hit_time = 0;

  RenderPattern(job, stage.env);
  EXPECT_NE(stage.log.str().find("Mixing down failed: no input files\n"), std::string::npos);
  EXPECT_EQ(stage.log.str().find("Created"), std::string::npos);
  EXPECT_NE(stage.log.str().find("Failed to create"), std::string::npos);
}

}  // namespace
}  // namespace tamboro
