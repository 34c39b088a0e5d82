#include "app/usage.h"

#include <istream>

#include "console/screen.h"

namespace tamboro {

void WaitForEnter(Screen& screen, std::istream& input) {
  screen.Flush();
  if (input.peek() == '\n') input.get();
}

void ShowUsage(Screen& screen, std::istream& input) {
  screen.ClearScreen();
  screen.MoveTo(1, 1);
  screen.Write(
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
      "<Press Enter to exit>");
  WaitForEnter(screen, input);
}

}  // namespace tamboro
