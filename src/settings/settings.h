#pragma once
// The settings of a run: configuration file, then command-line overrides.

#include <array>
#include <cstdint>
#include <string>

namespace tamboro {

struct PanMapEntry {
  int channel = 0;                // the entry whose pan text this track takes
  std::string pan_text = "0.0";   // decimal text from -1 to 1
};
using PanMap = std::array<PanMapEntry, 10>;

// Channels 1, 3, 2, 0, 4 for entries 0 to 4, 0 for the rest; all "0.0".
PanMap StartPanMap();

struct Settings {
  uint8_t kit_type = 0;       // 0: the 360 kit, 1: the PS2/PS3 kit
  int output_format = 0;      // 0 ask, 1 MP3, 2 WAV, 3 AIFF; any integer from the command line
  uint8_t stereo = 0;
  uint8_t reverse = 0;
  uint8_t reverb = 0;
  bool drum_type_error = false;
  PanMap pan_map = StartPanMap();
};

}  // namespace tamboro
