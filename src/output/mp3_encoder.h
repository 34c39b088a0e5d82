#pragma once
// The MP3 step of delivery; an interface so delivery tests can swap it.

#include <cstdint>
#include <string>

namespace tamboro {

struct Mp3Result {
  int code = 0;         // 0 when the MP3 file was written to the end, -1 otherwise
  std::string reason;   // why it failed; empty on success
};

class Mp3Encoder {
 public:
  virtual ~Mp3Encoder() = default;
  // Encodes the 16-bit WAV at wav_path (read through the run's WorkDir,
  // skipping its 44-byte header) into output_base + ".mp3".
  virtual Mp3Result Encode(const std::string& wav_path, const std::string& output_base,
                           uint8_t stereo) = 0;
};

}  // namespace tamboro
