#pragma once
// The bytes of a KTB file after its header, taken apart in file order and
// checked against the end of the file. Nothing here writes the log.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tamboro {

struct KtbContents {
  std::array<std::string, 20> names;           // sample slots, in file order
  std::array<uint8_t, 20> present{};           // 1: the slot names a sample
  std::array<uint8_t, 10> on_off{};            // new layout: secondary bytes, as read
  std::array<std::vector<uint32_t>, 10> hits;  // per drum, in file order
};

struct ParsedKtb {
  KtbContents contents;
  std::string problem;  // empty when the file holds everything its layout needs
};

// `bytes` is the whole file, header included. A file that ends before its
// layout does is refused with a problem naming `path` and the place; a hit
// count is checked against the bytes left before anything is stored.
// Old layout: names past the twentieth are ignored.
ParsedKtb ParseKtbContents(std::string_view bytes, bool new_layout, std::string_view path);

}  // namespace tamboro
