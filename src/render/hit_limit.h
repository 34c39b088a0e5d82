#pragma once
// A bound on hit times. A corrupt or hostile pattern can hold times of
// weeks; the canvas grows by five seconds per line up to the last hit, so
// such a time would make the run endless and its audio huge.

#include <cstdint>

namespace tamboro {

struct RenderJob;
struct RenderEnv;

// Thirty minutes: far beyond any drum pattern that is played in.
inline constexpr uint32_t kLatestHitMs = 30u * 60u * 1000u;

// Removes hits later than kLatestHitMs from job.hits, with one warning per
// drum that had any, and sets job.max_hit_time to the latest hit kept.
void LeaveOutLateHits(RenderJob& job, RenderEnv& env);

}  // namespace tamboro
