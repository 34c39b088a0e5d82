// End-to-end runs of the program in temporary program folders: each
// argument mode, each way a run stops early, and full conversions. Standard
// output is a pipe here, so the console is plain lines.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "support/ktb_builder.h"
#include "support/program_folder.h"
#include "support/sound_files.h"

namespace tamboro {
namespace {

using testing::KtbBuilder;

const std::string kBanner = " TAMBORO v.97a  Conversion Tool for Orvaldis Thumpbox\n";
const std::string kUsage =
    "TAMBORO v.97a\n"
    "Please drop KTB file on TAMBORO or use commandline:\n"
    "  USAGE:  tamboro.exe <KTB File> <format> <drumtype>\n"
    "    options:\n"
    "    Format\n"
    "     1=create mp3\n"
    "     2=create wav\n"
    "     3=create aiff\n"
    "    Drumtype: 0(360)  1(PS2/PS3)\n"
    "  *You may also set these in the config file\n"
    "    tamboro.cfg and the settings will be loaded\n"
    "Example:  tamboro myktb.ktb 1 2\n"
    "   Will output a wav file for the PS3.  Setting Drumtype is only necessary for\n"
    " KTBs created with Thumpbox 1.19 and below\n"
    "<Press Enter to exit>";
const std::string kChecking = "\nChecking config file\n";
const std::string kMap360 = "\nMap for 360Kit(only matters for old KTBs)\n";

// Kit map 0, WAV, mono, ten centred drums, no effects.
const std::string kConfig =
    "kit=0\nformat=2\nstereo=0\n"
    "1=0.0\n2=0.0\n3=0.0\n4=0.0\n5=0.0\n6=0.0\n7=0.0\n8=0.0\n9=0.0\n10=-0.5\n"
    "reverse=0\nreverb=0\n";
std::string ConfigLog() {
  std::string log = "\nFormat WAV\n";
  for (int i = 0; i < 10; ++i) {
    const std::string pan = i == 9 ? "-0.5" : "0.0";
    log += "bal=" + pan + "\nDrum " + std::to_string(i) + " pan=" + pan + "\n";
  }
  return log + "Reverse Disabled\nReverb Disabled\n";
}

// The log's first lines, with "<time>" for the calendar text.
std::string HeaderLog(const std::string& path, const std::string& version = "KTBold") {
  return "TAMBORO v.97a\nKTB version: " + version + "\nStarted: <time>\n\nInput File:\n" + path +
         "\n";
}

std::string MaskTime(const std::string& log) {
  static const std::regex calendar(
      "Started: [A-Z][a-z]{2} [A-Z][a-z]{2} [0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4}\n");
  return std::regex_replace(log, calendar, "Started: <time>\n");
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

// The files a folder starts with, and more.
std::vector<std::string> ProgramFilesAnd(std::vector<std::string> more,
                                         const ProgramFolder::Contents& contents = {}) {
  more.push_back("tamboro");
  if (contents.template_file) more.push_back("5.dat");
  if (contents.config_file) more.push_back("tamboro.cfg");
  return Sorted(std::move(more));
}

// Text with "<problem>" in it matches when that stands for one line naming
// the pattern file; the line is returned.
std::optional<std::string> MatchWithProblem(const std::string& expected, const std::string& actual,
                                            const std::string& path) {
  const size_t at = expected.find("<problem>");
  if (at == std::string::npos) return expected == actual ? std::optional<std::string>("") : std::nullopt;
  const std::string before = expected.substr(0, at);
  const std::string after = expected.substr(at + 9);
  if (actual.size() < before.size() + after.size() || actual.compare(0, before.size(), before) != 0 ||
      actual.compare(actual.size() - after.size(), after.size(), after) != 0) {
    return std::nullopt;
  }
  std::string line = actual.substr(before.size(), actual.size() - before.size() - after.size());
  if (line.empty() || line.find('\n') != std::string::npos || line.find(path) == std::string::npos) {
    return std::nullopt;
  }
  return line;
}

std::string OldPattern() {
  return KtbBuilder::OldLayout().Sample(0, "Samples\\kick.wav").Hits(0, {10, 20}).Build();
}

struct StopCase {
  std::string name;
  ProgramFolder::Contents contents;
  // Prepares the folder; returns the arguments.
  std::function<std::vector<std::string>(const ProgramFolder&)> setup;
  std::string console;             // "<problem>": one line naming the pattern
  std::optional<std::string> log;  // nullopt: no log file
  std::vector<std::string> files;  // besides the program's own
};

ProgramFolder::Contents WithoutConfig() {
  ProgramFolder::Contents contents;
  contents.config_file = false;
  return contents;
}

std::vector<StopCase> StopCases() {
  auto pattern_as = [](const std::string& name, std::vector<std::string> more = {}) {
    return [name, more](const ProgramFolder& folder) {
      std::vector<std::string> args = {folder.WriteFile(name, OldPattern())};
      args.insert(args.end(), more.begin(), more.end());
      return args;
    };
  };
  return {
      {"NoArgument", {},
       [](const ProgramFolder& folder) {
         folder.WriteFile("ktblog.txt", "the last run's log");
         return std::vector<std::string>{};
       },
       kUsage, "the last run's log", {"ktblog.txt"}},
      {"LogCannotBeOpened", {},
       [](const ProgramFolder& folder) {
         folder.WriteFile("ktblog.txt/keep", "");  // a folder where the log should be
         return std::vector<std::string>{folder.WriteFile("song.ktb", OldPattern())};
       },
       kBanner + "Error opening log file", std::nullopt, {"ktblog.txt/keep", "song.ktb"}},
      {"MissingPattern", {},
       [](const ProgramFolder& folder) { return std::vector<std::string>{folder.Path("song.ktb")}; },
       kBanner + "Error opening KTB file", "", {"ktblog.txt"}},
      {"FolderGivenAsPattern", {},
       [](const ProgramFolder& folder) {
         folder.WriteFile("song.ktb/inside", "");
         return std::vector<std::string>{folder.Path("song.ktb")};
       },
       kBanner + "Error opening KTB file", "", {"ktblog.txt", "song.ktb/inside"}},
      {"NotEndingInKtb", {}, pattern_as("song.tb"),
       kBanner + "\nNot a .KTB FILE\n" + kUsage, "HEADER(song.tb)\nNot a .KTB FILE",
       {"ktblog.txt", "song.tb"}},
      {"KtbWithoutDot", {}, pattern_as("songktb"), kBanner + kUsage,
       "HEADER(songktb)\nNot a .KTB FILE", {"ktblog.txt", "songktb"}},
      {"MissingConfig", WithoutConfig(), pattern_as("song.ktb"),
       kBanner + "Error opening config file\n" + kUsage, "HEADER(song.ktb)", {"ktblog.txt", "song.ktb"}},
      {"DrumTypeFive", {}, pattern_as("song.ktb", {"1", "5"}), kBanner + kChecking + kUsage,
       "HEADER(song.ktb)" + ConfigLog() + "\nINVALID ARGUMENT\n", {"ktblog.txt", "song.ktb"}},
      {"FourArguments", {}, pattern_as("song.ktb", {"1", "0", "x"}),
       kBanner + kChecking + kMap360 + kUsage, "HEADER(song.ktb)" + ConfigLog(),
       {"ktblog.txt", "song.ktb"}},
      {"HeaderCutShort", {},
       [](const ProgramFolder& folder) {
         return std::vector<std::string>{folder.WriteFile("song.ktb", "KTB02")};
       },
       kBanner + "<problem>\n", "<problem>\n", {"ktblog.txt", "song.ktb"}},
      {"HitsCutShort", {},
       [](const ProgramFolder& folder) {
         return std::vector<std::string>{folder.WriteFile(
             "song.ktb", KtbBuilder::OldLayout().Sample(0, "a.wav").Hits(0, {1, 2}).HitCount(0, 900).Build())};
       },
       kBanner + kChecking + kMap360 + "<problem>\n", "HEADER(song.ktb)" + ConfigLog() + "<problem>\n",
       {"ktblog.txt", "song.ktb"}},
  };
}

void PrintTo(const StopCase& c, std::ostream* out) { *out << c.name; }

class StopTest : public ::testing::TestWithParam<StopCase> {};

TEST_P(StopTest, StopsWithItsMessagesAndResultOne) {
  const StopCase& c = GetParam();
  ProgramFolder folder(c.contents);
  if (c.contents.config_file) folder.WriteFile("tamboro.cfg", kConfig);
  const std::vector<std::string> args = c.setup(folder);
  const ProgramRun run = folder.Run(args, "\n");

  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.err, "");
  const std::string pattern = args.empty() ? "-" : args[0];
  const auto console_problem = MatchWithProblem(c.console, run.out, pattern);
  EXPECT_TRUE(console_problem.has_value()) << "console:\n" << run.out;
  if (c.log) {
    std::string expected = *c.log;
    const size_t header = expected.find("HEADER(");
    if (header != std::string::npos) {
      const size_t end = expected.find(')', header);
      expected.replace(header, end + 1 - header,
                       HeaderLog(folder.Path(expected.substr(header + 7, end - header - 7))));
    }
    ASSERT_TRUE(folder.Exists("ktblog.txt"));
    const auto log_problem = MatchWithProblem(expected, MaskTime(folder.Log()), pattern);
    EXPECT_TRUE(log_problem.has_value()) << "log:\n" << folder.Log();
    EXPECT_EQ(log_problem, console_problem) << "the same problem on the console and in the log";
  }
  EXPECT_EQ(folder.Files(), ProgramFilesAnd(c.files, c.contents));
}

INSTANTIATE_TEST_SUITE_P(RunTest, StopTest, ::testing::ValuesIn(StopCases()),
                         [](const auto& info) { return info.param.name; });

TEST(RunTest, LogThatCannotBeWrittenForPermissions) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
  ProgramFolder folder;
  folder.WriteFile("ktblog.txt", "old");
  chmod(folder.Path("ktblog.txt").c_str(), 0400);
  const ProgramRun run = folder.Run({folder.WriteFile("song.ktb", OldPattern())});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, kBanner + "Error opening log file");
  EXPECT_EQ(folder.Log(), "old");
}


