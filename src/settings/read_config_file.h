#pragma once
// The configuration file: fifteen settings, each the value after an equals
// sign, read one character at a time (kit map, format, stereo, ten
// balances, reverse, reverb).

#include <iosfwd>
#include <string>
#include <string_view>

#include "settings/settings.h"

namespace tamboro {

class Screen;

// False when the path is not a regular file or cannot be opened; "Error
// opening config file" is then on the console and nothing in the log.
// has_drum_type_argument: the command line names the kit, so the file's kit
// map leaves the pan channels alone.
bool ReadConfigFile(const std::string& path, bool new_layout, bool has_drum_type_argument, Settings& settings,
                    std::ostream& log, Screen& screen);

// The reading itself, on the text of a configuration file (a CR right
// before an LF already counts as dropped here too).
void ReadConfigText(std::string_view text, bool new_layout, bool has_drum_type_argument, Settings& settings,
                    std::ostream& log, Screen& screen);

}  // namespace tamboro
