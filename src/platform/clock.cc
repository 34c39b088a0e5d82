#include "platform/clock.h"

#include <array>

namespace tamboro {

std::time_t SystemClock::Now() { return std::time(nullptr); }

std::string FormatLocalTime(std::time_t t, const char* pattern) {
  std::tm local{};
  localtime_r(&t, &local);
  // English names whatever the user's locale: "%a" and "%b" follow LC_TIME,
  // and the program never calls setlocale, so the C locale is in force.
  std::string out(64, '\0');
  for (;;) {
    size_t n = std::strftime(out.data(), out.size(), pattern, &local);
    if (n > 0 || out.size() > 4096) {
      out.resize(n);
      return out;
    }
    out.resize(out.size() * 2);
  }
}

std::string CalendarText(std::time_t t) {
  return FormatLocalTime(t, "%a %b %d %H:%M:%S %Y") + "\n";
}

}  // namespace tamboro
