#include "output/output_name.h"

#include "platform/clock.h"

namespace tamboro {

std::string OutputSuffix(std::time_t now) { return FormatLocalTime(now, "_%m-%d-%y_%I.%M%p"); }

}  // namespace tamboro