// The one file the run made next to the input: song_MM-DD-YY_HH.MMxM.wav.
std::string OutputName(const ProgramFolder& folder) {
  static const std::regex name("song_[01][0-9]-[0-3][0-9]-[0-9]{2}_[01][0-9]\\.[0-5][0-9][AP]M\\.wav");
  std::string found;
  for (const auto& file : folder.Files()) {
    if (std::regex_match(file, name)) {
      EXPECT_EQ(found, "") << "two outputs";
      found = file;
    }
  }
  return found;
}

// Frames of a WAV file, 0 when it cannot be read.
sf_count_t WavFrames(const std::string& path) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) return 0;
  sf_close(file);
  return info.samplerate == 44100 ? info.frames : 0;
}

void ExpectConverted(const ProgramFolder& folder, const ProgramRun& run, const std::string& log_start,
                     const std::string& console_start, uint32_t last_hit_ms) {
  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_code, 1);
  const std::string log = MaskTime(folder.Log());
  ASSERT_GE(log.size(), log_start.size()) << log;
  EXPECT_EQ(log.substr(0, log_start.size()), log_start);
  EXPECT_EQ(run.out.substr(0, console_start.size()), console_start) << run.out;

  const std::string output = OutputName(folder);
  ASSERT_NE(output, "") << run.out;
  EXPECT_GE(WavFrames(folder.Path(output)), static_cast<sf_count_t>(last_hit_ms) * 441 / 10);
  const std::string closing = "\nCreated\n" + folder.Path(output) + "\n..hopefully";
  ASSERT_GE(run.out.size(), closing.size());
  EXPECT_EQ(run.out.substr(run.out.size() - closing.size()), closing);
  EXPECT_NE(log.find(closing + "\nFinished on "), std::string::npos) << log;
  EXPECT_TRUE(std::regex_search(log, std::regex("\nOperations took [0-9.e+]+ seconds$"))) << log;
  EXPECT_EQ(folder.Files(), ProgramFilesAnd({"Samples/kick.wav", "ktblog.txt", output, "song.ktb"}));
}

