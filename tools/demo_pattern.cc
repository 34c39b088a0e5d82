#include "demo_pattern.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <vector>

#include "demo_kit.h"
#include "drum_synth.h"

namespace tamboro::tools {

namespace {

constexpr int kStepsPerBar = 16;

class Groove {
 public:
  void Add(DrumVoice voice, int bar, std::initializer_list<int> steps) {
    for (int step : steps)
      hits_[static_cast<size_t>(voice)].push_back((bar * kStepsPerBar + step) * kDemoStepMs);
  }
  // Times per drum, ascending, as a recording holds them.
  std::vector<uint32_t> Hits(DrumVoice voice) const {
    std::vector<uint32_t> times = hits_[static_cast<size_t>(voice)];
    std::sort(times.begin(), times.end());
    return times;
  }

 private:
  std::array<std::vector<uint32_t>, kAllDrumVoices.size()> hits_;
};

Groove DemoGroove() {
  Groove g;
  for (int bar = 0; bar < 3; ++bar) {
    g.Add(DrumVoice::kKick, bar, {0, 8, 10});
    g.Add(DrumVoice::kSnare, bar, {4, 12});
  }
  // Hi-hats for two bars, opening on the last eighth; the ride takes bar 3.
  for (int bar = 0; bar < 2; ++bar) {
    g.Add(DrumVoice::kClosedHat, bar, {0, 2, 4, 6, 8, 10, 12});
    g.Add(DrumVoice::kOpenHat, bar, {14});
  }
  g.Add(DrumVoice::kRide, 2, {0, 2, 4, 6, 8, 10, 12, 14});
  g.Add(DrumVoice::kClap, 1, {12});
  g.Add(DrumVoice::kClap, 2, {12});
  // Bar 4: half a bar of groove, then a fill down the toms.
  g.Add(DrumVoice::kKick, 3, {0});
  g.Add(DrumVoice::kSnare, 3, {4, 14, 15});
  g.Add(DrumVoice::kClosedHat, 3, {0, 2, 4, 6});
  g.Add(DrumVoice::kHighTom, 3, {8, 9});
  g.Add(DrumVoice::kMidTom, 3, {10, 11});
  g.Add(DrumVoice::kFloorTom, 3, {12, 13});
  // Crash in, crash out.
  g.Add(DrumVoice::kCrash, 0, {0});
  g.Add(DrumVoice::kCrash, 4, {0});
  g.Add(DrumVoice::kKick, 4, {0});
  return g;
}

}  // namespace

testing::KtbBuilder DemoPattern() {
  const Groove groove = DemoGroove();
  auto pattern = testing::KtbBuilder::NewLayout();
  for (size_t drum = 0; drum < kAllDrumVoices.size(); ++drum) {
    const DrumVoice voice = kAllDrumVoices[drum];
    pattern.Sample(static_cast<int>(2 * drum), KitSampleName(voice));  // own sample
    pattern.Hits(static_cast<int>(drum), groove.Hits(voice));
  }
  return pattern;
}

}  // namespace tamboro::tools
