#pragma once
// Command-line overrides of the output format and the drum type.

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"

namespace tamboro {

// user_args: the arguments after the program path. With three, the third
// sets the kit (0 or 1; anything else sets drum_type_error); with two or
// three, the second sets the output format, whatever number it is.
void ApplyOverrides(const std::vector<std::string>& user_args, Settings& settings, std::ostream& log);

// Leading blanks, an optional sign, then digits; no digits give 0. Values
// beyond the int range are clamped to it.
int ParseLeadingInt(std::string_view text);

}  // namespace tamboro
