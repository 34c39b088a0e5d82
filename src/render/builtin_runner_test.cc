// The built-in runner against the real sound tool: the same lines through
// both, the results compared sample by sample.

#include "render/builtin_runner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "audio/disk_work_dir.h"
#include "audio/clip.h"
#include "audio/memory_work_dir.h"
#include "support/sound_files.h"
#include "support/sox_process_runner.h"

namespace tamboro {
namespace {

using testing::Pcm16;
using testing::ReadPcm16;
using testing::TempDir;

std::string Expand(const std::string& line, const std::string& dir) {
  std::string out;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line.compare(i, 3, "{D}") == 0) {
      out += dir;
      i += 2;
    } else {
      out += line[i];
    }
  }
  return out;
}

// The inputs every case starts from, in a program folder.
void WriteInputs(const std::string& dir) {
  ASSERT_TRUE(WritePcm16(dir + "a.aiff", testing::TestSignal(44100, 1, 66150, 1)));   // 1.5 s
  ASSERT_TRUE(WritePcm16(dir + "b.aiff", testing::TestSignal(44100, 1, 13230, 2)));   // 0.3 s
  ASSERT_TRUE(WritePcm16(dir + "s.wav", testing::TestSignal(48000, 2, 24000, 3)));    // 0.5 s stereo
  ASSERT_TRUE(WritePcm16(dir + "c.aiff", Pcm16{44100, 1, std::vector<int16_t>(88200, 0)}));  // 2 s silence
  ASSERT_TRUE(WritePcm16(dir + "loud.aiff", testing::TestSignal(44100, 1, 22050, 4, 0.95)));
}

struct Case {
  const char* name;
  std::vector<std::string> lines;
  const char* output;  // file name in the program folder
  int tolerance;       // 16-bit steps
};

class RunnerVersusSoxTest : public ::testing::TestWithParam<Case> {};

TEST_P(RunnerVersusSoxTest, SameSamples) {
  const Case& c = GetParam();
  TempDir ours_dir, sox_dir;
  WriteInputs(ours_dir.path());
  WriteInputs(sox_dir.path());

  MemoryWorkDir work_dir(ours_dir.path());
  BuiltinRunner ours(work_dir);
  testing::SoxProcessRunner sox;
  for (const std::string& line : c.lines) {
    CommandResult a = ours.Run(Expand(line, ours_dir.path()));
    CommandResult b = sox.Run(Expand(line, sox_dir.path()));
    ASSERT_TRUE(a.ok) << a.error;
    ASSERT_TRUE(b.ok) << b.error;
  }
  const std::string ours_out = ours_dir.path() + c.output;
  std::string error;
  ASSERT_TRUE(work_dir.Persist(ours_out, &error)) << error;
  const Pcm16 expected = ReadPcm16(sox_dir.path() + c.output);
  const Pcm16 actual = ReadPcm16(ours_out);
  ASSERT_GT(expected.channels, 0);
  EXPECT_EQ(actual.rate, expected.rate);
  EXPECT_EQ(actual.channels, expected.channels);
  EXPECT_EQ(actual.frames(), expected.frames());
  const int diff = MaxDifference(actual, expected);
  EXPECT_GE(diff, 0);
  EXPECT_LE(diff, c.tolerance);
  RecordProperty("max_difference", diff);
}

