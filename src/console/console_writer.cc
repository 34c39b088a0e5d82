#include "console/console_writer.h"

#include <iostream>

namespace tamboro {

// std::cout rather than raw stdio: reading std::cin flushes it first, so a
// prompt is always on screen before the program waits for an answer.
void StdoutWriter::Write(std::string_view text) { std::cout.write(text.data(), text.size()); }

void StdoutWriter::Flush() { std::cout.flush(); }

}  // namespace tamboro
