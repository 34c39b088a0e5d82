#include "render/secondary_window.h"

namespace tamboro {

void SecondaryWindow::OpenAt(size_t index) {
  cursor_ = index;
  start_ = times_[cursor_];
  if (cursor_ + 1 == times_.size()) {
    end_ = kOpenEnd;
  } else {
    ++cursor_;
    end_ = times_[cursor_];
  }
}

bool SecondaryWindow::TakesSecondary(uint32_t hit_ms) {
  if (times_.empty()) return false;  // no windows: the window stays 0 to 0
  if (first_hit_) {
    OpenAt(0);
    first_hit_ = false;
  }
  while (end_ < hit_ms && cursor_ + 1 < times_.size()) OpenAt(cursor_ + 1);
  return start_ < hit_ms && end_ > hit_ms;
}

}  // namespace tamboro
