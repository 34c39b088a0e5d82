#include "console/screen.h"

#include <algorithm>
#include <string>

namespace tamboro {
namespace {

constexpr int kColumns = 80;
constexpr int kStatusRow = 18;
constexpr int kLastRow = 24;
constexpr const char* kVersionText = ".97a";

// Column of a drum's 15-wide cell: drums 10..6 on the upper grid, 5..1 below.
int CellColumn(int drum) { return drum > 5 ? 7 + 15 * (10 - drum) : 7 + 15 * (5 - drum); }

}  // namespace

void Screen::MoveTo(int column, int row) {
  if (!terminal_) return;
  out_.Write("\x1b[" + std::to_string(row) + ";" + std::to_string(column) + "H");
}

void Screen::Write(std::string_view text) {
  if (text.empty()) return;
  out_.Write(text);
  at_line_start_ = text.back() == '\n';
}

void Screen::Flush() { out_.Flush(); }

void Screen::StartLine() {
  if (!at_line_start_) Write("\n");
}

void Screen::ClearScreen() {
  if (!terminal_) return StartLine();
  // Erasing the display blanks it as 299 rows of blanks written from the top
  // would, without scrolling the user's terminal history away.
  out_.Write("\x1b[H\x1b[2J");
  MoveTo(1, kStatusRow);
}

void Screen::ClearStatusArea() {
  if (!terminal_) return StartLine();
  for (int row = kStatusRow; row <= kLastRow; ++row) {
    MoveTo(1, row);
    out_.Write("\x1b[2K");
  }
  MoveTo(1, kStatusRow);
}

void Screen::DrawHeader() {
  const std::string banner = std::string(" TAMBORO v") + kVersionText +
                             "  Conversion Tool for Orvaldis Thumpbox";
  if (!terminal_) {
    StartLine();
    Write(banner + "\n");
    return;
  }
  MoveTo(1, 1);
  // Rows passed over with line ends keep what they showed before.
  Write(banner + "\n\n\n\n");
  Write("       Drum 10        Drum 09        Drum 08        Drum 07        Drum 06\n");
  Write("\n\n\n\n\n\n\n");
  Write("       Drum 05        Drum 04        Drum 03        Drum 02        Drum 01\n");
  MoveTo(1, kStatusRow);
}

void Screen::ShowBeatCell(int drum, uint32_t time_ms, uint8_t secondary5, uint8_t secondary10) {
  if (!terminal_) return;
  if (drum < 1 || drum > 10) return MoveTo(1, kStatusRow);
  const int column = CellColumn(drum);
  const int label_row = drum > 5 ? 7 : 15;
  const int time_row = label_row + 1;
  if ((drum == 10 && secondary10 == 1) || (drum == 5 && secondary5 == 1)) {
    // Written over the cell without blanking it: it is still empty then.
    MoveTo(column, label_row);
    out_.Write("Secondaries");
    MoveTo(column, time_row);
    out_.Write("Track");
  } else {
    MoveTo(column, time_row);
    // The last cell ends at column 80; a 15th blank would wrap to the next row.
    out_.Write(std::string(std::min(15, kColumns + 1 - column), ' '));
    MoveTo(column, time_row);
    out_.Write(std::to_string(time_ms) + "ms");
    MoveTo(column, label_row);
    out_.Write("Added Beat at:");
  }
  MoveTo(1, kStatusRow);
}

}  // namespace tamboro
