#include "render/hit_limit.h"

#include <algorithm>
#include <string>

#include "render/render_pattern.h"
#include "render/status.h"

namespace tamboro {

void LeaveOutLateHits(RenderJob& job, RenderEnv& env) {
  if (job.max_hit_time <= kLatestHitMs) return;
  uint32_t latest_kept = 0;
  for (size_t d = 0; d < job.hits.size(); ++d) {
    std::vector<uint32_t>& hits = job.hits[d];
    const auto late = [](uint32_t t) { return t > kLatestHitMs; };
    const auto first_late = std::find_if(hits.begin(), hits.end(), late);
    if (first_late != hits.end()) {
      const uint32_t example = *first_late;
      const size_t count = static_cast<size_t>(std::count_if(hits.begin(), hits.end(), late));
      hits.erase(std::remove_if(hits.begin(), hits.end(), late), hits.end());
      Warn(env.screen, env.log,
           "Drum " + std::to_string(d + 1) + ": " + std::to_string(count) +
               " hit(s) left out, later than " + std::to_string(kLatestHitMs) + " ms (first at " +
               std::to_string(example) + " ms)");
    }
    for (uint32_t t : hits) latest_kept = std::max(latest_kept, t);
  }
  job.max_hit_time = latest_kept;
}

}  // namespace tamboro
