#include "output/deliver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <deque>
#include <set>
#include <sstream>

#include "audio/work_dir.h"
#include "console/console_writer.h"
#include "console/screen.h"
#include "output/mp3_encoder.h"
#include "output/output_name.h"
#include "platform/clock.h"
#include "support/captured_text.h"
#include "support/recording_runner.h"
#include "support/screen_model.h"

namespace tamboro {
namespace {

using testing::RecordingRunner;

// 2008-03-15 14:05:09 UTC.
constexpr std::time_t kStart = 1205589909;

class ListedWorkDir : public WorkDir {
 public:
  bool Exists(const std::string& path) const override { return files.count(path) > 0; }
  std::unique_ptr<ByteReader> OpenRead(const std::string&, std::string* error) const override {
    *error = "not readable here";
    return nullptr;
  }
  bool Persist(const std::string& path, std::string* error) override {
    persisted.push_back(path);
    if (!persist_error.empty()) *error = persist_error;
    return persist_error.empty();
  }
  bool ReadClip(const std::string&, Clip*, std::string* error) override { return No(error); }
  bool WriteClip(const std::string&, const Clip&, std::string* error) override { return No(error); }
  bool Copy(const std::string&, const std::string&, std::string* error) override { return No(error); }
  bool Remove(const std::string&, std::string* error) override { return No(error); }
  static bool No(std::string* error) {
    *error = "not used by delivery";
    return false;
  }
  std::set<std::string> files;
  std::vector<std::string> persisted;
  std::string persist_error;
};

class SteppingClock : public Clock {
 public:
  explicit SteppingClock(std::deque<std::time_t> times) : times_(std::move(times)) {}
  std::time_t Now() override {
    std::time_t t = times_.front();
    if (times_.size() > 1) times_.pop_front();
    return t;
  }

 private:
  std::deque<std::time_t> times_;
};

class FakeEncoder : public Mp3Encoder {
 public:
  Mp3Result Encode(const std::string& wav, const std::string& base, uint8_t stereo) override {
    calls.push_back(wav + " -> " + base + " stereo " + std::to_string(stereo));
    return result;
  }
  std::vector<std::string> calls;
  Mp3Result result;
};

class DeliverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    work_dir.files.insert("/prog/final.wav");
    request.program_dir = "/prog/";
    request.output_base = "/songs/beat1";
    request.start_time = kStart;
    request.stereo = 1;
  }

  bool Deliver(std::string answer = "") {
    input.str(answer);
    DeliveryEnv env{runner, work_dir, screen, log, clock, input, encoder};
    return DeliverOutput(request, env);
  }

  RecordingRunner runner;
  ListedWorkDir work_dir;
  testing::CollectingConsole console;
  Screen screen{console, false};
  std::ostringstream log;
  SteppingClock clock{{kStart + 20, kStart + 37}};
  std::istringstream input;
  FakeEncoder encoder;
  DeliveryRequest request;
};

TEST(OutputSuffixTest, TwelveHourClockInLocalTime) {
  setenv("TZ", "UTC", 1);
  tzset();
  struct Case {
    std::time_t t;
    const char* suffix;
  } cases[] = {
      {kStart, "_03-15-08_02.05PM"},
      {1205541000, "_03-15-08_12.30AM"},   // 00:30
      {1205584200, "_03-15-08_12.30PM"},   // 12:30
      {1230767999, "_12-31-08_11.59PM"},
  };
  for (const Case& c : cases) EXPECT_EQ(OutputSuffix(c.t), c.suffix) << c.t;

  setenv("TZ", "EST5", 1);  // local time, not UTC
  tzset();
  EXPECT_EQ(OutputSuffix(kStart), "_03-15-08_09.05AM");
  setenv("TZ", "UTC", 1);
  tzset();
}

TEST_F(DeliverTest, WavSuccessWritesExactLinesAndClosingText) {
  request.output_format = 2;
  EXPECT_TRUE(Deliver());
  const std::string name = "/songs/beat1_03-15-08_02.05PM.wav";
  EXPECT_EQ(request.output_base, name);
  EXPECT_EQ(runner.lines(), (std::vector<std::string>{
                                "sox \"/prog/final.wav\" \"" + name + "\"",
                                "del \"/prog/final.wav\"",
                            }));
  EXPECT_TRUE(work_dir.persisted.empty());
  EXPECT_EQ(log.str(), "\nCreated\n" + name +
                           "\n..hopefully\n"
                           "Finished on Sat Mar 15 14:05:46 2008\n"
                           "\n"
                           "Operations took 37 seconds");
  EXPECT_NE(console.text().find("\nCreated\n" + name + "\n..hopefully"), std::string::npos);
  EXPECT_EQ(console.text().substr(console.text().size() - 11), "..hopefully");
  EXPECT_EQ(console.text().find("Please Make a selection"), std::string::npos);
}

