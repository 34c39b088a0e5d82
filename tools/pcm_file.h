#pragma once
// Writes mono float audio as a 16-bit PCM file (WAV or AIFF) with libsndfile.

#include <span>
#include <string>

namespace tamboro::tools {

enum class PcmFileType { kWav, kAiff };

// Samples are clipped to [-1, 1] and rounded to 16 bits. False, with a reason
// that names the file, when it cannot be written completely.
bool WritePcm16(const std::string& path, PcmFileType type, std::span<const float> samples,
                int sample_rate, std::string* error);

}  // namespace tamboro::tools
