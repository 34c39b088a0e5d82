#pragma once
// Writes the synthesised kit as sample files into a program folder, where a
// pattern finds them by its stored names.

#include <array>
#include <string>

#include "drum_synth.h"

namespace tamboro::tools {

// The name a pattern stores for a voice, relative to the program folder and
// Windows-style, as patterns made on Windows hold them: "Samples\kick.wav".
std::string KitSampleName(DrumVoice voice);

// Writes every voice of kAllDrumVoices as a mono 16-bit 44100 Hz WAV file
// into <program_dir>/Samples/, making the folder when needed. False, with a
// reason naming the file, when one cannot be written.
bool WriteKitSamples(const std::string& program_dir, std::string* error);

}  // namespace tamboro::tools
