#pragma once
// A Freeverb-style reverb with the sound tool's figures: per input channel
// one or two banks of 8 damped feedback combs and 4 allpasses. The output
// keeps the input's length and channel count.

#include <memory>
#include <string>
#include <vector>

#include "audio/clip.h"
#include "audio/mix.h"

namespace tamboro {

struct ReverbSettings {
  double reverberance = 50;  // %
  double hf_damping = 50;    // %
  double room_scale = 100;   // %
  double stereo_depth = 100; // %
};

class Reverb {
 public:
  Reverb(const ReverbSettings& settings, int rate, int channels);
  ~Reverb();
  Reverb(const Reverb&) = delete;
  Reverb& operator=(const Reverb&) = delete;

  // Processes n interleaved frames in place, continuing from the last call.
  void Process(float* frames, size_t n);

 private:
  struct Bank;
  int channels_;
  float feedback_;
  float damping_;
  float gain_;
  // banks_[c * 2 + w]: input channel c's bank for wet signal w; one bank
  // per channel (w = 0 only) without stereo depth.
  std::vector<std::unique_ptr<Bank>> banks_;
  bool two_banks_;
  std::vector<float> wet_;
};

// The whole clip through a fresh Reverb.
bool ApplyReverb(const Clip& clip, const ReverbSettings& settings, Clip* out, std::string* error);

// The inputs mixed as Mix does, then through a fresh Reverb, made block by
// block straight into one result, so the dry mix is never held whole.
bool MixWithReverb(const std::vector<MixInput>& inputs, const ReverbSettings& settings, Clip* out,
                   std::string* error);

}  // namespace tamboro
