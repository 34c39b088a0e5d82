#pragma once
// Wall clock and calendar texts; an interface so tests can fix the time.

#include <ctime>
#include <string>

namespace tamboro {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::time_t Now() = 0;
};

class SystemClock : public Clock {
 public:
  std::time_t Now() override;
};

// Local time formatted by strftime in the C locale ("%a %b %d" etc.).
std::string FormatLocalTime(std::time_t t, const char* pattern);

// "Thu Dec 03 14:05:09 2026\n": 24 characters and a line end, the day of
// the month always with two digits.
std::string CalendarText(std::time_t t);

}  // namespace tamboro
