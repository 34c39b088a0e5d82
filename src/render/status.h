#pragma once
// Messages of the renderer: status lines on the console, warnings that also
// go to the log.

#include <iosfwd>
#include <string>

namespace tamboro {

class Screen;

// Clears the status area and shows one line there.
void ShowStatus(Screen& screen, const std::string& text);

// One line to the log, flushed at once so a crash loses nothing.
void LogLine(std::ostream& log, const std::string& text);

// A problem the run goes on after: in the status area and in the log.
void Warn(Screen& screen, std::ostream& log, const std::string& text);

}  // namespace tamboro
