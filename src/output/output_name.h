#pragma once

#include <ctime>
#include <string>

namespace tamboro {

// The date-and-time suffix of an output name, in local time:
// "_03-15-08_02.05PM" for 15 March 2008, 14:05.
std::string OutputSuffix(std::time_t now);

}  // namespace tamboro
