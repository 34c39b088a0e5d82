#pragma once
// First reading of a KTB file: its layout, the kits count and the log's
// header lines.

#include <iosfwd>
#include <string>

#include "pattern/pattern.h"

namespace tamboro {

class Clock;

struct HeaderResult {
  LoadStatus status = LoadStatus::kOk;
  PatternHeader header;
  std::string problem;  // kDamaged: one line naming the file and where it ends
};

// kCannotOpen when the path is not a regular file or cannot be opened (the
// caller reports "Error opening KTB file"); nothing is logged then, nor when
// the file is shorter than its 9 header bytes (kDamaged).
HeaderResult ReadPatternHeader(const std::string& path, std::ostream& log, Clock& clock);

}  // namespace tamboro
