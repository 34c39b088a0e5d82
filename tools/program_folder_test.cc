// The ready program folder the build leaves beside the binary.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <array>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "console/screen.h"
#include "settings/read_config_file.h"
#include "support/screen_model.h"

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ProgramFolderTest, TemplateIsFiveSecondsOfMonoSilenceAsAiff) {
  const std::string path = std::string(TAMBORO_BUILD_DIR) + "/5.dat";
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  ASSERT_NE(file, nullptr) << path << ": " << sf_strerror(nullptr);
  std::vector<short> pcm(static_cast<size_t>(info.frames) + 1, 1);
  const sf_count_t read = sf_read_short(file, pcm.data(), static_cast<sf_count_t>(pcm.size()));
  sf_close(file);

  EXPECT_EQ(info.format, SF_FORMAT_AIFF | SF_FORMAT_PCM_16);
  EXPECT_EQ(info.channels, 1);
  EXPECT_EQ(info.samplerate, 44100);
  ASSERT_EQ(info.frames, 5 * 44100);
  ASSERT_EQ(read, info.frames);
  pcm.pop_back();
  EXPECT_EQ(std::count(pcm.begin(), pcm.end(), 0), static_cast<long>(pcm.size()));
}

TEST(ProgramFolderTest, ConfigurationIsTheDocumentedDefault) {
  const std::string cfg = Slurp(std::string(TAMBORO_BUILD_DIR) + "/tamboro.cfg");
  EXPECT_EQ(cfg, Slurp(std::string(TAMBORO_SOURCE_DIR) + "/examples/tamboro.cfg"));
  // Every equals sign starts a setting: exactly fifteen, and nothing else.
  EXPECT_EQ(std::count(cfg.begin(), cfg.end(), '='), 15);
}

// The reader skips labels up to each equals sign and searches past anything
// that is not a value, so a stray sign or digit would shift every later
// setting. The default file must read exactly as its labels say.
TEST(ProgramFolderTest, ConfigurationReadsAsItsLabelsSay) {
  const std::string path = std::string(TAMBORO_BUILD_DIR) + "/tamboro.cfg";
  const std::array<std::string, 10> kPans = {"0.0", "0.0", "0.3",  "0.3", "-0.4",
                                             "-0.5", "0.0", "0.5", "0.4", "0.0"};
  for (bool new_layout : {true, false}) {
    SCOPED_TRACE(new_layout ? "new layout" : "old layout");
    tamboro::ScreenModel console;
    tamboro::Screen screen(console, false);
    std::ostringstream log;
    tamboro::Settings settings;
    ASSERT_TRUE(tamboro::ReadConfigFile(path, new_layout, false, settings, log, screen));

    EXPECT_EQ(settings.kit_type, 0);
    EXPECT_EQ(settings.output_format, 1);
    EXPECT_EQ(settings.stereo, 1);
    EXPECT_EQ(settings.reverse, 0);
    EXPECT_EQ(settings.reverb, 0);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(settings.pan_map[i].pan_text, kPans[i]) << "drum " << i;
    EXPECT_EQ(log.str().find("Invalid"), std::string::npos) << log.str();
    EXPECT_EQ(console.raw().find("Too many"), std::string::npos) << console.raw();
    // The 360 kit map reaches the pan channels of old five-drum patterns only.
    const std::array<int, 5> channels =
        new_layout ? std::array<int, 5>{1, 3, 2, 0, 4} : std::array<int, 5>{3, 0, 2, 1, 4};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(settings.pan_map[i].channel, channels[i]) << i;
  }
}

}  // namespace
