// The ready program folder the build leaves beside the binary.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

}  // namespace
