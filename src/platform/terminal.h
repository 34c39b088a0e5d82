#pragma once

namespace tamboro {

// True when the file descriptor is an interactive terminal.
bool IsTerminal(int fd);

}  // namespace tamboro
