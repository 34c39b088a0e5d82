#include "pattern/pattern_check.h"

#include <cstdio>

#include "pattern/ktb_layout.h"
#include "pattern/ktb_problem.h"

namespace tamboro {

namespace {

std::string DescribeSample(int slot, bool new_layout) {
  const std::string drum = std::to_string(new_layout ? slot / 2 + 1 : slot + 1);
  if (!new_layout) return "the sample of drum " + drum;
  return "sample " + std::to_string(slot + 1) + " (the " + (slot % 2 == 0 ? "first" : "secondary") +
         " sample of drum " + drum + ")";
}

// Control characters shown as \xNN so the message itself stays one clean line.
std::string Visible(std::string_view name) {
  std::string out;
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 32) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
      out += hex;
    } else {
      out += c;
    }
  }
  return out;
}

bool UnsafeInCommandLine(std::string_view name) {
  for (char c : name) {
    if (c == '"' || static_cast<unsigned char>(c) < 32) return true;
  }
  return false;
}

}  // namespace

std::string CheckPatternBody(const PatternBody& body, const PatternHeader& header, std::string_view path) {
  // The drums follow from the layout, whatever count the caller carries.
  const int used_slots = header.new_layout ? kSampleSlots : 5;
  const int drum_count = header.new_layout ? 10 : 5;
  for (int slot = 0; slot < used_slots; ++slot) {
    if (body.sample_present[slot] == 0) continue;
    const std::string& name = body.samples[slot];
    if (name.size() > kMaxSampleName) {
      return KtbRefused(path, DescribeSample(slot, header.new_layout) + " has a name longer than " +
                                  std::to_string(kMaxSampleName) + " characters");
    }
    if (UnsafeInCommandLine(name)) {
      return KtbRefused(path, DescribeSample(slot, header.new_layout) +
                                  " has a double quote or a control character in its name: " + Visible(name));
    }
  }
  for (int drum = 0; drum < drum_count; ++drum) {
    for (uint32_t t : body.hits[drum]) {
      if (t > kMaxHitTimeMs) {
        return KtbRefused(path, "drum " + std::to_string(drum + 1) + " has a hit at " + std::to_string(t) +
                                    " ms, more than six hours (" + std::to_string(kMaxHitTimeMs) +
                                    " ms) into the recording");
      }
    }
  }
  return {};
}

}  // namespace tamboro
