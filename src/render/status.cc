#include "render/status.h"

#include <ostream>

#include "console/screen.h"

namespace tamboro {

void ShowStatus(Screen& screen, const std::string& text) {
  screen.ClearStatusArea();
  screen.Write(text + "\n");
  screen.Flush();
}

void LogLine(std::ostream& log, const std::string& text) { log << text << "\n" << std::flush; }

void Warn(Screen& screen, std::ostream& log, const std::string& text) {
  ShowStatus(screen, text);
  LogLine(log, text);
}

}  // namespace tamboro
