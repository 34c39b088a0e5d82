#pragma once

#include <string>

#include "audio/clip.h"

namespace tamboro {

// One channel, the mean of the clip's channels. A mono clip is returned as
// it is; one whose pieces all spread mono blocks stays a piece table.
bool AverageChannels(const Clip& clip, Clip* out, std::string* error);

}  // namespace tamboro
