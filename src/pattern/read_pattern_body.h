#pragma once
// Second reading of a KTB file: sample names, secondary bytes and hit
// times, with the body's log lines. The whole file is checked before the
// first body line is logged, so a refused pattern logs nothing here.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#include "pattern/pattern.h"

namespace tamboro {

class Screen;

struct BodyResult {
  LoadStatus status = LoadStatus::kOk;
  PatternBody body;
  std::string problem;  // one line naming the file and the fault, when not kOk
};

// kit_type orders the first four samples of an old-layout pattern (0: the
// 360 kit, 1: the PS2/PS3 kit). Drums without hits get "Drum Stream Empty"
// on the console. Files above 64 MiB are refused.
BodyResult ReadPatternBody(const std::string& path, const PatternHeader& header, uint8_t kit_type,
                           std::ostream& log, Screen& screen);

// The same on bytes already in memory (the whole file); `path` only names
// the file in messages.
BodyResult LoadPatternBody(std::string_view bytes, std::string_view path, const PatternHeader& header,
                           uint8_t kit_type, std::ostream& log, Screen& screen);

}  // namespace tamboro
