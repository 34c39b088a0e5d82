#pragma once

#include <iosfwd>

namespace tamboro {

class Screen;

// Flushes the console, then waits for the next character of the input and
// takes it only when it is the line end; on a console that is a wait for Enter.
void WaitForEnter(Screen& screen, std::istream& input);

// Clears the screen, shows how to call the program, then WaitForEnter.
void ShowUsage(Screen& screen, std::istream& input);

}  // namespace tamboro
