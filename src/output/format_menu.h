#pragma once

#include <iosfwd>

namespace tamboro {

class Screen;

// Shows the format menu at the top of a cleared screen and reads the answer:
// 2 (WAV) or 3 (AIFF) as given; anything else, an unreadable answer or the
// end of input, 1 (MP3).
int AskOutputFormat(Screen& screen, std::istream& input);

}  // namespace tamboro
