#include "settings/apply_overrides.h"

#include <climits>
#include <ostream>

namespace tamboro {

int ParseLeadingInt(std::string_view text) {
  size_t i = 0;
  // The blanks atoi skips.
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  constexpr long long kLimit = static_cast<long long>(INT_MAX) + 1;  // |INT_MIN|
  long long magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > kLimit) magnitude = kLimit;  // stays small, however long the run
  }
  if (negative) return static_cast<int>(-magnitude);
  return magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
}

void ApplyOverrides(const std::vector<std::string>& user_args, Settings& settings, std::ostream& log) {
  const size_t count = user_args.size();
  if (count == 3) {
    switch (ParseLeadingInt(user_args[2])) {
      case 1:
        settings.kit_type = 1;
        log << "\nMap for PS3Kit\n" << std::flush;
        break;
      case 0:
        settings.kit_type = 0;
        log << "\nMap for 360Kit\n" << std::flush;
        break;
      default:
        log << "\nINVALID ARGUMENT\n" << std::flush;
        settings.drum_type_error = true;
        break;
    }
  }
  if (count == 2 || count == 3) settings.output_format = ParseLeadingInt(user_args[1]);
}

}  // namespace tamboro
