#pragma once
// Old-layout patterns store their first four samples in the order of the
// kit they were recorded with; this puts them in drum order.

#include <array>
#include <cstdint>
#include <string>

namespace tamboro {

// kit_type 1 (PS2/PS3): slots 0 and 2 change places, then 1 and 3.
// Otherwise (360): slot 0 takes slot 3's name, 1 takes 0's, 3 takes 1's.
// Only names move.
void PutOldKitInDrumOrder(std::array<std::string, 20>& samples, uint8_t kit_type);

}  // namespace tamboro