TEST(RunTest, ConvertsAnOldLayoutPattern) {
  ProgramFolder folder;
  folder.WriteFile("tamboro.cfg", kConfig);
  folder.WriteFile("Samples/kick.wav", testing::WavBytes(testing::DecayingClick()));
  const std::string pattern = folder.WriteFile(
      "song.ktb", KtbBuilder::OldLayout().Sample(3, "Samples\\kick.wav").Hits(0, {0, 250, 1500}).Build());
  const ProgramRun run = folder.Run({pattern});

  // The kick in place 4 becomes drum 1's sample (360 kit); the log shows the file's order.
  std::string body = "Samples\\kick.wav\n\n\nSamples\\kick.wav\n\n";
  for (int slot = 0; slot < 20; ++slot) body += slot < 5 ? "\n1" : "\n0";
  body += "Drum 1: 3 hits\n0\n250\n1500\n";
  for (int drum = 2; drum <= 5; ++drum) body += "Drum " + std::to_string(drum) + ": 0 hits\n";
  std::string console = kBanner + kChecking + kMap360;
  for (int drum = 2; drum <= 5; ++drum) console += "\nDrum Stream Empty\n";
  console += "Beginning Construction of Audio File\n";
  ExpectConverted(folder, run, HeaderLog(pattern) + ConfigLog() + body, console, 1500);
}

