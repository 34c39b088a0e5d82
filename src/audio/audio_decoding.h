#pragma once
// Sound files read into Clips: whatever libsndfile reads (WAV, AIFF, FLAC,
// OGG, MP3), whatever its extension.

#include <memory>
#include <string>

#include "audio/clip.h"

namespace tamboro {

// False, with a reason naming the file, for a missing, unreadable or
// oversized file.
bool ReadAudioFile(const std::string& path, Clip* clip, std::string* error);

// The same for a file's bytes held in memory; `name` names it in errors.
bool DecodeAudioBytes(std::shared_ptr<const std::string> bytes, const std::string& name,
                      Clip* clip, std::string* error);

}  // namespace tamboro
