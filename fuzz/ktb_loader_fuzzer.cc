// Fuzzes both steps of the KTB loader on one input: the header step reads
// a file (it only takes a path), the body step reads the same file and the
// same bytes in memory, and the two must agree. A pattern the loader
// accepts must keep the promises the renderer relies on.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "console/screen.h"
#include "fuzz_support.h"
#include "pattern/ktb_layout.h"
#include "pattern/read_pattern_body.h"
#include "pattern/read_pattern_header.h"

namespace tamboro::fuzz {
namespace {

bool OneLineNaming(const std::string& problem, const std::string& path) {
  return !problem.empty() && problem.find('\n') == std::string::npos &&
         problem.find(path) != std::string::npos;
}

bool SameBody(const PatternBody& a, const PatternBody& b) {
  return a.samples == b.samples && a.sample_present == b.sample_present &&
         a.secondary5 == b.secondary5 && a.secondary10 == b.secondary10 && a.hits == b.hits &&
         a.drum_empty == b.drum_empty && a.max_hit_time == b.max_hit_time;
}

void CheckAccepted(const PatternBody& body, const PatternHeader& header, size_t file_size) {
  const int drums = header.new_layout ? 10 : 5;
  const size_t head = header.new_layout ? kKtbHeaderSize + 20 * kSampleRecordSize + 10 + kSkippedFieldSize
                                        : kOldNameAreaSize;
  size_t stored = head;
  uint32_t largest = 0;
  for (int d = 0; d < 10; ++d) {
    const auto& hits = body.hits[d];
    if (d >= drums && !hits.empty()) Fail("hits for a drum the layout does not have");
    if (d < drums && body.drum_empty[d] != (hits.empty() ? 1 : 0)) Fail("drum_empty disagrees with the hits");
    if (d < drums) stored += 4 + 4 * hits.size();
    for (uint32_t t : hits) {
      if (t > kMaxHitTimeMs) Fail("accepted a hit beyond the time limit");
      largest = std::max(largest, t);
    }
  }
  if (stored > file_size) Fail("more hits than the file holds");
  if (largest != body.max_hit_time) Fail("max_hit_time is not the largest hit");
  const int slots = header.new_layout ? kSampleSlots : 5;
  for (int s = 0; s < slots; ++s) {
    if (!body.sample_present[s]) continue;
    const std::string& name = body.samples[s];
    if (name.size() > kMaxSampleName) Fail("accepted a sample name longer than a slot");
    for (char c : name) {
      if (c == '"' || static_cast<unsigned char>(c) < 32) Fail("accepted a name a command line cannot carry");
    }
  }
}

}  // namespace
}  // namespace tamboro::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tamboro;
  using namespace tamboro::fuzz;
  static const ScratchFile file;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  file.Write(bytes);

  NullConsole console;
  Screen screen(console, /*terminal=*/false);
  FixedClock clock;
  std::ostringstream header_log;
  const HeaderResult header = ReadPatternHeader(file.path(), header_log, clock);
  if (header.status == LoadStatus::kCannotOpen) Fail("the header step could not open a plain file");
  if (header.status == LoadStatus::kDamaged) {
    if (size >= kKtbHeaderSize) Fail("the header step refused a file with a whole header");
    if (!OneLineNaming(header.problem, file.path())) Fail("header problem does not name the file: " + header.problem);
    if (!header_log.str().empty()) Fail("a refused header was logged");
    return 0;
  }
  if (size < kKtbHeaderSize) Fail("the header step accepted a short file");
  if (header.header.new_layout != (bytes[0] == 'K')) Fail("layout not chosen by byte 0");
  if (header.header.drum_count != (header.header.new_layout ? 10 : 5)) Fail("wrong drum count");

  std::ostringstream disk_log;
  const BodyResult from_disk = ReadPatternBody(file.path(), header.header, 0, disk_log, screen);
  for (uint8_t kit = 0; kit < 2; ++kit) {
    std::ostringstream log;
    const BodyResult body = LoadPatternBody(bytes, file.path(), header.header, kit, log, screen);
    if (body.status == LoadStatus::kOk) {
      CheckAccepted(body.body, header.header, size);
    } else {
      if (body.status != LoadStatus::kDamaged) Fail("bytes in memory could not be opened");
      if (!OneLineNaming(body.problem, file.path())) Fail("body problem does not name the file: " + body.problem);
      if (!log.str().empty()) Fail("a refused body was logged");
    }
    if (kit == 0 && (from_disk.status != body.status || from_disk.problem != body.problem ||
                     !SameBody(from_disk.body, body.body) || disk_log.str() != log.str())) {
      Fail("the file and the bytes in memory load differently");
    }
  }
  return 0;
}
