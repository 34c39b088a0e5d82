// Fuzzes the configuration reader: any text, read by its rules, must leave
// settings the renderer can use (pan texts whose leading number lies within
// -1 to 1, flags of 0 or 1), log one pan line per drum, and read the same
// from a file as from memory. The command-line number reader is checked
// against strtol on the same text.
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "console/screen.h"
#include "fuzz_support.h"
#include "settings/apply_overrides.h"
#include "settings/read_config_file.h"

namespace tamboro::fuzz {
namespace {

// Digits, '-' and '.' only, and the number at its start (0 when none)
// within -1 to 1: what the pan step reads.
bool UsablePanText(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || c == '-' || c == '.')) return false;
  }
  const double value = std::strtod(text.c_str(), nullptr);
  return value >= -1.0 && value <= 1.0;
}

bool SameSettings(const Settings& a, const Settings& b) {
  if (a.kit_type != b.kit_type || a.output_format != b.output_format || a.stereo != b.stereo ||
      a.reverse != b.reverse || a.reverb != b.reverb || a.drum_type_error != b.drum_type_error) {
    return false;
  }
  for (size_t i = 0; i < a.pan_map.size(); ++i) {
    if (a.pan_map[i].channel != b.pan_map[i].channel || a.pan_map[i].pan_text != b.pan_map[i].pan_text) {
      return false;
    }
  }
  return true;
}

void CheckSettings(const Settings& s, const std::string& log) {
  if (s.kit_type > 1 || s.stereo > 1 || s.reverse > 1 || s.reverb > 1) Fail("a flag other than 0 or 1");
  if (s.output_format < 0 || s.output_format > 3) Fail("a format the file cannot set");
  for (const PanMapEntry& entry : s.pan_map) {
    if (entry.channel < 0 || entry.channel > 9) Fail("a pan channel outside the map");
    if (!UsablePanText(entry.pan_text)) Fail("an unusable pan text: " + entry.pan_text);
  }
  int pan_lines = 0;
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("Drum ", 0) == 0 && line.find(" pan=") != std::string::npos) ++pan_lines;
  }
  if (pan_lines != 10) Fail("not one pan line per drum: " + std::to_string(pan_lines));
}

int ReferenceLeadingInt(std::string_view text) {
  const std::string z(text.substr(0, text.find('\0')));
  errno = 0;
  const long value = std::strtol(z.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace
}  // namespace tamboro::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tamboro;
  using namespace tamboro::fuzz;
  static const ScratchFile file;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  NullConsole console;
  Screen screen(console, /*terminal=*/false);

  Settings first;
  std::string first_log;
  for (int mode = 0; mode < 4; ++mode) {
    const bool new_layout = mode & 1;
    const bool drum_type_argument = mode & 2;
    Settings settings;
    std::ostringstream log;
    ReadConfigText(text, new_layout, drum_type_argument, settings, log, screen);
    CheckSettings(settings, log.str());
    if (mode == 0) {
      first = settings;
      first_log = log.str();
    }
  }

  file.Write(text);
  Settings from_file;
  std::ostringstream file_log;
  if (!ReadConfigFile(file.path(), false, false, from_file, file_log, screen)) Fail("a plain file was not opened");
  if (!SameSettings(first, from_file) || first_log != file_log.str()) {
    Fail("the file and the text in memory read differently");
  }

  if (size <= 64 && ParseLeadingInt(text) != ReferenceLeadingInt(text)) {
    Fail("ParseLeadingInt disagrees with strtol on \"" + std::string(text) + "\"");
  }
  return 0;
}
