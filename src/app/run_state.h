#pragma once
// Everything one run knows, held by the run driver and handed on by reference.

#include <string>
#include <vector>

#include "pattern/pattern.h"
#include "settings/settings.h"

namespace tamboro {

struct RunState {
  std::vector<std::string> args;  // the user's arguments: pattern, format, drum type
  std::string program_dir;        // ends in '/'
  std::string output_base;        // the pattern path without ".ktb"
  PatternHeader header;
  PatternBody body;
  Settings settings;
};

}  // namespace tamboro