const Case kCases[] = {
    {"TrimFrom1ms", {"sox \"{D}a.aiff\" \"{D}clip2.aiff\" trim 0.001000"}, "clip2.aiff", 1},
    {"TrimFrom5ms", {"sox \"{D}a.aiff\" \"{D}clip2.aiff\" trim 0.005000"}, "clip2.aiff", 1},
    {"TrimFrom1234ms", {"sox \"{D}a.aiff\" \"{D}clip2.aiff\" trim 1.234000"}, "clip2.aiff", 1},
    {"TrimFromBeyondTheEnd", {"sox \"{D}a.aiff\" \"{D}clip2.aiff\" trim 2.000000"}, "clip2.aiff", 1},
    {"TrimFirst1234ms", {"sox \"{D}a.aiff\"   \"{D}clip1.aiff\" trim 0 1.234000"}, "clip1.aiff", 1},
    {"TrimFirstBeyondTheEnd", {"sox \"{D}a.aiff\"   \"{D}clip1.aiff\" trim 0 9.000000"}, "clip1.aiff", 1},
    {"Join", {"sox \"{D}a.aiff\" \"{D}b.aiff\"   \"{D}dtrack0.aiff\""}, "dtrack0.aiff", 1},
    {"JoinOntoItself",
     {"copy \"{D}c.aiff\" \"{D}dtrack.aiff\"",
      "sox.exe \"{D}b.aiff\"  \"{D}dtrack.aiff\" \"{D}dtrack.aiff\""},
     "dtrack.aiff", 1},
    {"MixFactors1And0", {"sox -m -v 1 \"{D}b.aiff\" -v 0 \"{D}a.aiff\"   \"{D}clip3.aiff\""}, "clip3.aiff", 1},
    {"MixFactorsHalfAnd1", {"sox -m -v .5 \"{D}b.aiff\" -v 1 \"{D}a.aiff\"  \"{D}clip1.aiff\""}, "clip1.aiff", 1},
    {"MixFactors60", {"sox -m -v .60 \"{D}a.aiff\" -v .60 \"{D}b.aiff\" \"{D}final.wav\""}, "final.wav", 1},
    {"MixThatClips", {"sox -m -v 1 \"{D}loud.aiff\" -v 1 \"{D}loud.aiff\" \"{D}final.wav\""}, "final.wav", 1},
    {"Reverse", {"sox \"{D}a.aiff\" \"{D}temp.aiff\" reverse"}, "temp.aiff", 1},
    {"Volume", {"sox -v .7 \"{D}a.aiff\" \"{D}dtrack0.wav\""}, "dtrack0.wav", 1},
    // Measured: within 1 step but for the first two frames (6 steps), where
    // the two resamplers start the filter differently.
    {"ToMono44100", {"sox  \"{D}s.wav\" -c 1 -r 44100 \"{D}drum0.aiff\""}, "drum0.aiff", 6},
    {"PanLeft", {"sox \"{D}a.aiff\" -c 2 \"{D}dtrack0.wav\" pan -1"}, "dtrack0.wav", 1},
    {"PanQuarterLeft", {"sox \"{D}a.aiff\" -c 2 \"{D}dtrack0.wav\" pan -0.25"}, "dtrack0.wav", 1},
    {"PanCentre", {"sox \"{D}a.aiff\" -c 2 \"{D}dtrack0.wav\" pan 0.0"}, "dtrack0.wav", 1},
    {"PanRight", {"sox \"{D}a.aiff\" -c 2 \"{D}dtrack0.wav\" pan 1"}, "dtrack0.wav", 1},
    {"ReverbMono", {"sox \"{D}a.aiff\" \"{D}final.wav\" reverb 60 50 100 100"}, "final.wav", 4},
    {"ReverbMonoMix",
     {"sox -m -v .60 \"{D}a.aiff\" -v .60 \"{D}b.aiff\" \"{D}final.wav\" reverb 60 50 100 100"},
     "final.wav", 4},
    {"ReverbStereoMix",
     {"sox \"{D}a.aiff\" -c 2 \"{D}dtrack0.wav\" pan -0.5",
      "sox \"{D}b.aiff\" -c 2 \"{D}dtrack1.wav\" pan 0.5",
      "sox -m -v .60 \"{D}dtrack0.wav\" -v .60 \"{D}dtrack1.wav\" \"{D}final.wav\" reverb 60 50 100 100"},
     "final.wav", 4},
    // Two hits by the normal sequence, one at time zero, one backwards.
    {"PlaceHits",
     {"copy \"{D}c.aiff\" \"{D}dtrack.aiff\"",
      "copy \"{D}dtrack.aiff\" \"{D}dtrack0.aiff\"",
      "sox  \"{D}b.aiff\" -c 1 -r 44100 \"{D}drum0.aiff\"",
      "copy \"{D}dtrack0.aiff\" \"{D}temp.aiff\"",
      "sox -m -v 1 \"{D}drum0.aiff\" -v 0 \"{D}temp.aiff\"   \"{D}dtrack0.aiff\"",
      "del \"{D}temp.aiff\"",
      "sox \"{D}dtrack0.aiff\" \"{D}clip2.aiff\" trim 0.250000",
      "sox \"{D}dtrack0.aiff\"   \"{D}clip1.aiff\" trim 0 0.250000",
      "sox -m -v 1 \"{D}drum0.aiff\" -v 0 \"{D}clip2.aiff\"   \"{D}clip3.aiff\"",
      "sox \"{D}clip1.aiff\" \"{D}clip3.aiff\"   \"{D}dtrack0.aiff\"",
      "sox \"{D}dtrack0.aiff\" \"{D}clip2.aiff\" trim 1.500000",
      "sox \"{D}dtrack0.aiff\"   \"{D}clip1.aiff\" trim 0 1.500000",
      "sox \"{D}clip1.aiff\" \"{D}temp.aiff\" reverse",
      "sox -m -v .5 \"{D}drum0.aiff\" -v 1 \"{D}temp.aiff\"  \"{D}clip1.aiff\"",
      "sox \"{D}clip1.aiff\" \"{D}temp.aiff\" reverse",
      "sox -v 1 \"{D}temp.aiff\" \"{D}clip2.aiff\" \"{D}dtrack0.aiff\""},
     "dtrack0.aiff", 1},
};

