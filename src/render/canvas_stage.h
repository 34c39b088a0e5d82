#pragma once
// The first stage of a render: the silent template copied to "5.aiff" and to
// the canvas, the canvas lengthened past the last hit, secondaries flags
// without hits cleared, and every needed sample converted to mono 44100 Hz.

#include <array>

namespace tamboro {

struct RenderJob;
struct RenderEnv;

// The converted samples the later stages may use, by sample index.
struct PreparedSamples {
  std::array<bool, 20> ready{};
};

// Number of sample slots a job uses: twice the drums in the new layout.
int SampleCount(const RenderJob& job);

// Clears job.secondary5 / job.secondary10 when their drum has no hits. A
// sample that cannot be converted is reported (drum, name, path tried) and
// left unready. Returns false, after a message, when the template "5.dat"
// is missing or cannot be copied: then no audio can be made at all.
bool PrepareCanvasAndSamples(RenderJob& job, RenderEnv& env, PreparedSamples& samples);

}  // namespace tamboro