TEST_F(DeliverTest, AiffLineHasThreeBlanksBetweenNames) {
  request.output_format = 3;
  EXPECT_TRUE(Deliver());
  EXPECT_EQ(runner.lines().at(0),
            "sox \"/prog/final.wav\"   \"/songs/beat1_03-15-08_02.05PM.aiff\"");
  EXPECT_EQ(runner.lines().at(1), "del \"/prog/final.wav\"");
}

TEST_F(DeliverTest, Mp3GoesThroughTheEncoderWithoutExtension) {
  request.output_format = 1;
  request.stereo = 0;
  EXPECT_TRUE(Deliver());
  EXPECT_EQ(encoder.calls, (std::vector<std::string>{
                               "/prog/final.wav -> /songs/beat1_03-15-08_02.05PM stereo 0"}));
  EXPECT_EQ(request.output_base, "/songs/beat1_03-15-08_02.05PM.mp3");
  EXPECT_EQ(runner.lines(), (std::vector<std::string>{"del \"/prog/final.wav\""}));
}

TEST_F(DeliverTest, MenuAnswersPickTheFormat) {
  struct Case {
    const char* answer;
    const char* extension;
  } cases[] = {{"2\n", ".wav"}, {"3\n", ".aiff"}, {"  3\n", ".aiff"}, {"1\n", ".mp3"},
               {"0\n", ".mp3"}, {"4\n", ".mp3"},  {"-1\n", ".mp3"},  {"x\n", ".mp3"},
               {"", ".mp3"}};
  for (const Case& c : cases) {
    SetUp();
    request = {"/prog/", "/songs/beat1", 0, 1, kStart};
    console.Clear();
    EXPECT_TRUE(Deliver(c.answer)) << c.answer;
    EXPECT_EQ(request.output_base, std::string("/songs/beat1_03-15-08_02.05PM") + c.extension)
        << c.answer;
    EXPECT_NE(console.text().find("TAMBORO v.97a  Conversion Tool for Orvaldis Thumpbox\n"
                                 " The time has come to pick a file format:\n"
                                 "  1. MP3(Default)\n"
                                 "  2. wav\n"
                                 "  3. AIFF\n"
                                 " Please Make a selection: "),
              std::string::npos);
  }
}

TEST_F(DeliverTest, MenuStandsAtTheTopOfAScreenClearedTwice) {
  ScreenModel model;
  Screen terminal(model, true);
  input.str("2\n");
  DeliveryEnv env{runner, work_dir, terminal, log, clock, input, encoder};
  ASSERT_TRUE(DeliverOutput(request, env));
  EXPECT_TRUE(model.errors().empty());
  size_t clears = 0;
  for (size_t at = model.raw().find("\x1b[2J"); at != std::string::npos;
       at = model.raw().find("\x1b[2J", at + 1)) {
    ++clears;
  }
  EXPECT_EQ(clears, 2u);
  EXPECT_EQ(model.Text(1, 1, 52), "TAMBORO v.97a  Conversion Tool for Orvaldis Thumpbox");
  EXPECT_EQ(model.Text(1, 6, 26), " Please Make a selection: ");
  EXPECT_EQ(model.Text(1, 7, 7), "Created");  // the answer's Enter ends row 6
}

TEST_F(DeliverTest, ElapsedTimeInDefaultFloatingForm) {
  clock = SteppingClock({kStart, kStart + 1234567});
  request.output_format = 2;
  log << std::fixed;  // the log's own state does not change the figure
  Deliver();
  const std::string text = log.str();
  EXPECT_EQ(text.substr(text.rfind("Operations")), "Operations took 1.23457e+06 seconds");
}

struct FailureCase {
  const char* name;
  int format;
  bool mix_made;
  const char* failing_line;   // runner line that fails, or ""
  const char* runner_error;
  Mp3Result mp3;
  const char* output_name;
  const char* reason;
  bool persisted;
};

