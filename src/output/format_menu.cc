#include "output/format_menu.h"

#include <istream>

#include "console/screen.h"

namespace tamboro {

int AskOutputFormat(Screen& screen, std::istream& input) {
  screen.ClearScreen();
  screen.MoveTo(1, 1);
  screen.Write(
      "TAMBORO v.97a  Conversion Tool for Orvaldis Thumpbox\n"
      " The time has come to pick a file format:\n"
      "  1. MP3(Default)\n"
      "  2. wav\n"
      "  3. AIFF\n"
      " Please Make a selection: ");
  screen.Flush();
  int answer = 0;
  if (input >> answer && (answer == 2 || answer == 3)) return answer;
  return 1;
}

}  // namespace tamboro
