#pragma once
// The second stage of a render: one mono track per drum, built from a copy
// of the canvas by placing every hit with the drum's sample (normal mode:
// the sample starts at the hit; reverse mode: it ends there, backwards, at
// half volume, five seconds later than recorded).

namespace tamboro {

struct RenderJob;
struct RenderEnv;
struct PreparedSamples;

// Hits whose sample is not ready are left out, leaving the track as it was;
// a drum that has hits for a slot that names no sample gets one warning.
void PlaceBeats(const RenderJob& job, RenderEnv& env, const PreparedSamples& samples);

}  // namespace tamboro
