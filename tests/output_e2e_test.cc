// Delivery from the command line: WAV, AIFF and MP3 next to the pattern, in
// mono and stereo, and every way delivery fails, reported as failure with
// the mix kept in the program folder.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstring>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "support/ktb_builder.h"
#include "support/program_folder.h"
#include "support/sound_files.h"

namespace tamboro {
namespace {

using testing::KtbBuilder;

std::string Config(int format, int stereo) {
  std::string config = "kit=0\nformat=" + std::to_string(format) + "\nstereo=" +
                       std::to_string(stereo) + "\n";
  for (int drum = 1; drum <= 10; ++drum) config += std::to_string(drum) + "=0.0\n";
  return config + "reverse=0\nreverb=0\n";
}


// Drum 1 (the sample in place 4, 360 kit) struck at these times.
const std::vector<uint32_t> kHitsMs = {250, 1500, 5400};

std::string Pattern() {
  return KtbBuilder::OldLayout().Sample(3, "Samples\\kick.wav").Hits(0, kHitsMs).Build();
}

struct Audio {
  int channels = 0;
  int64_t frames = 0;
  std::vector<float> first;  // the first channel
};

Audio ReadAudio(const std::string& path) {
  Audio audio;
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr || info.samplerate != 44100) {
    if (file != nullptr) sf_close(file);
    return audio;
  }
  std::vector<float> all(static_cast<size_t>(info.frames) * info.channels);
  sf_readf_float(file, all.data(), info.frames);
  sf_close(file);
  audio.channels = info.channels;
  audio.frames = info.frames;
  for (int64_t i = 0; i < info.frames; ++i) audio.first.push_back(all[i * info.channels]);
  return audio;
}

Audio DecodeMp3(const std::string& mp3, const std::string& wav) {
  const std::string command = "mpg123 -q -w '" + wav + "' '" + mp3 + "' 2>/dev/null";
  if (std::system(command.c_str()) != 0) return {};
  return ReadAudio(wav);
}

// Frames where the sound starts after a silence, one per hit.
std::vector<int64_t> Onsets(const Audio& audio) {
  std::vector<int64_t> onsets;
  int64_t quiet_since = 0;
  for (int64_t i = 0; i < audio.frames; ++i) {
    if (std::fabs(audio.first[i]) > 0.05f) {
      if (i - quiet_since > 2000 || onsets.empty()) onsets.push_back(i);
      quiet_since = i;
    }
  }
  return onsets;
}

// The file next to the pattern named like stem_MM-DD-YY_HH.MMxM + extension.
std::string Output(const ProgramFolder& folder, const std::string& stem, const std::string& extension) {
  const std::regex name(stem + "_[01][0-9]-[0-3][0-9]-[0-9]{2}_[01][0-9]\\.[0-5][0-9][AP]M" +
                        std::regex_replace(extension, std::regex("\\."), "\\."));
  for (const auto& file : folder.Files()) {
    if (std::regex_match(file, name)) return file;
  }
  return "";
}

std::string Tail(const std::string& text, size_t n) {
  return text.size() < n ? text : text.substr(text.size() - n);
}

class DeliveryE2eTest : public ::testing::TestWithParam<int> {};

TEST_P(DeliveryE2eTest, WavAiffAndMp3HoldTheMixWithItsHits) {
  const int stereo = GetParam();
  ProgramFolder folder;
  folder.WriteFile("tamboro.cfg", Config(1, stereo));
  folder.WriteFile("Samples/kick.wav", testing::WavBytes(testing::DecayingClick()));
  const std::string pattern = folder.WriteFile("song.ktb", Pattern());

  std::map<std::string, Audio> made;
  for (const auto& [format, extension] :
       std::vector<std::pair<std::string, std::string>>{{"2", ".wav"}, {"3", ".aiff"}, {"1", ".mp3"}}) {
    const ProgramRun run = folder.Run({pattern, format});
    ASSERT_EQ(run.exit_code, 1);
    const std::string output = Output(folder, "song", extension);
    ASSERT_NE(output, "") << run.out << run.err;
    const std::string closing = "\nCreated\n" + folder.Path(output) + "\n..hopefully";
    EXPECT_EQ(Tail(run.out, closing.size()), closing) << extension;
    const std::string log = folder.Log();
    EXPECT_NE(log.find(closing + "\nFinished on "), std::string::npos) << log;
    EXPECT_TRUE(std::regex_search(log, std::regex("\n\nOperations took [0-9.e+]+ seconds$"))) << log;
    EXPECT_FALSE(folder.Exists("final.wav")) << extension;
    made[extension] = extension == ".mp3"
                          ? DecodeMp3(folder.Path(output), folder.Path("decoded.wav"))
                          : ReadAudio(folder.Path(output));
    if (extension == ".mp3") {
      EXPECT_NE(run.out.find("lame_enc Engine 3."), std::string::npos);
      EXPECT_EQ(run.err, "");
    }
  }

  const Audio& wav = made[".wav"];
  EXPECT_EQ(wav.channels, stereo ? 2 : 1);
  EXPECT_GE(wav.frames, 5400 * 441 / 10);
  EXPECT_EQ(made[".aiff"].channels, wav.channels);
  EXPECT_EQ(made[".aiff"].frames, wav.frames);
  EXPECT_EQ(made[".aiff"].first, wav.first);
  const Audio& mp3 = made[".mp3"];
  EXPECT_EQ(mp3.channels, wav.channels);
  EXPECT_NEAR(mp3.frames, wav.frames, 1152);

  for (const Audio* audio : {&wav, &mp3}) {
    const std::vector<int64_t> onsets = Onsets(*audio);
    ASSERT_EQ(onsets.size(), kHitsMs.size());
    for (size_t i = 0; i < onsets.size(); ++i) {
      EXPECT_NEAR(onsets[i], kHitsMs[i] * 441 / 10, 44) << "hit " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(MonoAndStereo, DeliveryE2eTest, ::testing::Values(0, 1),
                         [](const auto& info) { return info.param ? "Stereo" : "Mono"; });

TEST(DeliveryE2eFailureTest, EachFailureIsReportedAndTheMixKept) {
  const std::string long_stem(240, 'x');  // too long once the suffix is added
  struct Case {
    const char* name;
    std::string stem;
    std::string format;
    std::string pattern;
    const char* extension;
    std::string reason;  // a part of the reason line
    bool mix_kept;
  };
  const Case cases[] = {
      {"unknown format", "song", "7", Pattern(), "", "unknown output format 7; the mix is kept as ",
       true},
      {"wav name too long", long_stem, "2", Pattern(), ".wav", "; the mix is kept as ", true},
      {"aiff name too long", long_stem, "3", Pattern(), ".aiff", "; the mix is kept as ", true},
      {"mp3 name too long", long_stem, "1", Pattern(), ".mp3", "File name too long; the mix is kept as ",
       true},
      {"no mix made", "song", "2",
       KtbBuilder::OldLayout().Sample(3, "Samples\\kick.wav").Build(), ".wav", "was not made", false},
  };
  for (const Case& c : cases) {
    ProgramFolder folder;
    folder.WriteFile("tamboro.cfg", Config(1, 1));
    folder.WriteFile("Samples/kick.wav", testing::WavBytes(testing::DecayingClick()));
    const std::string pattern = folder.WriteFile(c.stem + ".ktb", c.pattern);
    const ProgramRun run = folder.Run({pattern, c.format});
    EXPECT_EQ(run.exit_code, 1) << c.name;

    const std::regex closing("\nFailed to create\n(" + folder.dir() + c.stem +
                             "_[^\n]*)\n([^\n]*)$");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(run.out, m, closing)) << c.name << "\n" << Tail(run.out, 400);
    const std::string name = m[1];
    const std::string reason = m[2];
    EXPECT_EQ(name.size(), folder.dir().size() + c.stem.size() + 17 + std::strlen(c.extension))
        << c.name << ": " << name;
    EXPECT_NE(reason.find(c.reason), std::string::npos) << c.name << ": " << reason;
    EXPECT_EQ(run.out.find("Created"), std::string::npos) << c.name;

    const std::string log = folder.Log();
    EXPECT_NE(log.find("\nFailed to create\n" + name + "\n" + reason + "\nFinished on "),
              std::string::npos)
        << c.name << "\n" << log;
    EXPECT_TRUE(std::regex_search(log, std::regex("\n\nOperations took [0-9.e+]+ seconds$"))) << log;
    EXPECT_FALSE(folder.Exists(name.substr(folder.dir().size()))) << c.name;

    EXPECT_EQ(folder.Exists("final.wav"), c.mix_kept) << c.name;
    if (c.mix_kept) {
      EXPECT_NE(reason.find(folder.Path("final.wav")), std::string::npos) << reason;
      const Audio mix = ReadAudio(folder.Path("final.wav"));
      EXPECT_EQ(mix.channels, 2) << c.name;
      EXPECT_EQ(Onsets(mix).size(), kHitsMs.size()) << c.name;
    }
    if (std::string(c.extension) == ".mp3") {
      EXPECT_EQ(run.err, "Error creating file " + name) << c.name;
    }
  }
}

}  // namespace
}  // namespace tamboro
