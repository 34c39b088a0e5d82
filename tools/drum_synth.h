#pragma once
// A small synthesised drum kit, so demos and benchmark songs need no sample
// files from anywhere else. Every voice is mono float audio at 44100 Hz,
// peaking at no more than 0.9, silent at both ends (no click when it is cut in), and the
// same on every call: the noise comes from a fixed-seed generator.

#include <array>
#include <string_view>
#include <vector>

namespace tamboro::tools {

inline constexpr int kSynthRate = 44100;

enum class DrumVoice {
  kKick,
  kSnare,
  kClosedHat,
  kOpenHat,
  kCrash,
  kHighTom,
  kMidTom,
  kFloorTom,
  kRide,
  kClap,
};

inline constexpr std::array<DrumVoice, 10> kAllDrumVoices = {
    DrumVoice::kKick,   DrumVoice::kSnare,  DrumVoice::kClosedHat, DrumVoice::kOpenHat,
    DrumVoice::kCrash,  DrumVoice::kHighTom, DrumVoice::kMidTom,   DrumVoice::kFloorTom,
    DrumVoice::kRide,   DrumVoice::kClap,
};

// A short lower-case name fit for a file name: "kick", "closed_hat", ...
std::string_view DrumVoiceName(DrumVoice voice);

std::vector<float> SynthesizeDrum(DrumVoice voice);

}  // namespace tamboro::tools