INSTANTIATE_TEST_SUITE_P(Lines, RunnerVersusSoxTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tamboro

namespace tamboro {
namespace {

using testing::Pcm16;
using testing::TempDir;

class BuiltinRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteInputs(dir_.path()); }
  std::string Line(const std::string& pattern) const { return Expand(pattern, dir_.path()); }
  CommandResult Run(const std::string& pattern) { return runner_.Run(Line(pattern)); }
  std::string Bytes(const std::string& name) const {
    std::string error;
    auto reader = work_dir_.OpenRead(dir_.path() + name, &error);
    if (!reader) return "<" + error + ">";
    std::string bytes(reader->Size(), '\0');
    bytes.resize(reader->Read(bytes.data(), bytes.size()));
    return bytes;
  }

  TempDir dir_;
  MemoryWorkDir work_dir_{dir_.path()};
  BuiltinRunner runner_{work_dir_};
};

// A failing line says why, quotes itself, and leaves its output alone.
TEST_F(BuiltinRunnerTest, FailedLineLeavesItsOutputAndSaysWhy) {
  ASSERT_TRUE(Run("copy \"{D}b.aiff\" \"{D}dtrack0.aiff\"").ok);
  const std::string before = Bytes("dtrack0.aiff");
  struct Failing {
    const char* line;
    const char* reason;  // a part of the message
  } cases[] = {
      {"sox \"{D}missing.aiff\" \"{D}dtrack0.aiff\"", "missing.aiff"},
      {"sox \"{D}clip1.aiff\" \"{D}dtrack0.aiff\"", "clip1.aiff"},  // working file never made
      {"sox \"{D}a.aiff\" \"{D}s.wav\" \"{D}dtrack0.aiff\"", "48000 Hz"},
      {"sox -m \"{D}a.aiff\" \"{D}s.wav\" \"{D}dtrack0.aiff\"", "cannot mix"},
      {"sox \"{D}a.aiff\" \"{D}dtrack0.aiff\" gain 3", "\"gain\" is not supported"},
      {"sox \"{D}a.aiff\" \"{D}dtrack0.aiff\" reverse gain 3", "unexpected \"gain\""},
      {"sox \"{D}a.aiff\" \"{D}dtrack0.aiff\" trim -1", "trim"},
      {"sox \"{D}a.aiff\" \"{D}dtrack0.aiff\" pan 0.5", "-c 2"},
      {"sox -v x \"{D}a.aiff\" \"{D}dtrack0.aiff\"", "-v needs a number"},
      {"sox \"{D}a.aiff\" -c 3 \"{D}dtrack0.aiff\"", "-c takes 1 or 2"},
      {"sox -G \"{D}a.aiff\" \"{D}dtrack0.aiff\"", "unknown option -G"},
      {"sox \"{D}a.aiff\" -v .5 \"{D}dtrack0.aiff\"", "before the output"},
      {"sox \"{D}dtrack0.aiff\"", "an input and an output"},
      {"sox \"{D}a.aiff \"{D}dtrack0.aiff\"", "quote is not closed"},
      {"sox \"{D}a.aiff\" \"{D}dtrack0.xyz\"", "audio type"},
      {"format \"{D}dtrack0.aiff\"", "unknown command"},
      {"copy \"{D}missing.aiff\" \"{D}dtrack0.aiff\"", "missing.aiff"},
      {"copy \"{D}dtrack0.aiff\" \"{D}dtrack0.aiff\"", "onto itself"},
      {"del \"{D}a.aiff\" \"{D}b.aiff\"", "one file"},
  };
  for (const Failing& c : cases) {
    SCOPED_TRACE(c.line);
    const CommandResult r = Run(c.line);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(c.reason), std::string::npos) << r.error;
    EXPECT_NE(r.error.find(Line(c.line)), std::string::npos) << r.error;
    EXPECT_EQ(Bytes("dtrack0.aiff"), before);
  }
}

