#pragma once
// Builds KTB pattern bytes for tests, fuzz seeds, demos and benchmarks.
//
//   std::string bytes = KtbBuilder::NewLayout()
//                           .Sample(0, "Samples\\kick.wav")
//                           .Hits(0, {0, 500, 1000})
//                           .Build();
//
// Old layout: a 980-byte name area (five 196-byte places, each holding a
// name, its zero byte and then filler bytes, 0xCC by default), then five hit
// streams. New layout: "K" tag, kits, twenty 196-byte sample records with an
// on/off byte after every second one, a 4-byte skipped field, then ten hit
// streams. Numbers are little-endian unsigned 32-bit.
//
// Indexes count from 0: sample slot 0-19 (old layout 0-4), drum 0-9 (old
// layout 0-4). The builder checks nothing the format forbids, so tests can
// make hostile files: see HitCount, NameArea, Truncate.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tamboro::testing {

inline constexpr uint8_t kKtbFiller = 0xCC;

class KtbBuilder {
 public:
  static KtbBuilder OldLayout();
  static KtbBuilder NewLayout();

  // New layout: the five tag bytes (cut or padded with zero bytes); byte 0
  // should stay "K" or the file reads as the old layout.
  KtbBuilder& Tag(std::string tag);
  KtbBuilder& Kits(uint32_t kits);

  // The name in a slot. New layout: stored as is, so a name that does not
  // begin with "S" makes a blank record ("" too). Old layout: slots 0-4.
  KtbBuilder& Sample(int slot, std::string name);
  // New layout: the secondary on/off byte of a drum (0-9).
  KtbBuilder& Secondary(int drum, uint8_t on_off);
  // Old layout: the byte after each name's zero byte; new layout: the byte
  // after the zero byte inside a record. 0 makes extra empty names in the
  // old layout.
  KtbBuilder& Filler(uint8_t byte);
  // Old layout: the exact name area (cut or padded with filler to 980 bytes),
  // replacing the names.
  KtbBuilder& NameArea(std::string raw);

  KtbBuilder& Hits(int drum, std::vector<uint32_t> times);
  // Stores this count instead of the number of times given (hostile files).
  KtbBuilder& HitCount(int drum, uint32_t count);
  // Bytes after the last hit stream.
  KtbBuilder& Trailer(std::string bytes);
  // Keeps only the first `size` bytes of the built file.
  KtbBuilder& Truncate(size_t size);

  std::string Build() const;
  // Writes Build() to a file; throws std::runtime_error when it cannot.
  void WriteTo(const std::string& path) const;

  // Offset of drum `drum`'s hit stream in Build()'s output (before Truncate).
  size_t HitStreamOffset(int drum) const;

 private:
  explicit KtbBuilder(bool new_layout);
  int drum_count() const { return new_layout_ ? 10 : 5; }
  std::string Head() const;  // everything before the hit streams

  bool new_layout_;
  std::string tag_ = "KTB02";
  uint32_t kits_ = 2;
  std::array<std::string, 20> samples_;
  std::array<uint8_t, 10> secondary_{};
  uint8_t filler_ = kKtbFiller;
  std::optional<std::string> name_area_;
  std::array<std::vector<uint32_t>, 10> hits_;
  std::array<std::optional<uint32_t>, 10> hit_count_;
  std::string trailer_;
  std::optional<size_t> truncate_;
};

// Little-endian unsigned 32-bit, as the format stores numbers.
void AppendU32(std::string& out, uint32_t value);

}  // namespace tamboro::testing
