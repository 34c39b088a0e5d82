#include "render/seconds_text.h"

#include <cstdio>

namespace tamboro {

std::string SecondsText(double seconds) {
  int n = std::snprintf(nullptr, 0, "%f", seconds);
  if (n <= 0) return "0.000000";
  std::string text(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(text.data(), text.size(), "%f", seconds);
  text.resize(static_cast<size_t>(n));
  return text;
}

}  // namespace tamboro
