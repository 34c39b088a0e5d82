#pragma once
// What an 80 x 24 terminal would show: a ConsoleWriter that applies the text
// and the ANSI/VT sequences our Screen emits to a grid and a cursor. Any other
// sequence is recorded as an error, so a test notices it.

#include <string>
#include <string_view>
#include <vector>

#include "console/console_writer.h"

namespace tamboro {

class ScreenModel : public ConsoleWriter {
 public:
  static constexpr int kColumns = 80;
  static constexpr int kRows = 24;

  ScreenModel();

  void Write(std::string_view text) override;
  void Flush() override { ++flushes_; }

  // Row 1..24 as shown, all 80 columns (blanks included).
  std::string Row(int row) const;
  // `length` characters from (column, row), counted from 1.
  std::string Text(int column, int row, int length) const;
  // True when no visible character is on the row.
  bool RowBlank(int row) const;
  int cursor_column() const { return column_; }
  int cursor_row() const { return row_; }

  // Everything written, sequences included.
  const std::string& raw() const { return raw_; }
  int flushes() const { return flushes_; }
  // Sequences the model does not know, one description per entry.
  const std::vector<std::string>& errors() const { return errors_; }

 private:
  void Put(char c);
  void LineFeed();
  void ApplySequence(std::string_view params, char final);
  void EraseRow(int row, int from_column);

  std::vector<std::string> grid_;  // kRows strings of kColumns characters
  int column_ = 1;
  int row_ = 1;
  bool wrap_pending_ = false;  // after the last column, as xterm does
  std::string pending_;        // an escape sequence split across writes
  std::string raw_;
  int flushes_ = 0;
  std::vector<std::string> errors_;
};

}  // namespace tamboro
