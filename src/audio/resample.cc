#include "audio/resample.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "audio/mix.h"

namespace tamboro {

bool Resample(const Clip& clip, int rate, Clip* out, std::string* error) {
  if (clip.rate() == rate) {
    *out = clip;
    return true;
  }
  if (rate <= 0 || clip.rate() <= 0) {
    *error = "cannot resample to or from a rate of 0";
    return false;
  }
  // No sound file is sampled this slowly; a header that claims it would turn
  // a few bytes into minutes of audio and gigabytes of resampler buffers.
  constexpr int kMinSourceRate = 1000;
  if (clip.rate() < kMinSourceRate) {
    *error = "its rate of " + std::to_string(clip.rate()) + " Hz is below " +
             std::to_string(kMinSourceRate) + " Hz, too low for a sound";
    return false;
  }
  const int channels = clip.channels();
  const double ratio = static_cast<double>(rate) / clip.rate();
  const double expected = std::ceil(static_cast<double>(clip.frames()) * ratio);
  if (expected > static_cast<double>(kMaxBlockSamples) ||
      !CheckBlockSize(static_cast<int64_t>(expected) + 64, channels, error)) {
    if (error->empty()) *error = "the resampled sound would be too long to hold";
    return false;
  }

  soxr_error_t err = nullptr;
  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
  std::unique_ptr<soxr, void (*)(soxr_t)> soxr(
      soxr_create(clip.rate(), rate, channels, &err, &io, &quality, nullptr), soxr_delete);
  if (err || !soxr) {
    *error = std::string("resampler: ") + (err ? err : "cannot start");
    return false;
  }

  std::vector<float> result;
  result.reserve(static_cast<size_t>(expected + 64) * channels);
  std::vector<float> in(static_cast<size_t>(kRenderFrames * channels));
  const size_t out_room = static_cast<size_t>(kRenderFrames * ratio) + 64;
  std::vector<float> buf(out_room * channels);
  int64_t at = 0;
  bool flushing = false;
  while (true) {
    size_t n = 0;
    if (at < clip.frames()) {
      n = static_cast<size_t>(std::min(kRenderFrames, clip.frames() - at));
      clip.Render(at, static_cast<int64_t>(n), in.data());
      at += static_cast<int64_t>(n);
    } else {
      flushing = true;
    }
    // Feed the block (or the end mark) and take everything it gives.
    size_t fed = 0;
    do {
      size_t used = 0;
      size_t made = 0;
      err = soxr_process(soxr.get(), flushing ? nullptr : in.data() + fed * channels, n - fed,
                         &used, buf.data(), out_room, &made);
      if (err) {
        *error = std::string("resampler: ") + err;
        return false;
      }
      fed += used;
      result.insert(result.end(), buf.begin(), buf.begin() + made * channels);
      if (flushing && made == 0) break;
      if (result.size() > static_cast<size_t>(expected + 64) * channels) break;
    } while (flushing || fed < n);
    if (flushing) break;
  }
  // Exactly the length the rate change gives; the resampler's end may run
  // a frame over.
  const size_t frames = static_cast<size_t>(std::llround(clip.frames() * ratio));
  result.resize(frames * channels, 0.0f);
  *out = Clip::FromBlock(std::make_shared<SampleBlock>(channels, std::move(result)), rate);
  return true;
}

}  // namespace tamboro
