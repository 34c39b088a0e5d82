#include "pattern/kit_order.h"

#include <utility>

namespace tamboro {

void PutOldKitInDrumOrder(std::array<std::string, 20>& samples, uint8_t kit_type) {
  if (kit_type == 1) {
    std::swap(samples[0], samples[2]);
    std::swap(samples[1], samples[3]);
  } else {
    std::string first = std::move(samples[1]);
    samples[1] = std::move(samples[0]);
    samples[0] = std::move(samples[3]);
    samples[3] = std::move(first);
  }
}

}  // namespace tamboro
