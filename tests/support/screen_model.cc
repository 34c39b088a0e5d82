#include "support/screen_model.h"

#include <algorithm>
#include <charconv>

namespace tamboro {

ScreenModel::ScreenModel() : grid_(kRows, std::string(kColumns, ' ')) {}

void ScreenModel::Write(std::string_view text) {
  raw_.append(text);
  for (char c : text) {
    if (!pending_.empty()) {
      pending_ += c;
      if (pending_.size() == 2) {
        if (c != '[') {
          errors_.push_back("escape not followed by '[': " + pending_);
          pending_.clear();
        }
        continue;
      }
      if (c >= 0x40 && c <= 0x7e) {  // final byte of a CSI sequence
        ApplySequence(std::string_view(pending_).substr(2, pending_.size() - 3), c);
        pending_.clear();
      }
      continue;
    }
    switch (c) {
      case '\x1b': pending_ = c; break;
      case '\n':
        column_ = 1;  // a terminal's output processing turns \n into \r\n
        LineFeed();
        break;
      case '\r':
        column_ = 1;
        wrap_pending_ = false;
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          errors_.push_back("control character " + std::to_string(static_cast<int>(c)));
        } else {
          Put(c);
        }
    }
  }
}

void ScreenModel::Put(char c) {
  if (wrap_pending_) {
    column_ = 1;
    LineFeed();
  }
  grid_[row_ - 1][column_ - 1] = c;
  if (column_ == kColumns) {
    wrap_pending_ = true;
  } else {
    ++column_;
  }
}

void ScreenModel::LineFeed() {
  wrap_pending_ = false;
  if (row_ < kRows) {
    ++row_;
    return;
  }
  grid_.erase(grid_.begin());
  grid_.emplace_back(kColumns, ' ');
}

void ScreenModel::EraseRow(int row, int from_column) {
  std::fill(grid_[row - 1].begin() + (from_column - 1), grid_[row - 1].end(), ' ');
}

void ScreenModel::ApplySequence(std::string_view params, char final) {
  std::vector<int> numbers;
  size_t start = 0;
  while (start <= params.size()) {
    size_t end = params.find(';', start);
    if (end == std::string_view::npos) end = params.size();
    std::string_view part = params.substr(start, end - start);
    int value = 0;
    if (!part.empty()) {
      auto [ptr, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
      if (ec != std::errc() || ptr != part.data() + part.size()) {
        errors_.push_back("bad parameter in ESC[" + std::string(params) + final);
        return;
      }
    }
    numbers.push_back(value);
    start = end + 1;
  }
  auto param = [&](size_t i, int fallback) {
    return i < numbers.size() && numbers[i] != 0 ? numbers[i] : fallback;
  };
  wrap_pending_ = false;
  const std::string sequence = "ESC[" + std::string(params) + final;
  switch (final) {
    case 'H':
      row_ = std::clamp(param(0, 1), 1, kRows);
      column_ = std::clamp(param(1, 1), 1, kColumns);
      return;
    case 'J': {
      int mode = numbers.empty() ? 0 : numbers[0];
      if (mode == 2 || mode == 3) {
        for (int r = 1; r <= kRows; ++r) EraseRow(r, 1);
      } else if (mode == 0) {
        EraseRow(row_, column_);
        for (int r = row_ + 1; r <= kRows; ++r) EraseRow(r, 1);
      } else {
        errors_.push_back("unknown erase " + sequence);
      }
      return;
    }
    case 'K': {
      int mode = numbers.empty() ? 0 : numbers[0];
      if (mode == 2) {
        EraseRow(row_, 1);
      } else if (mode == 0) {
        EraseRow(row_, column_);
      } else {
        errors_.push_back("unknown erase " + sequence);
      }
      return;
    }
    default:
      errors_.push_back("unknown sequence " + sequence);
  }
}

std::string ScreenModel::Row(int row) const { return grid_.at(row - 1); }

std::string ScreenModel::Text(int column, int row, int length) const {
  return grid_.at(row - 1).substr(column - 1, length);
}

bool ScreenModel::RowBlank(int row) const {
  return grid_.at(row - 1).find_first_not_of(' ') == std::string::npos;
}

}  // namespace tamboro
