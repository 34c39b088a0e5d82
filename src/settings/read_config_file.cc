#include "settings/read_config_file.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

#include "console/screen.h"

namespace tamboro {

namespace {

constexpr size_t kMaxBalanceLength = 6;

// The file as a text-mode reader sees it: one character at a time, a CR
// directly before an LF dropped. After the end no character is current.
class ConfigCursor {
 public:
  explicit ConfigCursor(std::streambuf& in) : in_(in) {}

  bool eof() const { return eof_; }
  int current() const { return current_; }  // -1: none

  void Read() {
    using Traits = std::streambuf::traits_type;
    int c = in_.sbumpc();
    if (c == '\r' && in_.sgetc() == '\n') c = in_.sbumpc();
    if (c == Traits::eof()) {
      eof_ = true;
      current_ = -1;
      return;
    }
    current_ = Traits::to_int_type(Traits::to_char_type(c));
  }

  void FindEquals() {
    while (!eof_) {
      Read();
      if (current_ == '=') return;
    }
  }

  // Only right after an equals sign; passes over anything, later settings
  // included, up to a character of `set`.
  void FindValue(std::string_view set) {
    if (current_ != '=') return;
    while (!eof_) {
      Read();
      if (InSet(set)) return;
    }
  }

  bool InSet(std::string_view set) const { return current_ >= 0 && set.find(static_cast<char>(current_)) != set.npos; }

 private:
  std::streambuf& in_;
  bool eof_ = false;
  int current_ = -1;
};

// A single-character setting: its digit, or -1 when none was found.
int ReadDigitSetting(ConfigCursor& cursor, std::string_view set) {
  cursor.FindEquals();
  cursor.FindValue(set);
  return cursor.InSet(set) ? cursor.current() - '0' : -1;
}

bool IsBalanceChar(int c) { return (c >= '0' && c <= '9') || c == '-' || c == '.'; }

// Valid when it holds only digits, '-' and '.', and the number at its start
// (0 when none can be read) lies within -1 to 1. Texts such as "-" or "0.5.5"
// pass; the pan step reads them the same way, so they centre or pan by their
// leading number. An empty text (the file ended at its equals sign) is not
// a value and centres the drum.
bool IsValidBalance(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!IsBalanceChar(static_cast<unsigned char>(c))) return false;
  }
  const double value = std::strtod(text.c_str(), nullptr);
  return value <= 1.0 && value >= -1.0;
}

void ReadBalance(ConfigCursor& cursor, int drum, std::string& balance, Settings& settings, std::ostream& log,
                 Screen& screen) {
  cursor.FindEquals();
  if (cursor.current() == '=') {
    do {
      cursor.Read();
    } while (!cursor.eof() && cursor.current() == ' ');
    // Whatever stands after the blanks starts the value, a tab or a line
    // end included; at the end of the file the value is empty.
    balance.clear();
    if (cursor.current() >= 0) balance.push_back(static_cast<char>(cursor.current()));
    while (!cursor.eof()) {
      if (balance.size() >= kMaxBalanceLength) {
        screen.ClearStatusArea();
        screen.Write("\nToo many numbers for balance\n");
        break;
      }
      cursor.Read();
      if (!IsBalanceChar(cursor.current())) break;
      balance.push_back(static_cast<char>(cursor.current()));
    }
    log << "bal=" << balance << "\n" << std::flush;
  }
  // Without an equals sign the text of the drum before is used again.
  if (IsValidBalance(balance)) {
    log << "Drum " << drum << " pan=" << balance << "\n" << std::flush;
    settings.pan_map[drum].pan_text = balance;
  } else {
    screen.ClearStatusArea();
    log << "Drum " << drum << " pan=Invalid, using center channel\n" << std::flush;
    balance = "0.0";
  }
}

void ApplyKitMap(int kit, bool new_layout, bool has_drum_type_argument, Settings& settings, Screen& screen) {
  settings.kit_type = static_cast<uint8_t>(kit);
  if (new_layout || has_drum_type_argument) return;
  constexpr int kPs3Channels[5] = {2, 3, 0, 1, 4};
  constexpr int k360Channels[5] = {3, 0, 2, 1, 4};
  screen.ClearStatusArea();
  screen.Write(kit == 1 ? "\nMap for PS3Kit(only matters for old KTBs)\n" : "\nMap for 360Kit(only matters for old KTBs)\n");
  const int* channels = kit == 1 ? kPs3Channels : k360Channels;
  for (int i = 0; i < 5; ++i) settings.pan_map[i].channel = channels[i];
}

const char* FormatLine(int format) {
  switch (format) {
    case 1: return "Format MP3";
    case 2: return "Format WAV";
    case 3: return "Format AIFF";
    default: return "Format User Select";
  }
}

// Streams the file: the searches may pass over all of it, however long.
void ReadConfig(std::streambuf& in, bool new_layout, bool has_drum_type_argument, Settings& settings,
                std::ostream& log, Screen& screen) {
  ConfigCursor cursor(in);

  if (int kit = ReadDigitSetting(cursor, "10"); kit >= 0) {
    ApplyKitMap(kit, new_layout, has_drum_type_argument, settings, screen);
  }
  if (int format = ReadDigitSetting(cursor, "1023"); format >= 0) {
    settings.output_format = format;
    log << "\n" << FormatLine(format) << "\n" << std::flush;
  }
  if (int stereo = ReadDigitSetting(cursor, "10"); stereo >= 0) settings.stereo = static_cast<uint8_t>(stereo);

  std::string balance = "0.0";
  for (int drum = 0; drum < 10; ++drum) ReadBalance(cursor, drum, balance, settings, log, screen);

  if (int reverse = ReadDigitSetting(cursor, "10"); reverse >= 0) {
    settings.reverse = static_cast<uint8_t>(reverse);
    log << (reverse ? "Reverse Enabled" : "Reverse Disabled") << "\n" << std::flush;
  }
  if (int reverb = ReadDigitSetting(cursor, "10"); reverb >= 0) {
    settings.reverb = static_cast<uint8_t>(reverb);
    log << (reverb ? "Reverb Enabled" : "Reverb Disabled") << "\n" << std::flush;
  }
}

}  // namespace

void ReadConfigText(std::string_view text, bool new_layout, bool has_drum_type_argument, Settings& settings,
                    std::ostream& log, Screen& screen) {
  std::stringbuf in{std::string(text), std::ios::in};
  ReadConfig(in, new_layout, has_drum_type_argument, settings, log, screen);
}

bool ReadConfigFile(const std::string& path, bool new_layout, bool has_drum_type_argument, Settings& settings,
                    std::ostream& log, Screen& screen) {
  std::error_code ec;
  std::ifstream file;
  if (std::filesystem::is_regular_file(path, ec)) file.open(path, std::ios::binary);
  if (!file.is_open()) {
    screen.ClearStatusArea();
    screen.Write("Error opening config file");
    return false;
  }
  screen.ClearStatusArea();
  screen.Write("\nChecking config file\n");
  ReadConfig(*file.rdbuf(), new_layout, has_drum_type_argument, settings, log, screen);
  return true;
}

}  // namespace tamboro
