#pragma once
// Sizes and limits of the KTB layouts, and how numbers are stored.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tamboro {

inline constexpr char kVersionText[] = ".97a";

inline constexpr size_t kKtbHeaderSize = 9;       // tag (5) and kits (4)
inline constexpr size_t kSampleRecordSize = 196;  // new layout, per sample
inline constexpr size_t kOldNameAreaSize = 980;   // old layout, all names
inline constexpr size_t kSkippedFieldSize = 4;    // new layout, before the hits
inline constexpr int kSampleSlots = 20;
inline constexpr size_t kMaxSampleName = 189;     // a slot of 190 with its zero byte
inline constexpr uint8_t kNameFiller = 0xCC;      // skipped in old-layout names
inline constexpr uint32_t kMaxHitTimeMs = 21'600'000;  // six hours
inline constexpr size_t kMaxKtbFileSize = 64u << 20;   // far above any recording

// Little-endian unsigned 32-bit; `bytes` holds at least 4 bytes.
inline uint32_t ReadU32(std::string_view bytes) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
  return value;
}

}  // namespace tamboro
