#pragma once
// The console display: banner, drum grid and status area (80 columns).
// On a terminal it positions the cursor with ANSI/VT sequences; elsewhere
// (pipe, file) it writes plain lines: no escape sequences, no beat cells.

#include <cstdint>
#include <string_view>

#include "console/console_writer.h"

namespace tamboro {

class Screen {
 public:
  Screen(ConsoleWriter& out, bool terminal) : out_(out), terminal_(terminal) {}

  bool terminal() const { return terminal_; }

  // Each of these four leaves the cursor at column 1, row 18.
  void ClearScreen();
  void ClearStatusArea();
  void DrawHeader();
  // secondary5 / secondary10: the secondaries flags of drums 5 and 10.
  void ShowBeatCell(int drum, uint32_t time_ms, uint8_t secondary5, uint8_t secondary10);

  // Places the cursor (column, row from 1); ignored in plain mode.
  void MoveTo(int column, int row);
  // Console text at the cursor, line ends as given.
  void Write(std::string_view text);
  void Flush();

 private:
  // Plain mode: ends the current line unless the last text did.
  void StartLine();

  ConsoleWriter& out_;
  bool terminal_;
  bool at_line_start_ = true;  // plain mode: whether the last text ended a line
};

}  // namespace tamboro
