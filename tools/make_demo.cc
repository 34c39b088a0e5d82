// Writes the demo: a synthesised drum kit under <program-folder>/Samples/ and
// a new-layout KTB pattern that plays it, four bars and a last crash at
// 120 BPM on all ten drums.
//
//   make_demo <program-folder> <pattern-path>
//
// The pattern names its samples as Windows-style paths relative to the
// program folder (Samples\kick.wav), as Thumpbox patterns do.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "demo_kit.h"
#include "drum_synth.h"
#include "support/ktb_builder.h"

namespace {

using tamboro::tools::DrumVoice;

constexpr uint32_t kStepMs = 125;  // a sixteenth note at 120 BPM
constexpr int kStepsPerBar = 16;

struct Groove {
  std::vector<std::vector<uint32_t>> hits = std::vector<std::vector<uint32_t>>(10);
  void Add(DrumVoice voice, int bar, std::initializer_list<int> steps) {
    for (int step : steps)
      hits[static_cast<int>(voice)].push_back((bar * kStepsPerBar + step) * kStepMs);
  }
};

// Drum d of the pattern plays kAllDrumVoices[d].
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
  for (auto& times : g.hits) std::sort(times.begin(), times.end());
  return g;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_demo <program-folder> <pattern-path>\n");
    return 2;
  }
  const std::string program_dir = argv[1];
  const std::string pattern_path = argv[2];

  std::string error;
  if (!tamboro::tools::WriteKitSamples(program_dir, &error)) {
    std::fprintf(stderr, "make_demo: %s\n", error.c_str());
    return 1;
  }

  const Groove groove = DemoGroove();
  auto pattern = tamboro::testing::KtbBuilder::NewLayout();
  size_t hit_count = 0;
  for (size_t drum = 0; drum < tamboro::tools::kAllDrumVoices.size(); ++drum) {
    // Own sample in slot 2d; the secondary slot stays blank.
    pattern.Sample(static_cast<int>(2 * drum),
                   tamboro::tools::KitSampleName(tamboro::tools::kAllDrumVoices[drum]));
    pattern.Hits(static_cast<int>(drum), groove.hits[drum]);
    hit_count += groove.hits[drum].size();
  }
  try {
    pattern.WriteTo(pattern_path);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_demo: %s\n", e.what());
    return 1;
  }
  std::printf("make_demo: wrote %s (10 drums, %zu hits) and its samples in %s/Samples\n",
              pattern_path.c_str(), hit_count, program_dir.c_str());
  return 0;
}
