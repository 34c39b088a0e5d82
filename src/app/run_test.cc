#include "app/run.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "console/screen.h"
#include "platform/clock.h"
#include "render/render_pattern.h"
#include "support/ktb_builder.h"
#include "support/screen_model.h"

namespace tamboro {
namespace {

using testing::KtbBuilder;

class FixedClock : public Clock {
 public:
  std::time_t Now() override { return 1'200'000'000; }
};

// The driver in process, with a program folder of its own and a renderer
// that only keeps what it was handed.
class RunTest : public ::testing::Test {
 protected:
  RunTest() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tamboro-run-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp " + pattern);
    dir_ = pattern + "/";
  }
  ~RunTest() override { std::filesystem::remove_all(dir_); }

  void WriteConfig(const std::string& kit, const std::string& balances, const std::string& tail) {
    std::ofstream(dir_ + "tamboro.cfg") << "kit=" << kit << "\nformat=2\nstereo=1\n"
                                        << balances << tail;
  }

  // Runs with the given arguments; the first, when "@", is the pattern path.
  void RunWith(std::vector<std::string> args) {
    for (auto& arg : args) {
      if (arg == "@") arg = dir_ + "song.ktb";
    }
    RunEnv env{screen_, input_, clock_, dir_,
               [this](RenderJob& job, std::ostream& log) {
                 job_ = job;
                 console_at_render_ = model_.raw();
                 log << "rendered\n";
                 return 1;
               }};
    EXPECT_EQ(tamboro::Run(args, env), 1);
  }

  std::string dir_;
  ScreenModel model_;
  Screen screen_{model_, false};
  std::istringstream input_;
  FixedClock clock_;
  std::optional<RenderJob> job_;
  std::string console_at_render_;
};

constexpr char kTenBalances[] =
    "=0.0\n=0.1\n=0.2\n=0.3\n=0.4\n=-0.5\n=-0.6\n=-0.7\n=-0.8\n=1\n";

TEST_F(RunTest, NewLayoutHandsTheRendererEverythingItNeeds) {
  KtbBuilder::NewLayout()
      .Sample(0, "Samples\\kick.wav")
      .Sample(9, "Samples\\snare.wav")
      .Secondary(4, 1)
      .Secondary(9, 2)
      .Hits(0, {500, 100})
      .Hits(9, {3000000})
      .WriteTo(dir_ + "song.ktb");
  WriteConfig("1", kTenBalances, "=1\n=1\n");  // PS3 kit map: no effect on the new layout
  RunWith({"@", "3"});

  ASSERT_TRUE(job_.has_value());
  const RenderJob& job = *job_;
  EXPECT_EQ(job.program_dir, dir_);
  EXPECT_TRUE(job.new_layout);
  EXPECT_EQ(job.drum_count, 10);
  EXPECT_EQ(job.start_time, 1'200'000'000);
  EXPECT_EQ(job.samples[0], "Samples\\kick.wav");
  EXPECT_EQ(job.samples[9], "Samples\\snare.wav");
  EXPECT_EQ(job.sample_present[0], 1);
  EXPECT_EQ(job.sample_present[1], 0);
  EXPECT_EQ(job.secondary5, 1);
  EXPECT_EQ(job.secondary10, 2);
  EXPECT_EQ(job.hits[0], (std::vector<uint32_t>{500, 100}));
  EXPECT_EQ(job.hits[9], (std::vector<uint32_t>{3000000}));
  EXPECT_EQ(job.max_hit_time, 3000000u);
  EXPECT_EQ(job.pan_channel, (std::array<int, 10>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(job.pan_text, (std::array<std::string, 10>{"0.0", "0.1", "0.2", "0.3", "0.4", "-0.5",
                                                       "-0.6", "-0.7", "-0.8", "1"}));
  EXPECT_EQ(job.stereo, 1);
  EXPECT_EQ(job.effects, 0x0101);
  EXPECT_EQ(job.output_base, dir_ + "song");
  EXPECT_EQ(job.output_format, 3);  // the argument over the file's 2

  const std::string beginning = "Beginning Construction of Audio File\n";
  ASSERT_GE(console_at_render_.size(), beginning.size());
  EXPECT_EQ(console_at_render_.substr(console_at_render_.size() - beginning.size()), beginning);
}

TEST_F(RunTest, OldLayoutPanChannelsAndSampleOrderFollowTheKit) {
  struct Case {
    std::string kit_map;
    std::vector<std::string> args;
    std::array<int, 5> channels;
    std::array<std::string, 5> samples;
  };
  for (const Case& c : {
           Case{"0", {"@"}, {3, 0, 2, 1, 4}, {"D", "A", "C", "B", "E"}},
           Case{"1", {"@", "1"}, {2, 3, 0, 1, 4}, {"C", "D", "A", "B", "E"}},
           // A drum type on the command line leaves the channels at the start row.
           Case{"1", {"@", "1", "0"}, {1, 3, 2, 0, 4}, {"D", "A", "C", "B", "E"}},
           Case{"0", {"@", "1", "1"}, {1, 3, 2, 0, 4}, {"C", "D", "A", "B", "E"}},
       }) {
    SCOPED_TRACE(c.kit_map + " with " + std::to_string(c.args.size()) + " arguments");
    job_.reset();
    KtbBuilder::OldLayout()
        .Sample(0, "A").Sample(1, "B").Sample(2, "C").Sample(3, "D").Sample(4, "E")
        .Hits(1, {10})
        .WriteTo(dir_ + "song.ktb");
    WriteConfig(c.kit_map, kTenBalances, "=0\n=1\n");
    RunWith(c.args);
    ASSERT_TRUE(job_.has_value());
    EXPECT_FALSE(job_->new_layout);
    EXPECT_EQ(job_->drum_count, 5);
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(job_->pan_channel[i], c.channels[i]) << i;
      EXPECT_EQ(job_->samples[i], c.samples[i]) << i;
    }
    EXPECT_EQ(job_->effects, 0x0100);
  }
}

TEST_F(RunTest, RendersNothingWhenTheRunStopsEarly) {
  KtbBuilder::OldLayout().Sample(0, "A").Hits(0, {10}).WriteTo(dir_ + "song.ktb");
  WriteConfig("0", kTenBalances, "=0\n=0\n");
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {"@", "1", "5"}, {"@", "1", "0", "x"}, {dir_ + "missing.ktb"}}) {
    RunWith(args);
    EXPECT_FALSE(job_.has_value()) << args.size() << " arguments";
  }
}

TEST_F(RunTest, TerminalShowsTheGridOnACleanScreenAndTheMessageInTheStatusArea) {
  ScreenModel model;
  Screen screen(model, true);
  for (int row = 1; row <= ScreenModel::kRows; ++row) model.Write("$ earlier shell output\n");
  RunEnv env{screen, input_, clock_, dir_, [](RenderJob&, std::ostream&) { return 1; }};
  tamboro::Run({dir_ + "missing.ktb"}, env);

  EXPECT_EQ(model.Text(1, 1, 14), " TAMBORO v.97a");
  EXPECT_EQ(model.Text(8, 5, 7), "Drum 10");
  EXPECT_EQ(model.Text(68, 13, 7), "Drum 01");
  EXPECT_EQ(model.Text(1, 18, 23), "Error opening KTB file ");
  for (int row = 1; row <= ScreenModel::kRows; ++row) {
    EXPECT_EQ(model.Row(row).find("shell"), std::string::npos) << row;
  }
  EXPECT_TRUE(model.errors().empty());
}

}  // namespace
}  // namespace tamboro
