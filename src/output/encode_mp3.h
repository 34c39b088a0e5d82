#pragma once
// Encodes a 16-bit WAV (its 44-byte header skipped) to MP3 through a BladeEnc
// encoder library, with the encoder's own progress line and messages.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "output/bladeenc.h"

namespace tamboro {

class WorkDir;

// Gives the encoder library, loading it the first time; null with the reason
// when it cannot be loaded.
using LoadBladeEnc = std::function<const BladeEncTable*(std::string* error)>;

// Where the encoder's messages go (formatted printing, as the library's own
// sample front end does).
struct Mp3Messages {
  std::FILE* out = stdout;
  std::FILE* err = stderr;
};

struct Mp3Failure {
  std::string reason;           // what failed and where, for the run's closing lines
  bool output_created = false;  // the output file was created (and may be partly written)
};

// Reads wav_path through work_dir and writes output_base + ".mp3". Returns 0
// when the MP3 file was written to the end, -1 on any failure (each writes
// one message, and fills *failure when given).
int EncodeMp3(const LoadBladeEnc& load, const WorkDir& work_dir, const std::string& wav_path,
              const std::string& output_base, uint8_t stereo, const Mp3Messages& messages,
              Mp3Failure* failure = nullptr);

}  // namespace tamboro
