#include "audio/time_text.h"

#include <gtest/gtest.h>

namespace tamboro {
namespace {

TEST(TimeTextTest, SecondsBecomeFramesByTheSoundToolsRule) {
  const struct {
    const char* text;
    int64_t frames;
  } cases[] = {
      {"0.001000", 44},     {"0.005000", 221},  // 220.5 rounds up
      {"1.234000", 54419},  {"5.000000", 220500}, {"0", 0}, {"3", 132300}, {".5", 22050},
      {"2.", 88200},        {"99999999999999999999999", int64_t{1} << 52},
      // Halfway cases as the real sound tool trims them (measured): the
      // double sum decides, not the exact half.
      {"0.565000", 24916},  {"1.005000", 44321}, {"6.565000", 289517}, {"7.005000", 308921},
      {"2.135000", 94154},
  };
  for (const auto& c : cases) {
    int64_t frames = -1;
    EXPECT_TRUE(ParseSeconds(c.text, 44100, &frames)) << c.text;
    EXPECT_EQ(frames, c.frames) << c.text;
  }
  for (const char* bad : {"", "-1", "1e3", "abc", "1.2.3", " 1", ".", "0x10"}) {
    int64_t frames;
    EXPECT_FALSE(ParseSeconds(bad, 44100, &frames)) << bad;
  }
}

TEST(TimeTextTest, LeadingDecimalReadsWhatABalanceTestReads) {
  const struct {
    const char* text;
    double value;
  } cases[] = {{"0.0", 0},  {"-0.25", -0.25}, {"1", 1},   {"-1.0", -1}, {"-", 0},
               {".", 0},    {"-.", 0},        {"", 0},    {".5", .5},   {"0.5x", .5},
               {"1-2", 1},  {"abc", 0},       {"--1", 0}, {"1e5", 1}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(LeadingDecimal(c.text), c.value) << c.text;
}

TEST(TimeTextTest, FactorsAreWholeNumbers) {
  double v = 0;
  for (const char* good : {"1", "0", ".5", ".7", ".60", "-2", "1e-1"}) EXPECT_TRUE(ParseFactor(good, &v)) << good;
  EXPECT_TRUE(ParseFactor(".60", &v));
  EXPECT_DOUBLE_EQ(v, .6);
  for (const char* bad : {"", "x", "1x", "0x1", "inf", "nan", " 1", "1e999"}) EXPECT_FALSE(ParseFactor(bad, &v)) << bad;
}

}  // namespace
}  // namespace tamboro
