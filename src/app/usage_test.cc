#include "app/usage.h"

#include <gtest/gtest.h>

#include <sstream>

#include "console/screen.h"
#include "support/screen_model.h"

namespace tamboro {
namespace {

const char kUsage[] =
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

TEST(UsageTest, TerminalShowsTheFifteenLinesOnACleanScreenAndWaits) {
  ScreenModel model;
  Screen screen(model, true);
  screen.MoveTo(1, 20);
  screen.Write("Not a .KTB FILE");  // overwritten at once
  std::istringstream input("\nnext");
  ShowUsage(screen, input);

  std::istringstream lines(kUsage);
  std::string line;
  for (int row = 1; std::getline(lines, line); ++row) {
    EXPECT_EQ(model.Text(1, row, 80), line + std::string(80 - line.size(), ' ')) << row;
  }
  for (int row = 16; row <= 24; ++row) EXPECT_TRUE(model.RowBlank(row)) << row;
  EXPECT_EQ(model.cursor_row(), 15);
  EXPECT_EQ(model.cursor_column(), 22);  // behind "<Press Enter to exit>"
  EXPECT_GT(model.flushes(), 0) << "flushed before waiting";
  EXPECT_EQ(input.get(), 'n') << "the Enter was taken";
  EXPECT_TRUE(model.errors().empty());
}

TEST(UsageTest, PlainConsoleGetsTheSameLinesOnANewLine) {
  ScreenModel model;
  Screen screen(model, false);
  screen.Write("Error opening config file");
  std::istringstream input;
  ShowUsage(screen, input);
  EXPECT_EQ(model.raw(), std::string("Error opening config file\n") + kUsage);
}

TEST(WaitForEnterTest, TakesOnlyALineEnd) {
  ScreenModel model;
  Screen screen(model, false);
  struct Case {
    const char* typed;
    int next;
  };
  for (Case c : {Case{"\n\n", '\n'}, Case{"x\n", 'x'}, Case{"", EOF}}) {
    std::istringstream input(c.typed);
    WaitForEnter(screen, input);
    EXPECT_EQ(input.get(), c.next) << c.typed;
  }
}

}  // namespace
}  // namespace tamboro
