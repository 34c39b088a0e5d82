#include "pattern/read_pattern_body.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <ostream>

#include "console/screen.h"
#include "pattern/kit_order.h"
#include "pattern/ktb_contents.h"
#include "pattern/ktb_layout.h"
#include "pattern/ktb_problem.h"
#include "pattern/pattern_check.h"

namespace tamboro {

namespace {

bool RefuseHuge(const std::string& path, BodyResult& result) {
  result.status = LoadStatus::kDamaged;
  result.problem = KtbRefused(path, "larger than 64 MiB, far more than any recording holds");
  return false;
}

// Reads at most kMaxKtbFileSize + 1 bytes, so a file that grows or lies
// about its size cannot make us allocate more.
bool ReadWholeFile(const std::string& path, std::string& bytes, BodyResult& result) {
  std::error_code ec;
  std::ifstream file;
  if (std::filesystem::is_regular_file(path, ec)) file.open(path, std::ios::binary);
  if (!file.is_open()) {
    result.status = LoadStatus::kCannotOpen;
    result.problem = "Error opening KTB file: " + path;
    return false;
  }
  const auto size = std::filesystem::file_size(path, ec);
  if (!ec && size > kMaxKtbFileSize) return RefuseHuge(path, result);
  std::string chunk(1 << 16, '\0');
  while (bytes.size() <= kMaxKtbFileSize) {
    file.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    bytes.append(chunk, 0, static_cast<size_t>(file.gcount()));
    if (!file) break;
  }
  if (file.bad()) {
    result.status = LoadStatus::kCannotOpen;
    result.problem = "Error reading KTB file: " + path;
    return false;
  }
  if (bytes.size() > kMaxKtbFileSize) return RefuseHuge(path, result);
  return true;
}

void LogSampleRecords(const KtbContents& contents, std::ostream& log) {
  for (int slot = 0; slot < kSampleSlots; ++slot) {
    log << "Sample " << slot + 1 << ": " << (contents.present[slot] ? contents.names[slot] : "Blank") << "\n"
        << std::flush;
    if (slot % 2 == 1) {
      log << "Secondary On/Off: " << (contents.on_off[slot / 2] != 0 ? '1' : '0') << "\n\n" << std::flush;
    }
  }
}

// The names were echoed character by character as they were read, all on
// one line; then each of the five drums' names on a line of its own.
void LogOldNames(const KtbContents& contents, std::ostream& log) {
  for (const std::string& name : contents.names) log << name;
  for (int slot = 0; slot < 5; ++slot) log << contents.names[slot] << "\n";
  log << std::flush;
}

}  // namespace

BodyResult ReadPatternBody(const std::string& path, const PatternHeader& header, uint8_t kit_type,
                           std::ostream& log, Screen& screen) {
  BodyResult result;
  std::string bytes;
  if (!ReadWholeFile(path, bytes, result)) return result;
  return LoadPatternBody(bytes, path, header, kit_type, log, screen);
}

BodyResult LoadPatternBody(std::string_view bytes, std::string_view path, const PatternHeader& header,
                           uint8_t kit_type, std::ostream& log, Screen& screen) {
  BodyResult result;
  ParsedKtb parsed = ParseKtbContents(bytes, header.new_layout, path);
  if (!parsed.problem.empty()) {
    result.status = LoadStatus::kDamaged;
    result.problem = std::move(parsed.problem);
    return result;
  }
  const KtbContents& contents = parsed.contents;
  const int drum_count = header.new_layout ? 10 : 5;

  PatternBody& body = result.body;
  body.samples = contents.names;
  body.sample_present = contents.present;
  if (header.new_layout) {
    body.secondary5 = contents.on_off[4];
    body.secondary10 = contents.on_off[9];
  } else {
    PutOldKitInDrumOrder(body.samples, kit_type);
  }
  for (int drum = 0; drum < drum_count; ++drum) {
    body.hits[drum] = std::move(parsed.contents.hits[drum]);
    body.drum_empty[drum] = body.hits[drum].empty() ? 1 : 0;
    for (uint32_t t : body.hits[drum]) body.max_hit_time = std::max(body.max_hit_time, t);
  }
  result.problem = CheckPatternBody(body, header, path);
  if (!result.problem.empty()) {
    result.status = LoadStatus::kDamaged;
    result.body = PatternBody();
    return result;
  }

  // The log shows the names as the file holds them, before the kit order.
  if (header.new_layout) {
    LogSampleRecords(contents, log);
  } else {
    LogOldNames(contents, log);
  }
  // Each digit after a line end, none after the last: drum 1's count line
  // follows it on the same line.
  for (uint8_t present : contents.present) log << "\n" << (present ? '1' : '0');
  log << std::flush;

  for (int drum = 0; drum < drum_count; ++drum) {
    const std::vector<uint32_t>& hits = body.hits[drum];
    log << "Drum " << drum + 1 << ": " << hits.size() << " hits\n" << std::flush;
    if (hits.empty()) {
      screen.ClearStatusArea();
      screen.Write("\nDrum Stream Empty\n");
      continue;
    }
    // Written in blocks, one flush per drum: a long song would otherwise
    // cost a write per hit.
    std::string times;
    for (uint32_t t : hits) {
      times.append(std::to_string(t)).push_back('\n');
      if (times.size() >= (1 << 16)) {
        log << times;
        times.clear();
      }
    }
    log << times << std::flush;
  }
  return result;
}

}  // namespace tamboro