TEST_F(DeliverTest, FailuresAreReportedAndTheMixIsKept) {
  const std::string base = "/songs/beat1_03-15-08_02.05PM";
  const FailureCase cases[] = {
      {"mix missing", 1, false, "", "", {}, ".mp3", "the mix /prog/final.wav was not made", false},
      {"encoder not loaded", 1, true, "", "", {-1, "the MP3 encoder library could not be loaded"},
       ".mp3", "the MP3 encoder library could not be loaded; the mix is kept as /prog/final.wav",
       true},
      {"folder not writable", 2, true,
       "sox \"/prog/final.wav\" \"/songs/beat1_03-15-08_02.05PM.wav\"",
       "cannot write /songs/x.wav: Permission denied", {}, ".wav", "cannot write /songs/x.wav: Permission denied; the mix is kept as /prog/final.wav",
       true},
      {"disk full", 3, true,
       "sox \"/prog/final.wav\"   \"/songs/beat1_03-15-08_02.05PM.aiff\"",
       "writing /songs/x.aiff: No space left on device", {}, ".aiff",
       "writing /songs/x.aiff: No space left on device; the mix is kept as /prog/final.wav", true},
      {"unknown format", 7, true, "", "", {}, "",
       "unknown output format 7; the mix is kept as /prog/final.wav", true},
      {"unknown format, no mix", -2, false, "", "", {}, "", "unknown output format -2", false},
  };
  for (const FailureCase& c : cases) {
    SetUp();
    runner = RecordingRunner();
    work_dir = ListedWorkDir();
    if (c.mix_made) work_dir.files.insert("/prog/final.wav");
    if (*c.failing_line) runner.FailLine(c.failing_line, c.runner_error);
    encoder = FakeEncoder();
    encoder.result = c.mp3;
    clock = SteppingClock({kStart + 20, kStart + 37});
    log.str("");
    console.Clear();
    request = {"/prog/", "/songs/beat1", c.format, 1, kStart};

    EXPECT_FALSE(Deliver()) << c.name;
    const std::string name = base + c.output_name;
    EXPECT_EQ(request.output_base, name) << c.name;
    const std::string closing = "\nFailed to create\n" + name + "\n" + c.reason;
    EXPECT_EQ(log.str(), closing +
                             "\nFinished on Sat Mar 15 14:05:46 2008\n\n"
                             "Operations took 37 seconds")
        << c.name;
    EXPECT_EQ(console.text().substr(console.text().size() - closing.size()), closing) << c.name;
    EXPECT_EQ(console.text().find("Created"), std::string::npos) << c.name;
    EXPECT_EQ(work_dir.persisted.size(), c.persisted ? 1u : 0u) << c.name;
    for (const std::string& line : runner.lines()) {
      EXPECT_NE(line, "del \"/prog/final.wav\"") << c.name;  // the mix is never thrown away
    }
    if (*c.failing_line) {
      // The partly written output goes.
      EXPECT_EQ(runner.lines().back(), "del \"" + name + "\"") << c.name;
    }
  }
  EXPECT_TRUE(encoder.calls.empty());  // no mix, no encoding
}

TEST_F(DeliverTest, MixThatCannotBeKeptIsSaid) {
  request.output_format = 1;
  encoder.result = {-1, "cannot create /songs/beat1_03-15-08_02.05PM.mp3: File name too long"};
  work_dir.persist_error = "No space left on device";
  EXPECT_FALSE(Deliver());
  EXPECT_NE(log.str().find("\nFailed to create\n/songs/beat1_03-15-08_02.05PM.mp3\n"
                           "cannot create /songs/beat1_03-15-08_02.05PM.mp3: File name too long; "
                           "the mix could not be kept as /prog/final.wav: No space left on device\n"),
            std::string::npos)
      << log.str();
}

TEST_F(DeliverTest, QuoteInTheOutputNameIsRefusedNotPassedToTheTool) {
  request.output_format = 2;
  request.output_base = "/songs/a\" \"b";
  EXPECT_FALSE(Deliver());
  EXPECT_TRUE(runner.lines().empty());
  EXPECT_NE(log.str().find("double quote"), std::string::npos);
  EXPECT_EQ(work_dir.persisted.size(), 1u);
}

}  // namespace
}  // namespace tamboro
