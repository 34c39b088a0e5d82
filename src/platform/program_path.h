#pragma once

#include <string>

namespace tamboro {

// The folder of the running executable (its real path), ending in '/'.
// Empty when the system cannot tell.
std::string ExecutableDir();

}  // namespace tamboro
