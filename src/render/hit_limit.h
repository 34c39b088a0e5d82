#pragma once
// A bound on hit times. A corrupt or hostile pattern can hold times of
// weeks; the canvas grows by five seconds per line up to the last hit, so
// such a time would make the run endless and its audio huge. The loader
// refuses such patterns; this guards renders that do not come through it.

#include <cstdint>

namespace tamboro {

struct RenderJob;
struct RenderEnv;

// Six hours, the loader's bound: a 16-bit stereo WAV cannot hold much more.
inline constexpr uint32_t kLatestHitMs = 6u * 60u * 60u * 1000u;

// Removes hits later than kLatestHitMs from job.hits, with one warning per
// drum that had any, and sets job.max_hit_time to the latest hit kept.
void LeaveOutLateHits(RenderJob& job, RenderEnv& env);

}  // namespace tamboro
