// Hostile input, end to end. Every run ends with result 1 within five
// seconds and without a crash. Input the program cannot use is refused with
// a message naming the file, nothing is claimed as created and nothing is
// left in the program folder but the log (and the mix, when only its
// delivery failed). Input it can use in part still delivers.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <numbers>
#include <functional>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "console/console_writer.h"
#include "console/screen.h"
#include "pattern/read_pattern_body.h"
#include "pattern/read_pattern_header.h"
#include "platform/clock.h"
#include "support/ktb_builder.h"
#include "support/program_folder.h"

namespace tamboro {
namespace {

namespace fs = std::filesystem;
using testing::KtbBuilder;

constexpr int kTimeoutSeconds = 5;

// 8820 frames of a decaying tone, mono 16-bit WAV: 0.2 s at 44100 Hz.
std::string ToneWav(uint32_t rate = 44100) {
  constexpr uint32_t kFrames = 8820;
  std::string wav;
  auto u32 = [&wav](uint32_t v) { testing::AppendU32(wav, v); };
  auto u16 = [&wav](uint16_t v) {
    wav.push_back(static_cast<char>(v & 0xFF));
    wav.push_back(static_cast<char>(v >> 8));
  };
  wav += "RIFF";
  u32(36 + 2 * kFrames);
  wav += "WAVEfmt ";
  u32(16);
  u16(1);
  u16(1);
  u32(rate);
  u32(2 * rate);
  u16(2);
  u16(16);
  wav += "data";
  u32(2 * kFrames);
  for (uint32_t i = 0; i < kFrames; ++i) {
    const double t = static_cast<double>(i);
    const double x = std::sin(2 * std::numbers::pi * 440 * t / 44100.0) * std::exp(-t / 2000.0);
    u16(static_cast<uint16_t>(static_cast<int16_t>(x * 20000)));
  }
  return wav;
}

std::string Junk(size_t size, uint32_t seed, char first) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  bytes[0] = first;
  return bytes;
}

// A pattern that plays the tone on drum 1.
std::string TonePattern() {
  return KtbBuilder::NewLayout().Sample(0, "Samples\\tone.wav").Hits(0, {0, 500, 1000}).Build();
}

enum class Outcome {
  kRefused,    // nothing made: only the log is left
  kMixKept,    // the mix was made but not delivered: the log and final.wav
  kDelivered,  // the output lies next to the pattern
};

struct HostileCase {
  std::string name;
  std::function<std::vector<std::string>(ProgramFolder&)> setup;  // writes the inputs, gives the arguments
  Outcome outcome = Outcome::kRefused;
  std::vector<std::string> says;  // texts the console must show, the problem first
  bool names_pattern = false;     // one console line holds the problem and the pattern's path
  bool log_made = true;           // ktblog.txt is among the files the run leaves
  bool needs_non_root = false;    // permissions do not stop root
  bool keep_template = true;
  bool keep_config = true;
};

void PrintTo(const HostileCase& c, std::ostream* out) { *out << c.name; }

// The pattern as songs/x.ktb, to be made a WAV file.
std::vector<std::string> PatternRun(ProgramFolder& folder, const std::string& bytes) {
  return {folder.WriteFile("songs/x.ktb", bytes), "2"};
}

// Makes folders under every name the output can take in this minute and
// the next, so the output cannot be written, even by root.
void BlockOutputNames(ProgramFolder& folder, const std::string& base, const std::string& extension) {
  const std::time_t now = std::time(nullptr);
  for (std::time_t t : {now, now + 60}) {
    fs::create_directories(folder.Path(base + FormatLocalTime(t, "_%m-%d-%y_%I.%M%p") + extension));
  }
}

std::vector<HostileCase> HostileCases() {
  const std::vector<std::string> refused = {"KTB file is"};
  return {
      {.name = "JunkFileOf2MB",
       .setup = [](ProgramFolder& f) { return PatternRun(f, Junk(2 << 20, 1, 'x')); },
       .says = refused,
       .names_pattern = true},
      {.name = "JunkFileOf2MBInTheNewLayout",
       .setup = [](ProgramFolder& f) { return PatternRun(f, Junk(2 << 20, 2, 'K')); },
       .says = refused,
       .names_pattern = true},
      {.name = "HitCountOf4000000000",
       .setup =
           [](ProgramFolder& f) {
             return PatternRun(f, KtbBuilder::NewLayout()
                                      .Sample(0, "Samples\\tone.wav")
                                      .Hits(0, {0, 500})
                                      .HitCount(0, 4'000'000'000u)
                                      .Build());
           },
       .says = {"hits of drum 1"},
       .names_pattern = true},
      {.name = "HitAt4000000000ms",
       .setup =
           [](ProgramFolder& f) {
             return PatternRun(f, KtbBuilder::NewLayout()
                                      .Sample(0, "Samples\\tone.wav")
                                      .Hits(0, {0, 4'000'000'000u})
                                      .Build());
           },
       .says = {"4000000000"},
       .names_pattern = true},
      {.name = "SampleNameWithDoubleQuote",
       .setup =
           [](ProgramFolder& f) {
             return PatternRun(f, KtbBuilder::NewLayout().Sample(0, "Samples\\to\"ne.wav").Hits(0, {0}).Build());
           },
       .says = {"double quote"},
       .names_pattern = true},
      {.name = "PatternIsAFifo",  // opening it for reading would wait for a writer forever
       .setup =
           [](ProgramFolder& f) {
             fs::create_directories(f.Path("songs"));
             EXPECT_EQ(mkfifo(f.Path("songs/x.ktb").c_str(), 0600), 0);
             return std::vector<std::string>{f.Path("songs/x.ktb"), "2"};
           },
       .says = {"Error opening KTB file"}},
      {.name = "ConfigOfBinaryJunk",  // read by its rules like any other text
       .setup =
           [](ProgramFolder& f) {
             f.WriteFile("tamboro.cfg", Junk(64 << 10, 3, '\0'));
             return PatternRun(f, TonePattern());
           },
       .outcome = Outcome::kDelivered,
       .says = {"Checking config file", "Created"}},
      {.name = "MissingConfig",
       .setup = [](ProgramFolder& f) { return PatternRun(f, TonePattern()); },
       .says = {"Error opening config file"},
       .keep_config = false},
      {.name = "MissingTemplate",
       .setup = [](ProgramFolder& f) { return PatternRun(f, TonePattern()); },
       .says = {"5.dat is missing"},
       .keep_template = false},
      {.name = "MissingAndNonAudioSamples",
       .setup =
           [](ProgramFolder& f) {
             f.WriteFile("Samples/junk.wav", "this is no sound");
             return PatternRun(f, KtbBuilder::NewLayout()
                                      .Sample(0, "Samples\\tone.wav")
                                      .Sample(2, "Samples\\gone.wav")
                                      .Sample(4, "Samples\\junk.wav")
                                      .Hits(0, {0})
                                      .Hits(1, {100})
                                      .Hits(2, {200})
                                      .Build());
           },
       .outcome = Outcome::kDelivered,
       .says = {"Samples\\gone.wav", "Samples\\junk.wav", "cannot be read", "Created"}},
      {.name = "SampleAtThreeHertz",  // would be 36 minutes of sound at 44100 Hz
       .setup =
           [](ProgramFolder& f) {
             f.WriteFile("Samples/slow.wav", ToneWav(3));
             return PatternRun(
                 f, KtbBuilder::NewLayout().Sample(0, "Samples\\slow.wav").Sample(2, "Samples\\tone.wav")
                        .Hits(0, {0}).Hits(1, {0}).Build());
           },
       .outcome = Outcome::kDelivered,
       .says = {"Samples\\slow.wav", "3 Hz", "Created"}},
      {.name = "OutputNameTakenByFolders",
       .setup =
           [](ProgramFolder& f) {
             BlockOutputNames(f, "songs/x", ".wav");
             return PatternRun(f, TonePattern());
           },
       .outcome = Outcome::kMixKept,
       .says = {"Failed to create", "final.wav"}},
      {.name = "OutputFolderReadOnly",
       .setup =
           [](ProgramFolder& f) {
             const auto args = PatternRun(f, TonePattern());
             fs::permissions(f.Path("songs"), fs::perms::owner_read | fs::perms::owner_exec);
             return args;
           },
       .outcome = Outcome::kMixKept,
       .says = {"Failed to create", "final.wav"},
       .needs_non_root = true},
      {.name = "LogInTheWayOfAFolder",
       .setup =
           [](ProgramFolder& f) {
             f.WriteFile("ktblog.txt/keep", "");
             return PatternRun(f, TonePattern());
           },
       .says = {"Error opening log file"},
       .log_made = false},
      {.name = "ProgramFolderReadOnly",
       .setup =
           [](ProgramFolder& f) {
             const auto args = PatternRun(f, TonePattern());
             fs::permissions(f.dir(), fs::perms::owner_read | fs::perms::owner_exec);
             return args;
           },
       .says = {"Error opening log file"},
       .log_made = false,
       .needs_non_root = true},
  };
}

class HostileTest : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileTest, EndsCleanlyWithResultOne) {
  const HostileCase& c = GetParam();
  if (c.needs_non_root && geteuid() == 0) {
    GTEST_SKIP() << "permissions do not stop root; the case with folders in the way covers it";
  }
  ProgramFolder::Contents contents;
  contents.template_file = c.keep_template;
  contents.config_file = c.keep_config;
  ProgramFolder folder(contents);
  folder.WriteFile("Samples/tone.wav", ToneWav());
  const std::vector<std::string> args = c.setup(folder);
  const std::vector<std::string> before = folder.Files();
  const std::string pattern = args.at(0);

  const ProgramRun run = folder.Run(args, "", kTimeoutSeconds);
  fs::permissions(folder.dir(), fs::perms::owner_all, fs::perm_options::add);
  if (fs::exists(folder.Path("songs"))) fs::permissions(folder.Path("songs"), fs::perms::owner_all);

  ASSERT_FALSE(run.timed_out) << "no end within " << kTimeoutSeconds << " s";
  EXPECT_EQ(run.signal, 0);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.err.find("Sanitizer"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("runtime error"), std::string::npos) << run.err;
  for (const std::string& text : c.says) {
    EXPECT_NE(run.out.find(text), std::string::npos) << "no \"" << text << "\" in:\n" << run.out;
  }
  if (c.names_pattern) {
    std::istringstream lines(run.out);
    bool named = false;
    for (std::string line; std::getline(lines, line);) {
      named = named || (line.find(pattern) != std::string::npos && line.find(c.says[0]) != std::string::npos);
    }
    EXPECT_TRUE(named) << "no line names " << pattern << " and the problem:\n" << run.out;
  }

  std::vector<std::string> made;
  const std::vector<std::string> after = folder.Files();
  std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(made));
  std::vector<std::string> expected;
  if (c.log_made) expected.push_back("ktblog.txt");
  if (c.outcome == Outcome::kMixKept) expected.push_back("final.wav");
  std::sort(expected.begin(), expected.end());
  if (c.outcome == Outcome::kDelivered) {
    EXPECT_NE(run.out.find("Created"), std::string::npos);
    // The one new file beside the log is the output next to the pattern.
    ASSERT_EQ(made.size(), expected.size() + 1) << run.out;
    const auto output = std::find_if(made.begin(), made.end(),
                                     [](const std::string& f) { return f.rfind("songs/x_", 0) == 0; });
    ASSERT_NE(output, made.end());
    EXPECT_EQ(output->substr(output->size() - 4), ".wav");
    EXPECT_GT(fs::file_size(folder.Path(*output)), 44u);
    made.erase(output);
  } else {
    EXPECT_EQ(run.out.find("Created"), std::string::npos) << run.out;
  }
  EXPECT_EQ(made, expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileTest, ::testing::ValuesIn(HostileCases()),
                         [](const auto& info) { return info.param.name; });

class NullConsole : public ConsoleWriter {
 public:
  void Write(std::string_view) override {}
  void Flush() override {}
};

// Every prefix of a pattern is refused by the loader with one line naming
// the file, and nothing of a refused body reaches the log.
TEST(TruncatedPatternTest, EveryPrefixIsRefusedNamingTheFile) {
  ProgramFolder folder;
  const std::string path = folder.Path("cut.ktb");
  SystemClock clock;
  NullConsole console;
  Screen screen(console, false);
  const struct {
    const char* name;
    std::string bytes;
  } patterns[] = {
      {"old layout", KtbBuilder::OldLayout().Sample(0, "a.wav").Sample(1, "b.wav").Build()},
      {"new layout", KtbBuilder::NewLayout().Sample(0, "Sa.wav").Secondary(4, 1).Build()},
      {"new layout with hits",
       KtbBuilder::NewLayout().Sample(0, "Sa.wav").Hits(0, {0, 10, 20}).Hits(9, {5}).Build()},
  };
  for (const auto& p : patterns) {
    for (size_t size = 0; size <= p.bytes.size(); ++size) {
      SCOPED_TRACE(std::string(p.name) + " cut to " + std::to_string(size) + " bytes");
      folder.WriteFile("cut.ktb", std::string_view(p.bytes).substr(0, size));
      std::ostringstream log;
      const HeaderResult header = ReadPatternHeader(path, log, clock);
      std::string problem = header.problem;
      if (header.status == LoadStatus::kOk) {
        std::ostringstream body_log;
        const BodyResult body = ReadPatternBody(path, header.header, 0, body_log, screen);
        if (size == p.bytes.size()) {
          EXPECT_EQ(body.status, LoadStatus::kOk) << body.problem;
          continue;
        }
        EXPECT_EQ(body.status, LoadStatus::kDamaged);
        EXPECT_EQ(body_log.str(), "");
        problem = body.problem;
      } else {
        EXPECT_EQ(header.status, LoadStatus::kDamaged);
        EXPECT_LT(size, 9u);
      }
      EXPECT_NE(problem.find(path), std::string::npos) << problem;
      EXPECT_EQ(problem.find('\n'), std::string::npos) << problem;
      if (::testing::Test::HasFailure()) return;  // one broken size says enough
    }
  }
}

}  // namespace
}  // namespace tamboro
