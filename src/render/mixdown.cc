#include "render/mixdown.h"

#include <algorithm>
#include <string>

#include "platform/command_runner.h"
#include "render/render_pattern.h"
#include "render/status.h"

namespace tamboro {
namespace {

// The balance track n takes: that of the PanMap entry its own entry names.
const std::string& PanText(const RenderJob& job, int n) {
  const int channel = job.pan_channel[n];
  if (channel < 0 || channel >= static_cast<int>(job.pan_text.size())) return job.pan_text[n];
  return job.pan_text[channel];
}

}  // namespace

bool MixDownAndCleanUp(const RenderJob& job, RenderEnv& env) {
  const std::string& dir = job.program_dir;
  const int drums = std::clamp(job.drum_count, 0, 10);

  for (int n = 0; n < drums; ++n) {
    const std::string track = dir + "dtrack" + std::to_string(n);
    if (job.stereo == 1) {
      env.runner.Run("sox \"" + track + ".aiff\" -c 2 \"" + track + ".wav\" pan " + PanText(job, n));
    } else {
      env.runner.Run("sox -v .7 \"" + track + ".aiff\" \"" + track + ".wav\"");
    }
  }

  ShowStatus(env.screen, "Mixing down tracks");
  std::string mix = "sox -m";
  for (int n = 0; n < drums; ++n) {
    if (!job.hits[n].empty()) mix += " -v .60 \"" + dir + "dtrack" + std::to_string(n) + ".wav\"";
  }
  mix += " \"" + dir + "final.wav\"";
  if ((job.effects >> 8) != 0) mix += " reverb 60 50 100 100";
  const CommandResult mixed = env.runner.Run(mix);
  if (!mixed.ok) {
    Warn(env.screen, env.log,
         "Mixing down failed" + (mixed.error.empty() ? std::string() : ": " + mixed.error));
  }

  for (const char* ext : {".wav", ".aiff"}) {
    for (int n = 0; n < drums; ++n) {
      ShowStatus(env.screen, "Cleaning up");
      env.runner.Run("del \"" + dir + "dtrack" + std::to_string(n) + ext + "\"");
    }
  }
  for (int n = 0; n < std::min(2 * drums, 20); ++n) {
    if (job.sample_present[n] == 0) continue;
    ShowStatus(env.screen, "Cleaning up");
    env.runner.Run("del \"" + dir + "drum" + std::to_string(n) + ".aiff\"");
  }
  env.runner.Run("del \"" + dir + "dtrack.aiff\"");
  env.runner.Run("del \"" + dir + "5.aiff\"");
  return mixed.ok;
}

}  // namespace tamboro
