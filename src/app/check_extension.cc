#include "app/check_extension.h"

namespace tamboro {

ExtensionCheck CheckExtension(std::string& output_base) {
  const size_t size = output_base.size();
  // Counted from the end; running past the start matches nothing.
  auto from_end = [&](size_t n) { return n <= size ? output_base[size - n] : '\0'; };
  auto is = [](char c, char upper) { return c == upper || c == upper - 'A' + 'a'; };
  if (!is(from_end(1), 'B') || !is(from_end(2), 'T') || !is(from_end(3), 'K')) {
    return ExtensionCheck::kRejectedOnConsole;
  }
  if (from_end(4) != '.') return ExtensionCheck::kRejectedInLog;
  output_base.resize(size - 4);
  return ExtensionCheck::kAccepted;
}

}  // namespace tamboro
