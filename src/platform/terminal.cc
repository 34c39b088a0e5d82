#include "platform/terminal.h"

#include <unistd.h>

namespace tamboro {

bool IsTerminal(int fd) { return isatty(fd) == 1; }

}  // namespace tamboro
