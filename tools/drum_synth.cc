#include "drum_synth.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace tamboro::tools {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kDt = 1.0 / kSynthRate;

// xorshift32: cheap, and the same sequence on every platform.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed ? seed : 1) {}
  double Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_ / 2147483647.5 - 1.0;
  }

 private:
  uint32_t state_;
};

class OnePoleHighPass {
 public:
  explicit OnePoleHighPass(double cutoff_hz)
      : a_(1.0 / (1.0 + kTwoPi * cutoff_hz * kDt)) {}
  double Process(double x) {
    y_ = a_ * (y_ + x - x_);
    x_ = x;
    return y_;
  }

 private:
  double a_;
  double x_ = 0, y_ = 0;
};

// RBJ band-pass (constant 0 dB peak gain).
class BandPass {
 public:
  BandPass(double centre_hz, double q) {
    const double w = kTwoPi * centre_hz * kDt;
    const double alpha = std::sin(w) / (2 * q);
    const double a0 = 1 + alpha;
    b0_ = alpha / a0;
    b2_ = -alpha / a0;
    a1_ = -2 * std::cos(w) / a0;
    a2_ = (1 - alpha) / a0;
  }
  double Process(double x) {
    const double y = b0_ * x + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
    x2_ = x1_;
    x1_ = x;
    y2_ = y1_;
    y1_ = y;
    return y;
  }

 private:
  double b0_, b2_, a1_, a2_;
  double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

double Decay(double t, double tau) { return std::exp(-t / tau); }

// Six detuned square waves: the classic analogue cymbal and hi-hat source.
double Metallic(double t, double scale) {
  static constexpr double kFreqs[] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
  double sum = 0;
  for (double f : kFreqs) sum += std::sin(kTwoPi * f * scale * t) >= 0 ? 1.0 : -1.0;
  return sum / 6.0;
}

std::vector<float> Render(double seconds, auto&& voice) {
  std::vector<float> out(static_cast<size_t>(seconds * kSynthRate));
  for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<float>(voice(i * kDt));
  return out;
}

// Pitch-swept sine for kick and toms; the phase is integrated so the sweep
// stays smooth.
std::vector<float> SweptSine(double seconds, double base_hz, double sweep_hz, double sweep_tau,
                             double amp_tau, double click, uint32_t seed) {
  double phase = 0;
  Noise noise(seed);
  return Render(seconds, [&](double t) {
    phase += kTwoPi * (base_hz + sweep_hz * Decay(t, sweep_tau)) * kDt;
    return std::sin(phase) * Decay(t, amp_tau) + click * noise.Next() * Decay(t, 0.003);
  });
}

std::vector<float> Cymbal(double seconds, double tau, double metal_scale, double noise_level,
                          double highpass_hz, uint32_t seed) {
  Noise noise(seed);
  OnePoleHighPass hp1(highpass_hz), hp2(highpass_hz);
  return Render(seconds, [&](double t) {
    const double src = (1 - noise_level) * Metallic(t, metal_scale) + noise_level * noise.Next();
    const double attack = std::min(1.0, t / 0.0015);
    return hp2.Process(hp1.Process(src)) * attack * Decay(t, tau);
  });
}

std::vector<float> Synthesize(DrumVoice voice) {
  switch (voice) {
    case DrumVoice::kKick:
      return SweptSine(0.45, 48, 120, 0.035, 0.16, 0.15, 11);
    case DrumVoice::kSnare: {
      Noise noise(23);
      OnePoleHighPass hp(1200);
      return Render(0.3, [&](double t) {
        const double body = 0.55 * std::sin(kTwoPi * 185 * t) * Decay(t, 0.05) +
                            0.3 * std::sin(kTwoPi * 330 * t) * Decay(t, 0.035);
        return body + 0.9 * hp.Process(noise.Next()) * Decay(t, 0.07);
      });
    }
    case DrumVoice::kClosedHat:
      return Cymbal(0.09, 0.018, 1.7, 0.3, 7000, 37);
    case DrumVoice::kOpenHat:
      return Cymbal(0.5, 0.14, 1.7, 0.3, 7000, 41);
    case DrumVoice::kCrash:
      return Cymbal(2.0, 0.55, 1.3, 0.65, 3500, 53);
    case DrumVoice::kHighTom:
      return SweptSine(0.5, 210, 90, 0.04, 0.16, 0.05, 61);
    case DrumVoice::kMidTom:
      return SweptSine(0.55, 155, 70, 0.04, 0.19, 0.05, 67);
    case DrumVoice::kFloorTom:
      return SweptSine(0.65, 100, 50, 0.05, 0.24, 0.05, 71);
    case DrumVoice::kRide: {
      // A few inharmonic bell partials over a quiet wash.
      static constexpr double kPartials[] = {523, 1176, 1657, 2518, 3390};
      Noise noise(83);
      OnePoleHighPass hp(6000);
      return Render(1.5, [&](double t) {
        double bell = 0;
        for (double f : kPartials) bell += std::sin(kTwoPi * f * t) / 5.0;
        return 0.7 * bell * Decay(t, 0.45) + 0.5 * hp.Process(noise.Next()) * Decay(t, 0.3);
      });
    }
    case DrumVoice::kClap: {
      // Three quick bursts, then the room's tail.
      Noise noise(97);
      BandPass bp(1100, 1.5);
      return Render(0.35, [&](double t) {
        double env = 0;
        for (double start : {0.0, 0.011, 0.022})
          if (t >= start) env = std::max(env, Decay(t - start, 0.004));
        if (t >= 0.03) env = std::max(env, 0.6 * Decay(t - 0.03, 0.09));
        return bp.Process(noise.Next()) * env;
      });
    }
  }
  return {};
}

// Peak to 0.9 and short fades at both ends.
void Finish(std::vector<float>& samples) {
  float peak = 0;
  for (float x : samples) peak = std::max(peak, std::abs(x));
  if (peak > 0)
    for (float& x : samples) x *= 0.9f / peak;
  const size_t fade_in = std::min<size_t>(samples.size(), kSynthRate / 2000);   // 0.5 ms
  const size_t fade_out = std::min<size_t>(samples.size(), kSynthRate / 200);   // 5 ms
  for (size_t i = 0; i < fade_in; ++i) samples[i] *= static_cast<float>(i) / fade_in;
  for (size_t i = 0; i < fade_out; ++i)
    samples[samples.size() - 1 - i] *= static_cast<float>(i) / fade_out;
}

}  // namespace

std::string_view DrumVoiceName(DrumVoice voice) {
  switch (voice) {
    case DrumVoice::kKick: return "kick";
    case DrumVoice::kSnare: return "snare";
    case DrumVoice::kClosedHat: return "closed_hat";
    case DrumVoice::kOpenHat: return "open_hat";
    case DrumVoice::kCrash: return "crash";
    case DrumVoice::kHighTom: return "high_tom";
    case DrumVoice::kMidTom: return "mid_tom";
    case DrumVoice::kFloorTom: return "floor_tom";
    case DrumVoice::kRide: return "ride";
    case DrumVoice::kClap: return "clap";
  }
  return "unknown";
}

std::vector<float> SynthesizeDrum(DrumVoice voice) {
  std::vector<float> samples = Synthesize(voice);
  Finish(samples);
  return samples;
}

}  // namespace tamboro::tools
