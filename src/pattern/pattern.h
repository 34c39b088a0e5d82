#pragma once
// A KTB pattern as the loader hands it to the run: header and body.

#include <array>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace tamboro {

struct PatternHeader {
  bool new_layout = false;
  int drum_count = 5;  // 5 for the old layout, 10 for the new
  uint32_t kits = 0;
  std::time_t start_time = 0;
};

struct PatternBody {
  std::array<std::string, 20> samples;        // sample slots
  std::array<uint8_t, 20> sample_present{};   // 1: the slot's sample is used
  uint8_t secondary5 = 0;                     // on/off bytes of drums 5 and 10, as read
  uint8_t secondary10 = 0;
  std::array<std::vector<uint32_t>, 10> hits; // per drum, in file order (ms)
  std::array<uint8_t, 10> drum_empty{};       // 1: the drum's stream held no hits
  uint32_t max_hit_time = 0;                  // largest hit time, unsigned
};

enum class LoadStatus { kOk, kCannotOpen, kDamaged };

}  // namespace tamboro
