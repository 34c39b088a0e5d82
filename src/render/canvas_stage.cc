#include "render/canvas_stage.h"

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <string>

#include "platform/command_runner.h"
#include "audio/work_dir.h"
#include "render/render_pattern.h"
#include "render/status.h"

namespace tamboro {
namespace {

int DrumCount(const RenderJob& job) { return std::clamp(job.drum_count, 0, 10); }

std::string WithReason(const std::string& what, const std::string& reason) {
  return reason.empty() ? what : what + ": " + reason;
}

// Says which drum a sample belongs to, as the user knows it.
std::string SampleOwner(const RenderJob& job, int index) {
  if (!job.new_layout) return "Drum " + std::to_string(index + 1) + ": sample";
  return "Drum " + std::to_string(index / 2 + 1) + (index % 2 ? ": secondary sample" : ": sample");
}

bool CopyTemplate(const RenderJob& job, RenderEnv& env) {
  const std::string& dir = job.program_dir;
  const std::string template_path = dir + "5.dat";
  if (!env.work_dir.Exists(template_path)) {
    Warn(env.screen, env.log, "Cannot make the audio: the template " + template_path + " is missing");
    return false;
  }
  CommandResult made = env.runner.Run("copy \"" + dir + "5.dat\" \"" + dir + "5.aiff\"");
  if (made.ok) {
    made = env.runner.Run("copy \"" + dir + "5.dat\" \"" + dir + "dtrack.aiff\"");
    if (!made.ok) env.runner.Run("del \"" + dir + "5.aiff\"");
  }
  if (!made.ok) {
    Warn(env.screen, env.log,
         WithReason("Cannot make the audio: the template " + template_path + " could not be copied",
                    made.error));
    return false;
  }
  return true;
}

}  // namespace

int SampleCount(const RenderJob& job) {
  return std::min(job.new_layout ? 2 * DrumCount(job) : DrumCount(job), 20);
}

bool PrepareCanvasAndSamples(RenderJob& job, RenderEnv& env, PreparedSamples& samples) {
  samples = PreparedSamples{};
  const std::string& dir = job.program_dir;
  if (!CopyTemplate(job, env)) return false;

  // The canvas covers the last hit with room for a sample to ring out; in
  // reverse mode every hit lies five seconds later.
  const bool reverse = (job.effects & 0xFF) != 0;
  for (uint64_t x = reverse ? 0 : 15000; uint64_t{job.max_hit_time} + 12500 > x; x += 5000) {
    LogLine(env.log, "x= " + std::to_string(x));
    env.runner.Run("sox.exe" + std::string(" \"") + dir + "5.aiff\"  \"" + dir +
                   "dtrack.aiff\" \"" + dir + "dtrack.aiff\"");
  }

  if (job.hits[4].empty()) job.secondary5 = 0;
  if (job.hits[9].empty()) job.secondary10 = 0;

  for (int i = 0; i < SampleCount(job); ++i) {
    if (job.secondary10 == 1 && i == 19) continue;
    if (job.secondary5 == 1 && i == 9) continue;
    if (job.sample_present[i] == 0) continue;
    const std::string& name = job.samples[i];
    const CommandResult converted = env.runner.Run("sox" + std::string("  \"") + dir + name +
                                                   "\" -c 1 -r 44100 \"" + dir + "drum" +
                                                   std::to_string(i) + ".aiff\"");
    samples.ready[i] = converted.ok;
    if (!converted.ok) {
      Warn(env.screen, env.log,
           WithReason(SampleOwner(job, i) + " \"" + name + "\" cannot be read (tried " + dir + name + ")",
                      converted.error) +
               "; its hits are left out");
    }
  }
  return true;
}

}  // namespace tamboro
