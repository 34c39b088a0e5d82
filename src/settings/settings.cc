#include "settings/settings.h"

namespace tamboro {

PanMap StartPanMap() {
  PanMap map;
  constexpr int kStartChannels[5] = {1, 3, 2, 0, 4};
  for (int i = 0; i < 5; ++i) map[i].channel = kStartChannels[i];
  return map;
}

}  // namespace tamboro
