#pragma once

#include <string>

#include "audio/clip.h"

namespace tamboro {

// The clip at another sample rate (libsoxr, high quality). A clip already
// at that rate is returned as it is.
bool Resample(const Clip& clip, int rate, Clip* out, std::string* error);

}  // namespace tamboro
