#include "console/screen.h"

#include <gtest/gtest.h>

#include <string>

#include "support/screen_model.h"

namespace tamboro {
namespace {

class TerminalScreenTest : public ::testing::Test {
 protected:
  // Fills every row with a letter, so the test sees what an operation blanks.
  void FillScreen() {
    for (int row = 1; row <= ScreenModel::kRows; ++row) {
      screen_.MoveTo(1, row);
      screen_.Write(std::string(ScreenModel::kColumns - 1, static_cast<char>('a' + row)));
    }
  }

  void ExpectHome() {
    EXPECT_EQ(model_.cursor_column(), 1);
    EXPECT_EQ(model_.cursor_row(), 18);
    EXPECT_TRUE(model_.errors().empty()) << model_.errors().front();
  }

  ScreenModel model_;
  Screen screen_{model_, true};
};

TEST_F(TerminalScreenTest, ClearScreenBlanksEverythingAndGoesHome) {
  FillScreen();
  screen_.ClearScreen();
  for (int row = 1; row <= ScreenModel::kRows; ++row) EXPECT_TRUE(model_.RowBlank(row)) << row;
  ExpectHome();
}

TEST_F(TerminalScreenTest, ClearStatusAreaBlanksRows18To24Only) {
  FillScreen();
  screen_.ClearStatusArea();
  for (int row = 1; row <= 17; ++row) EXPECT_FALSE(model_.RowBlank(row)) << row;
  for (int row = 18; row <= 24; ++row) EXPECT_TRUE(model_.RowBlank(row)) << row;
  ExpectHome();
  screen_.Write("\nChecking config file\n");
  EXPECT_EQ(model_.Text(1, 19, 20), "Checking config file");
}

TEST_F(TerminalScreenTest, DrawHeaderDrawsBannerAndLabelsAndKeepsOtherRows) {
  FillScreen();
  screen_.DrawHeader();
  EXPECT_EQ(model_.Text(1, 1, 53), " TAMBORO v.97a  Conversion Tool for Orvaldis Thumpbox");
  EXPECT_EQ(model_.Text(54, 1, 1), "b");  // no blanks written after the banner
  for (int row : {5, 13}) {
    const std::string first = row == 5 ? "10" : "05";
    EXPECT_EQ(model_.Text(1, row, 7), "       ");
    EXPECT_EQ(model_.Text(8, row, 7), "Drum " + first);
    int number = row == 5 ? 9 : 4;
    for (int column : {23, 38, 53, 68}) {
      EXPECT_EQ(model_.Text(column, row, 7), "Drum 0" + std::to_string(number--)) << column;
    }
  }
  // Rows passed over by line ends keep what they showed.
  for (int row : {2, 3, 4, 6, 7, 12, 14, 17, 18}) {
    EXPECT_EQ(model_.Text(1, row, 1), std::string(1, static_cast<char>('a' + row))) << row;
  }
  ExpectHome();
}

TEST_F(TerminalScreenTest, BeatCellsSitInTheirDrumsColumns) {
  struct Case {
    int drum;
    int column;
    int label_row;
  };
  for (Case c : {Case{10, 7, 7}, Case{9, 22, 7}, Case{6, 67, 7}, Case{5, 7, 15}, Case{3, 37, 15},
                 Case{1, 67, 15}}) {
    SCOPED_TRACE(c.drum);
    screen_.ClearScreen();
    screen_.ShowBeatCell(c.drum, 1500, 0, 0);
    EXPECT_EQ(model_.Text(c.column, c.label_row, 14), "Added Beat at:");
    EXPECT_EQ(model_.Text(c.column, c.label_row + 1, 14), "1500ms        ");
    std::string label_row = model_.Row(c.label_row);
    label_row.replace(c.column - 1, 14, 14, ' ');
    EXPECT_EQ(label_row, std::string(80, ' ')) << "nothing outside the cell";
    ExpectHome();
  }
}

TEST_F(TerminalScreenTest, ShorterTimeLeavesNoDigitsOfTheLongerOne) {
  for (int drum : {2, 6}) {  // drum 6's cell ends at the last column
    screen_.ShowBeatCell(drum, 4000000000u, 0, 0);
    screen_.ShowBeatCell(drum, 7, 0, 0);
  }
  EXPECT_EQ(model_.Text(52, 16, 15), "7ms            ");
  EXPECT_EQ(model_.Text(67, 8, 14), "7ms           ");
  EXPECT_TRUE(model_.RowBlank(9)) << "nothing wraps past the last column";
  ExpectHome();
}

TEST_F(TerminalScreenTest, SecondariesTrackLabelOnlyWhenThatDrumsFlagIsSet) {
  screen_.ShowBeatCell(10, 20, 0, 1);
  EXPECT_EQ(model_.Text(7, 7, 14), "Secondaries   ");
  EXPECT_EQ(model_.Text(7, 8, 15), "Track          ");
  screen_.ShowBeatCell(5, 20, 1, 0);
  EXPECT_EQ(model_.Text(7, 15, 11), "Secondaries");
  EXPECT_EQ(model_.Text(7, 16, 5), "Track");
  // The other drum's flag does not count.
  screen_.ShowBeatCell(5, 30, 0, 1);
  EXPECT_EQ(model_.Text(7, 16, 15), "30ms           ");
  ExpectHome();
}

TEST_F(TerminalScreenTest, StatusTextAfterABeatCellStartsAtRow18) {
  screen_.ShowBeatCell(6, 99, 0, 0);
  screen_.Write("Placing");
  EXPECT_EQ(model_.Text(1, 18, 7), "Placing");
}

TEST(PlainScreenTest, WritesPlainLinesInOrderWithoutSequencesOrCells) {
  ScreenModel model;
  Screen screen(model, false);
  screen.DrawHeader();
  screen.ShowBeatCell(3, 120, 0, 0);
  screen.ClearStatusArea();
  screen.Write("\nDrum Stream Empty\n");
  screen.ClearStatusArea();  // already at a line start: adds nothing
  screen.Write("Error opening KTB file");
  screen.ClearScreen();  // ends the unfinished line
  screen.MoveTo(1, 1);
  screen.Write("TAMBORO v.97a\n");
  EXPECT_EQ(model.raw(),
            " TAMBORO v.97a  Conversion Tool for Orvaldis Thumpbox\n"
            "\nDrum Stream Empty\n"
            "Error opening KTB file\n"
            "TAMBORO v.97a\n");
}

}  // namespace
}  // namespace tamboro
