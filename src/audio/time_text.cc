#include "audio/time_text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace tamboro {
namespace {

constexpr int64_t kSaturated = int64_t{1} << 52;

}  // namespace

bool ParseSeconds(const std::string& text, int rate, int64_t* frames) {
  size_t i = 0;
  int64_t whole = 0;
  bool digits = false;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
    whole = std::min<int64_t>(whole * 10 + (text[i] - '0'), kSaturated);
    digits = true;
    ++i;
  }
  double fraction = 0;
  if (i < text.size() && text[i] == '.') {
    const size_t point = i++;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
      digits = true;
      ++i;
    }
    fraction = std::strtod(("0" + text.substr(point, i - point)).c_str(), nullptr);
  }
  if (!digits || i != text.size()) return false;
  if (whole >= kSaturated / rate) {
    *frames = kSaturated;
    return true;
  }
  // As the sound tool adds them, in doubles: the whole seconds' frames plus
  // (rate x fraction + 0.5), truncated. In halfway cases the rounding of
  // that sum decides: for 6.565000, 44100 x .565 + .5 falls a hair short of
  // 24917, but added to 264600 it rounds up to 289517, where the tool cuts.
  const double sum = static_cast<double>(whole * rate) + (rate * fraction + 0.5);
  *frames = std::min(kSaturated, static_cast<int64_t>(sum));
  return true;
}

double LeadingDecimal(const std::string& text) {
  size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  size_t digits = 0;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++digits;
  }
  if (digits == 0) return 0;
  return std::strtod(text.substr(0, i).c_str(), nullptr);
}

bool ParseFactor(const std::string& text, double* value) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(v)) return false;
  // Hexadecimal and other spellings strtod takes are not factors.
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '+' &&
        c != 'e' && c != 'E') {
      return false;
    }
  }
  *value = v;
  return true;
}

}  // namespace tamboro
