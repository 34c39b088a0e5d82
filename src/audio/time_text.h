#pragma once
// Numbers as the command lines write them.

#include <cstdint>
#include <string>

namespace tamboro {

// A position or length such as "1.234000" (seconds, as "%f" prints them)
// in frames: rate x whole seconds + floor(rate x fraction + 0.5), worked
// in doubles exactly as the sound tool works it, so that halfway cases
// (times ending in 5 ms) land on the same frame. Only plain non-negative
// decimals are read; very large values saturate rather than overflow.
bool ParseSeconds(const std::string& text, int rate, int64_t* frames);

// The decimal number at the start of the text (sign, digits, point,
// digits), as the configuration's balance test reads it; 0 when the text
// does not begin with one ("", "-", ".", "-.", "x1").
double LeadingDecimal(const std::string& text);

// A plain decimal factor such as "1", ".5", "-0.7" or "2e-1"; the whole
// text must be the number.
bool ParseFactor(const std::string& text, double* value);

}  // namespace tamboro
