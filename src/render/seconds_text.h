#pragma once

#include <string>

namespace tamboro {

// A position on a sound-tool line: seconds with six decimals, as "%f"
// prints them (1234 ms gives "1.234000").
std::string SecondsText(double seconds);

}  // namespace tamboro
