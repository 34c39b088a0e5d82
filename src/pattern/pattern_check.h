#pragma once
// What a loaded pattern must satisfy before any audio work: sample names
// that fit a slot and can go into a command line, hit times within six hours.

#include <string>
#include <string_view>

#include "pattern/pattern.h"

namespace tamboro {

// Empty when the pattern can be used; otherwise one line naming the file,
// the drum and the sample or time. Checks the samples a track may use.
std::string CheckPatternBody(const PatternBody& body, const PatternHeader& header, std::string_view path);

}  // namespace tamboro