TEST_F(BuiltinRunnerTest, PanTextWithoutANumberCentres) {
  ASSERT_TRUE(Run("sox \"{D}a.aiff\" -c 2 \"{D}dtrack0.wav\" pan 0.0").ok);
  const std::string centre = Bytes("dtrack0.wav");
  for (const char* text : {"-", ".", "-.", "abc"}) {
    SCOPED_TRACE(text);
    ASSERT_TRUE(Run(std::string("sox \"{D}a.aiff\" -c 2 \"{D}dtrack1.wav\" pan ") + text).ok);
    EXPECT_EQ(Bytes("dtrack1.wav"), centre);
  }
}

TEST_F(BuiltinRunnerTest, DelFreesWorkingFilesAndIgnoresAbsentOnes) {
  ASSERT_TRUE(Run("copy \"{D}a.aiff\" \"{D}temp.aiff\"").ok);
  EXPECT_TRUE(work_dir_.Exists(dir_.path() + "temp.aiff"));
  EXPECT_FALSE(std::filesystem::exists(dir_.path() + "temp.aiff"));  // memory only
  EXPECT_EQ(work_dir_.file_count(), 1u);
  EXPECT_TRUE(Run("del \"{D}temp.aiff\"").ok);
  EXPECT_EQ(work_dir_.file_count(), 0u);
  EXPECT_TRUE(Run("del \"{D}temp.aiff\"").ok);
  EXPECT_TRUE(Run("del \"{D}never.wav\"").ok);
  // A real file is removed from disk.
  EXPECT_TRUE(Run("del \"{D}b.aiff\"").ok);
  EXPECT_FALSE(std::filesystem::exists(dir_.path() + "b.aiff"));
}

TEST_F(BuiltinRunnerTest, CopyWithOnePathCopiesIntoTheCurrentFolder) {
  TempDir cwd;
  const auto old = std::filesystem::current_path();
  std::filesystem::current_path(cwd.path());
  const CommandResult r = Run("copy \"{D}b.aiff\"");
  std::filesystem::current_path(old);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(MaxDifference(testing::ReadPcm16(cwd.path() + "b.aiff"),
                          testing::ReadPcm16(dir_.path() + "b.aiff")),
            0);
}

// Sample names come from a case-insensitive system with '\' separators.
TEST_F(BuiltinRunnerTest, SamplePathsIgnoreCaseAndTakeBackslashes) {
  std::filesystem::create_directories(dir_.path() + "Samples");
  ASSERT_TRUE(WritePcm16(dir_.path() + "Samples/Kick.WAV", testing::TestSignal(22050, 1, 1000, 7)));
  const CommandResult r = Run("sox  \"{D}samples\\KICK.wav\" -c 1 -r 44100 \"{D}drum0.aiff\"");
  ASSERT_TRUE(r.ok) << r.error;
  Clip clip;
  std::string error;
  ASSERT_TRUE(work_dir_.ReadClip(dir_.path() + "drum0.aiff", &clip, &error)) << error;
  EXPECT_EQ(clip.rate(), 44100);
  EXPECT_EQ(clip.frames(), 2000);
}

TEST_F(BuiltinRunnerTest, UnreadableSampleIsNamed) {
  const std::string junk = dir_.path() + "junk.wav";
  FILE* f = std::fopen(junk.c_str(), "wb");
  std::fputs("RIFF\x10\0\0\0WAVEfmt not really", f);
  std::fclose(f);
  const CommandResult r = Run("sox  \"{D}junk.wav\" -c 1 -r 44100 \"{D}drum0.aiff\"");
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("junk.wav"), std::string::npos) << r.error;
  EXPECT_FALSE(work_dir_.Exists(dir_.path() + "drum0.aiff"));
}

}  // namespace
}  // namespace tamboro
