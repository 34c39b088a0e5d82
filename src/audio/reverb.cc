#include "audio/reverb.h"

#include <algorithm>
#include <cmath>

#include "audio/mix.h"

namespace tamboro {
namespace {

constexpr int kCombLengths[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr int kAllpassLengths[4] = {225, 341, 441, 556};
constexpr double kStereoSpread = 12;

struct Filter {
  std::vector<float> buffer;
  size_t at = 0;
  float store = 0;

  explicit Filter(size_t size) : buffer(std::max<size_t>(size, 1), 0.0f) {}
  void Advance() {
    if (++at == buffer.size()) at = 0;
  }
};

}  // namespace

struct Reverb::Bank {
  std::vector<Filter> combs;
  std::vector<Filter> allpasses;

  Bank(double rate, double scale, double offset) {
    const double r = rate / 44100.0;
    for (int len : kCombLengths) {
      combs.emplace_back(static_cast<size_t>(scale * r * (len + kStereoSpread * offset) + .5));
      offset = -offset;
    }
    for (int len : kAllpassLengths) {
      allpasses.emplace_back(static_cast<size_t>(r * (len + kStereoSpread * offset) + .5));
      offset = -offset;
    }
  }

  float Step(float in, float feedback, float damping) {
    float out = 0;
    // Summed from the last comb to the first, as the sound tool does, so
    // the float rounding matches.
    for (int i = 7; i >= 0; --i) {
      Filter& f = combs[i];
      const float o = f.buffer[f.at];
      f.store = o + (f.store - o) * damping;
      f.buffer[f.at] = in + f.store * feedback;
      f.Advance();
      out += o;
    }
    for (int i = 3; i >= 0; --i) {
      Filter& f = allpasses[i];
      const float o = f.buffer[f.at];
      f.buffer[f.at] = out + o * .5f;
      f.Advance();
      out = o - out;
    }
    return out;
  }
};

Reverb::Reverb(const ReverbSettings& s, int rate, int channels) : channels_(channels) {
  const double scale = s.room_scale / 100 * .9 + .1;
  const double depth = s.stereo_depth / 100;
  const double a = -1 / std::log(1 - .3);
  const double b = 100 / (std::log(1 - .98) * a + 1);
  feedback_ = static_cast<float>(1 - std::exp((s.reverberance - b) / (a * b)));
  damping_ = static_cast<float>(s.hf_damping / 100 * .3 + .2);
  gain_ = static_cast<float>(.015);
  two_banks_ = depth > 0 && channels <= 2;
  for (int c = 0; c < channels; ++c) {
    banks_.push_back(std::make_unique<Bank>(rate, scale, 0.0));
    if (two_banks_) banks_.push_back(std::make_unique<Bank>(rate, scale, depth));
  }
}

Reverb::~Reverb() = default;

void Reverb::Process(float* frames, size_t n) {
  const int per = two_banks_ ? 2 : 1;
  for (size_t i = 0; i < n; ++i) {
    float* frame = frames + i * channels_;
    float wet[2][2] = {{0, 0}, {0, 0}};  // [input channel][wet signal], two banks
    for (int c = 0; c < channels_; ++c) {
      const float dry = frame[c];
      for (int w = 0; w < per; ++w) {
        const float v = banks_[c * per + w]->Step(dry, feedback_, damping_) * gain_;
        if (two_banks_) wet[c][w] = v;
        else frame[c] = dry + v;
      }
    }
    if (!two_banks_) continue;
    if (channels_ == 1) {
      // The sound tool makes two channels of a mono input and averages them
      // back into the one-channel output.
      const float dry = frame[0];
      const float left = dry + wet[0][0];
      const float right = dry + wet[0][1];
      frame[0] = (left + right) * .5f;
    } else {
      for (int w = 0; w < 2; ++w) {
        frame[w] = static_cast<float>(frame[w] + .5 * (wet[0][w] + wet[1][w]));
      }
    }
  }
}

bool ApplyReverb(const Clip& clip, const ReverbSettings& settings, Clip* out, std::string* error) {
  return MixWithReverb({MixInput{clip, 1}}, settings, out, error);
}

bool MixWithReverb(const std::vector<MixInput>& inputs, const ReverbSettings& settings, Clip* out,
                   std::string* error) {
  if (inputs.empty()) {
    *error = "nothing to mix";
    return false;
  }
  const int rate = inputs[0].clip.rate();
  const int channels = inputs[0].clip.channels();
  int64_t frames = 0;
  for (const MixInput& in : inputs) frames = std::max(frames, in.clip.frames());
  if (!CheckBlockSize(frames, channels, error)) return false;
  Reverb reverb(settings, rate, channels);
  std::vector<float> samples(static_cast<size_t>(frames * channels), 0.0f);
  for (int64_t at = 0; at < frames; at += kRenderFrames) {
    const int64_t n = std::min(kRenderFrames, frames - at);
    float* block = samples.data() + at * channels;
    for (const MixInput& in : inputs) {
      if (at < in.clip.frames()) in.clip.RenderAdd(at, std::min(n, in.clip.frames() - at), in.factor, block);
    }
    reverb.Process(block, static_cast<size_t>(n));
  }
  *out = Clip::FromBlock(std::make_shared<SampleBlock>(channels, std::move(samples)), rate);
  return true;
}

}  // namespace tamboro