TEST(RunTest, ConvertsANewLayoutPatternWithTheFormatArgument) {
  ProgramFolder folder;
  folder.WriteFile("tamboro.cfg", kConfig);
  folder.WriteFile("Samples/kick.wav", testing::WavBytes(testing::DecayingClick()));
  const std::string pattern = folder.WriteFile("song.ktb", KtbBuilder::NewLayout()
                                                               .Kits(1)
                                                               .Sample(18, "Samples\\kick.wav")
                                                               .Hits(9, {100, 2000})
                                                               .Build());
  const ProgramRun run = folder.Run({pattern, "2"});

  std::string body;
  for (int record = 1; record <= 20; ++record) {
    body += "Sample " + std::to_string(record) + ": " + (record == 19 ? "Samples\\kick.wav" : "Blank") +
            "\n";
    if (record % 2 == 0) body += "Secondary On/Off: 0\n\n";
  }
  for (int slot = 0; slot < 20; ++slot) body += slot == 18 ? "\n1" : "\n0";
  for (int drum = 1; drum <= 9; ++drum) body += "Drum " + std::to_string(drum) + ": 0 hits\n";
  body += "Drum 10: 2 hits\n100\n2000\n";
  std::string console = kBanner + kChecking;
  for (int drum = 1; drum <= 9; ++drum) console += "\nDrum Stream Empty\n";
  console += "Beginning Construction of Audio File\n";
  ExpectConverted(folder, run, HeaderLog(pattern, "KTB02") + "Kits: 1\n" + ConfigLog() + body, console, 2000);
}

TEST(RunTest, PatternPathsLongerThanAnyOldLimitWork) {
  ProgramFolder folder;
  folder.WriteFile("tamboro.cfg", kConfig);
  folder.WriteFile("Samples/kick.wav", testing::WavBytes(testing::DecayingClick()));
  const std::string deep = std::string(200, 'a') + "/" + std::string(200, 'b') + "/" +
                           std::string(200, 'c') + "/";
  const std::string pattern = folder.WriteFile(
      deep + "song.ktb", KtbBuilder::OldLayout().Sample(3, "Samples\\kick.wav").Hits(0, {5}).Build());
  const ProgramRun run = folder.Run({pattern}, "", 120);

  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(folder.Log().find("Input File:\n" + pattern + "\n"), std::string::npos);
  int outputs = 0;
  for (const auto& file : folder.Files()) {
    if (file.rfind(deep + "song_", 0) == 0 && file.size() > 4 &&
        file.compare(file.size() - 4, 4, ".wav") == 0) {
      ++outputs;
      EXPECT_GT(WavFrames(folder.Path(file)), 0);
    }
  }
  EXPECT_EQ(outputs, 1) << run.out;
}

}  // namespace
}  // namespace tamboro
