#include "settings/read_config_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "console/screen.h"
#include "support/captured_text.h"

namespace tamboro {
namespace {

using testing::CollectingConsole;

// Everything the reader may change, in one line.
std::string Describe(const Settings& s) {
  std::ostringstream out;
  out << "kit=" << int(s.kit_type) << " format=" << s.output_format << " stereo=" << int(s.stereo)
      << " reverse=" << int(s.reverse) << " reverb=" << int(s.reverb) << " channels=";
  for (const PanMapEntry& e : s.pan_map) out << e.channel << ",";
  out << " pans=";
  for (const PanMapEntry& e : s.pan_map) out << e.pan_text << ",";
  return out.str();
}

std::string Bal(int drum, const std::string& text) {
  return "bal=" + text + "\nDrum " + std::to_string(drum) + " pan=" + text + "\n";
}
std::string BadBal(int drum, const std::string& text) {
  return "bal=" + text + "\nDrum " + std::to_string(drum) + " pan=Invalid, using center channel\n";
}
// Drums whose equals sign the file no longer holds take the text before.
std::string Reused(int from, const std::string& text) {
  std::string out;
  for (int d = from; d < 10; ++d) out += "Drum " + std::to_string(d) + " pan=" + text + "\n";
  return out;
}

const std::string kFull =
    "Kitmap=1\nFormat=2\nStereo=1\n"
    "Drum1=0.0\nDrum2=-0.5\nDrum3=1\nDrum4=0.25\nDrum5=-1\n"
    "Drum6=1.0\nDrum7=-1.0\nDrum8=.5\nDrum9=0\nDrum10=0.75\n"
    "Reverse=0\nReverb=1\n";
const std::string kFullBalances = Bal(0, "0.0") + Bal(1, "-0.5") + Bal(2, "1") + Bal(3, "0.25") + Bal(4, "-1") +
                                  Bal(5, "1.0") + Bal(6, "-1.0") + Bal(7, ".5") + Bal(8, "0") + Bal(9, "0.75");
const std::string kFullPans = "0.0,-0.5,1,0.25,-1,1.0,-1.0,.5,0,0.75,";
const std::string kPs3Message = "\nMap for PS3Kit(only matters for old KTBs)\n";
const std::string kTooMany = "\nToo many numbers for balance\n";
const std::string kStartPans = "0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,";

std::string Crlf(std::string text) {
  for (size_t i = 0; (i = text.find('\n', i)) != std::string::npos; i += 2) text.insert(i, "\r");
  return text;
}

TEST(ReadConfigTextTest, ReadingRules) {
  struct Case {
    const char* what;
    std::string text;
    bool new_layout;
    bool drum_type_argument;
    std::string settings;
    std::string log;
    std::string console;
  } cases[] = {
      {"full file, old layout", kFull, false, false,
       "kit=1 format=2 stereo=1 reverse=0 reverb=1 channels=2,3,0,1,4,0,0,0,0,0, pans=" + kFullPans,
       "\nFormat WAV\n" + kFullBalances + "Reverse Disabled\nReverb Enabled\n", kPs3Message},
      {"CRLF lines read as LF", Crlf(kFull), false, false,
       "kit=1 format=2 stereo=1 reverse=0 reverb=1 channels=2,3,0,1,4,0,0,0,0,0, pans=" + kFullPans,
       "\nFormat WAV\n" + kFullBalances + "Reverse Disabled\nReverb Enabled\n", kPs3Message},
      {"only a CR right before an LF is dropped", "k=1\r\nf=1\r\ns=0\r\nd1=\r\nd2=\r0.5\r\n", true, false,
       "kit=1 format=1 stereo=0 reverse=0 reverb=0 channels=1,3,2,0,4,0,0,0,0,0, pans=" + kStartPans,
       "\nFormat MP3\n" + BadBal(0, "\n") + BadBal(1, "\r0.5") + Reused(2, "0.0"), ""},
      {"new layout keeps the channels", kFull, true, false,
       "kit=1 format=2 stereo=1 reverse=0 reverb=1 channels=1,3,2,0,4,0,0,0,0,0, pans=" + kFullPans,
       "\nFormat WAV\n" + kFullBalances + "Reverse Disabled\nReverb Enabled\n", ""},
      {"drum type argument keeps the channels", kFull, false, true,
       "kit=1 format=2 stereo=1 reverse=0 reverb=1 channels=1,3,2,0,4,0,0,0,0,0, pans=" + kFullPans,
       "\nFormat WAV\n" + kFullBalances + "Reverse Disabled\nReverb Enabled\n", ""},
      {"360 kit map", "k=0\nf=3\ns=0\n", false, false,
       "kit=0 format=3 stereo=0 reverse=0 reverb=0 channels=3,0,2,1,4,0,0,0,0,0, pans=" + kStartPans,
       "\nFormat AIFF\n" + Reused(0, "0.0"), "\nMap for 360Kit(only matters for old KTBs)\n"},
      {"balance texts",
       "k=1\nf=0\ns=0\n"
       "d1=   -0.25\n"   // blanks skipped
       "d2=\t0.5\n"      // a tab starts the text
       "d3=\nd4=0.5\n"   // the line end starts the text; the next label's first letter ends it
       "d5=-0.125\n"     // six characters: used whole, with the message
       "d6=-0.1250\n"    // cut to six
       "d7=1.5\nd8=-2\n"
       "d9=0.5.5\n"      // passes: its leading number is 0.5
       "d10=-1\nr=1\nv=0\n",
       false, false,
       "kit=1 format=0 stereo=0 reverse=1 reverb=0 channels=2,3,0,1,4,0,0,0,0,0, "
       "pans=-0.25,0.0,0.0,0.5,-0.125,-0.125,0.0,0.0,0.5.5,-1,",
       "\nFormat User Select\n" + Bal(0, "-0.25") + BadBal(1, "\t0.5") + BadBal(2, "\n") + Bal(3, "0.5") +
           Bal(4, "-0.125") + Bal(5, "-0.125") + BadBal(6, "1.5") + BadBal(7, "-2") + Bal(8, "0.5.5") +
           Bal(9, "-1") + "Reverse Enabled\nReverb Disabled\n",
       kPs3Message + kTooMany + kTooMany},
      {"file ends after stereo", "k=1\nf=1\ns=1\nReverse", true, false,
       "kit=1 format=1 stereo=1 reverse=0 reverb=0 channels=1,3,2,0,4,0,0,0,0,0, pans=" + kStartPans,
       "\nFormat MP3\n" + Reused(0, "0.0"), ""},
      {"last balance ends the file", "k=1\nf=1\ns=0\nd1=1\nd2=0.5", true, false,
       "kit=1 format=1 stereo=0 reverse=0 reverb=0 channels=1,3,2,0,4,0,0,0,0,0, "
       "pans=1,0.5,0.5,0.5,0.5,0.5,0.5,0.5,0.5,0.5,",
       "\nFormat MP3\n" + Bal(0, "1") + Bal(1, "0.5") + Reused(2, "0.5"), ""},
      {"invalid last balance centres the rest", "k=1\nf=1\ns=0\nd1=0.5\nd2=9", true, false,
       "kit=1 format=1 stereo=0 reverse=0 reverb=0 channels=1,3,2,0,4,0,0,0,0,0, "
       "pans=0.5,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,",
       "\nFormat MP3\n" + Bal(0, "0.5") + BadBal(1, "9") + Reused(2, "0.0"), ""},
      {"equals sign ends the file", "k=1\nf=1\ns=0\nd1=", true, false,
       "kit=1 format=1 stereo=0 reverse=0 reverb=0 channels=1,3,2,0,4,0,0,0,0,0, pans=" + kStartPans,
       "\nFormat MP3\n" + BadBal(0, "") + Reused(1, "0.0"), ""},
      {"a bad single-character value shifts every later setting", "Kitmap=x\n" + kFull.substr(9), false, false,
       // kit takes stereo's 1, format drum 1's 0, stereo drum 2's -0.5's 0, drum i drum i+3's value.
       "kit=1 format=0 stereo=0 reverse=0 reverb=0 channels=2,3,0,1,4,0,0,0,0,0, "
       "pans=1,0.25,-1,1.0,-1.0,.5,0,0.75,0,1,",
       "\nFormat User Select\n" + Bal(0, "1") + Bal(1, "0.25") + Bal(2, "-1") + Bal(3, "1.0") + Bal(4, "-1.0") +
           Bal(5, ".5") + Bal(6, "0") + Bal(7, "0.75") + Bal(8, "0") + Bal(9, "1"),
       kPs3Message},
      {"empty file", "", false, false,
       "kit=0 format=0 stereo=0 reverse=0 reverb=0 channels=1,3,2,0,4,0,0,0,0,0, pans=" + kStartPans,
       Reused(0, "0.0"), ""},
  };
  for (const Case& c : cases) {
    CollectingConsole writer;
    Screen screen(writer, false);
    std::ostringstream log;
    Settings settings;
    ReadConfigText(c.text, c.new_layout, c.drum_type_argument, settings, log, screen);
    EXPECT_EQ(Describe(settings), c.settings) << c.what;
    EXPECT_EQ(log.str(), c.log) << c.what;
    EXPECT_EQ(writer.text(), c.console) << c.what;
  }
}

TEST(ReadConfigTextTest, BalanceRangeAndForms) {
  struct Case {
    std::string value;
    bool valid;
  } cases[] = {{"1", true},   {"-1", true},   {"1.0", true},  {"-1.0", true}, {"0", true},   {".5", true},
               {"1.5", false}, {"-2", false}, {"1.01", false}, {"1.5.5", false},
               // Only the leading number counts, as the pan step reads it.
               {"-", true},    {".", true},    {"-.", true},   {"--1", true},  {"1-", true},  {"0.5.5", true}};
  for (const Case& c : cases) {
    CollectingConsole writer;
    Screen screen(writer, false);
    std::ostringstream log;
    Settings settings;
    ReadConfigText("k=0\nf=0\ns=0\nd=" + c.value + "\n", true, false, settings, log, screen);
    EXPECT_EQ(settings.pan_map[0].pan_text, c.valid ? c.value : "0.0") << c.value;
  }
}

class ReadConfigFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "cfgXXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  bool Read(const std::string& path) {
    Screen screen(writer_, false);
    return ReadConfigFile(path, false, false, settings_, log_, screen);
  }

  std::filesystem::path dir_;
  CollectingConsole writer_;
  std::ostringstream log_;
  Settings settings_;
};

TEST_F(ReadConfigFileTest, ReadsTheFileAsText) {
  std::string path = (dir_ / "tamboro.cfg").string();
  std::ofstream(path, std::ios::binary) << Crlf(kFull);
  ASSERT_TRUE(Read(path));
  EXPECT_EQ(writer_.text(), "\nChecking config file\n" + kPs3Message);
  EXPECT_EQ(log_.str(), "\nFormat WAV\n" + kFullBalances + "Reverse Disabled\nReverb Enabled\n");
  EXPECT_EQ(settings_.reverb, 1);
}

TEST_F(ReadConfigFileTest, MissingFileOrFolderIsReportedOnTheConsoleOnly) {
  for (const std::string& path : {(dir_ / "tamboro.cfg").string(), dir_.string()}) {
    CollectingConsole fresh;
    writer_ = fresh;
    EXPECT_FALSE(Read(path)) << path;
    EXPECT_EQ(writer_.text(), "Error opening config file") << path;
  }
  EXPECT_EQ(log_.str(), "");
  EXPECT_EQ(Describe(settings_), Describe(Settings()));
}

}  // namespace
}  // namespace tamboro
