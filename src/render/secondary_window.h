#pragma once
// Which of a drum's two samples a hit takes in the new layout. The
// secondaries drum's hit times, in list order, are on and off times in turn:
// windows s0-s1, s2-s3, ...; an odd last time opens a window up to 400000 ms.
// A hit strictly inside the current window takes the secondary sample.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tamboro {

class SecondaryWindow {
 public:
  // End of a window that has no closing time in the list.
  static constexpr uint32_t kOpenEnd = 400000;

  // `times` must outlive the window. One window per track: it only moves
  // forward, so a hit earlier than the one before it does not move it back.
  explicit SecondaryWindow(const std::vector<uint32_t>& times) : times_(times) {}

  // Brings the window up to the hit and tells whether the hit lies strictly
  // inside it.
  bool TakesSecondary(uint32_t hit_ms);

 private:
  // Moves the cursor to the next time, which opens a window, and the end to
  // the time after it (or the open end).
  void OpenAt(size_t index);

  const std::vector<uint32_t>& times_;
  size_t cursor_ = 0;
  uint32_t start_ = 0;
  uint32_t end_ = 0;
  bool first_hit_ = true;
};

}  // namespace tamboro
