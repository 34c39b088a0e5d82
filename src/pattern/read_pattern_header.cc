#include "pattern/read_pattern_header.h"

#include <filesystem>
#include <fstream>
#include <ostream>

#include "pattern/ktb_layout.h"
#include "pattern/ktb_problem.h"
#include "platform/clock.h"

namespace tamboro {

HeaderResult ReadPatternHeader(const std::string& path, std::ostream& log, Clock& clock) {
  HeaderResult result;
  std::error_code ec;
  // A folder or a device would open or hang here; only plain files are patterns.
  if (!std::filesystem::is_regular_file(path, ec)) {
    result.status = LoadStatus::kCannotOpen;
    return result;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    result.status = LoadStatus::kCannotOpen;
    return result;
  }
  char bytes[kKtbHeaderSize] = {};
  file.read(bytes, kKtbHeaderSize);
  const auto got = static_cast<size_t>(file.gcount());
  if (got < kKtbHeaderSize) {
    result.status = LoadStatus::kDamaged;
    result.problem = got == 0 ? KtbProblem(path, "is empty") : KtbEndsInside(path, "the header");
    return result;
  }

  PatternHeader& header = result.header;
  header.new_layout = bytes[0] == 'K';
  header.kits = ReadU32(std::string_view(bytes + 5, 4));
  std::string tag = "KTBold";
  if (header.new_layout) {
    tag.assign(bytes, 5);
    tag.resize(tag.find('\0') == std::string::npos ? 5 : tag.find('\0'));
  }

  log << "TAMBORO v" << kVersionText << "\n" << std::flush;
  log << "KTB version: " << tag << "\n" << std::flush;
  header.start_time = clock.Now();
  // The calendar text brings its own line end, so an empty line follows.
  log << "Started: " << CalendarText(header.start_time) << "\n" << std::flush;
  log << "Input File:\n" << std::flush;
  log << path << "\n" << std::flush;
  if (header.new_layout) {
    log << "Kits: " << header.kits << "\n" << std::flush;
    header.drum_count = 10;
  } else {
    header.drum_count = 5;
  }
  return result;
}

}  // namespace tamboro
