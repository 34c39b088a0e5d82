#include "settings/apply_overrides.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>

namespace tamboro {
namespace {

TEST(ParseLeadingIntTest, ReadsLikeAtoiAndClamps) {
  struct Case {
    const char* text;
    int value;
  } cases[] = {
      {"2", 2},         {"  -3", -3},     {"\t+4", 4},     {"3mp", 3},    {"mp3", 0},
      {"", 0},          {"-", 0},         {" +-1", 0},     {"007", 7},
      {"99999999999999999999999", INT_MAX}, {"-99999999999999999999999", INT_MIN},
      {"2147483647", INT_MAX},              {"-2147483648", INT_MIN},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseLeadingInt(c.text), c.value) << c.text;
}

TEST(ApplyOverridesTest, FormatWithTwoOrThreeArgumentsDrumTypeWithThree) {
  struct Case {
    std::vector<std::string> args;
    int kit;
    int format;
    bool error;
    std::string log;
  } cases[] = {
      {{"song.ktb"}, 1, 2, false, ""},
      {{"song.ktb", "7"}, 1, 7, false, ""},    // passed on as it is
      {{"song.ktb", "mp3"}, 1, 0, false, ""},  // no digits: ask
      {{"song.ktb", "3", "0"}, 0, 3, false, "\nMap for 360Kit\n"},
      {{"song.ktb", "1", "1"}, 1, 1, false, "\nMap for PS3Kit\n"},
      {{"song.ktb", "1", "ps3"}, 0, 1, false, "\nMap for 360Kit\n"},
      {{"song.ktb", "1", "2"}, 1, 1, true, "\nINVALID ARGUMENT\n"},
      {{"song.ktb", "3", "0", "x"}, 1, 2, false, ""},  // four: nothing overridden
  };
  for (const Case& c : cases) {
    Settings settings;
    settings.kit_type = 1;  // as the configuration file left them
    settings.output_format = 2;
    std::ostringstream log;
    ApplyOverrides(c.args, settings, log);
    EXPECT_EQ(settings.kit_type, c.kit) << c.args.size() << " args";
    EXPECT_EQ(settings.output_format, c.format) << c.args[1 % c.args.size()];
    EXPECT_EQ(settings.drum_type_error, c.error);
    EXPECT_EQ(log.str(), c.log);
    EXPECT_EQ(settings.pan_map[0].channel, 1);  // channels untouched
  }
}

TEST(StartPanMapTest, StartRow) {
  PanMap map = StartPanMap();
  const int channels[10] = {1, 3, 2, 0, 4, 0, 0, 0, 0, 0};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(map[i].channel, channels[i]);
    EXPECT_EQ(map[i].pan_text, "0.0");
  }
}

}  // namespace
}  // namespace tamboro
