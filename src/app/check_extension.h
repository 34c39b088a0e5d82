#pragma once

#include <string>

namespace tamboro {

enum class ExtensionCheck {
  kAccepted,           // output_base now ends before the ".ktb"
  kRejectedOnConsole,  // one of the last three characters is not K, T, B
  kRejectedInLog,      // "ktb" without the dot before it
};

// The pattern file's name must end in ".ktb", in any case. On acceptance
// output_base (the pattern path) is cut at that dot.
ExtensionCheck CheckExtension(std::string& output_base);

}  // namespace tamboro
