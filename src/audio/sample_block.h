#pragma once
// Decoded sound: interleaved 32-bit float frames. Immutable once shared, so
// any number of clips can refer to it.

#include <cstdint>
#include <memory>
#include <vector>

namespace tamboro {

class SampleBlock {
 public:
  SampleBlock(int channels, std::vector<float> samples)
      : channels_(channels), samples_(std::move(samples)) {}

  int channels() const { return channels_; }
  int64_t frames() const { return static_cast<int64_t>(samples_.size()) / channels_; }
  const float* data() const { return samples_.data(); }

 private:
  int channels_;
  std::vector<float> samples_;
};

using BlockRef = std::shared_ptr<const SampleBlock>;

// Any sound the engine holds in one piece: longer work is refused rather
// than allowed to exhaust memory (2^28 samples, 1 GiB of floats: over 50
// minutes of stereo at 44100 Hz).
inline constexpr int64_t kMaxBlockSamples = int64_t{1} << 28;

}  // namespace tamboro
