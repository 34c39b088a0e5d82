#include "render/beat_placement.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "console/screen.h"
#include "platform/command_runner.h"
#include "render/canvas_stage.h"
#include "render/render_pattern.h"
#include "render/seconds_text.h"
#include "render/secondary_window.h"
#include "render/status.h"

namespace tamboro {
namespace {

// The command sequences that place one hit on track t (file index t - 1).
class TrackBuilder {
 public:
  TrackBuilder(const RenderJob& job, RenderEnv& env, int track)
      : env_(env), dir_(job.program_dir), t_(track), n_(std::to_string(track - 1)) {}

  void TimeZero(const std::string& s) {
    Run("copy \"" + dir_ + "dtrack" + n_ + ".aiff\" \"" + dir_ + "temp.aiff\"");
    ShowStatus(env_.screen, "Constructing Drum " + std::to_string(t_));
    Run("sox -m -v 1" + Q() + "drum" + s + ".aiff\" -v 0 \"" + dir_ + "temp.aiff\"   \"" + dir_ +
        "dtrack" + n_ + ".aiff\"");
    Run("del \"" + dir_ + "temp.aiff\"");
  }

  void Normal(const std::string& s, const std::string& pos) {
    Split(pos);
    Run("sox -m -v 1" + Q() + "drum" + s + ".aiff\" -v 0 \"" + dir_ + "clip2.aiff\"   \"" + dir_ +
        "clip3.aiff\"");
    Run("sox" + Q() + "clip1.aiff\" \"" + dir_ + "clip3.aiff\"   \"" + dir_ + "dtrack" + n_ +
        ".aiff\"");
  }

  void Reverse(const std::string& s, const std::string& pos) {
    Split(pos);
    Run("sox" + Q() + "clip1.aiff\" \"" + dir_ + "temp.aiff\"" + " reverse");
    Run("sox -m -v .5" + Q() + "drum" + s + ".aiff\" -v 1 \"" + dir_ + "temp.aiff\"  \"" + dir_ +
        "clip1.aiff\"");
    Run("sox" + Q() + "clip1.aiff\" \"" + dir_ + "temp.aiff\"" + " reverse");
    Run("sox" + std::string(" -v 1 \"") + dir_ + "temp.aiff\" \"" + dir_ + "clip2.aiff\" \"" +
        dir_ + "dtrack" + n_ + ".aiff\"");
  }

 private:
  // " \"" and the program folder: the opening of most quoted paths.
  std::string Q() const { return " \"" + dir_; }
  void Run(const std::string& line) { env_.runner.Run(line); }

  // clip2: the track from the position on; clip1: the track before it.
  void Split(const std::string& pos) {
    Run("sox" + Q() + "dtrack" + n_ + ".aiff\" \"" + dir_ + "clip2.aiff\"" + " trim " + pos);
    Run("sox" + Q() + "dtrack" + n_ + ".aiff\"   \"" + dir_ + "clip1.aiff\"" + " trim 0 " + pos);
  }

  RenderEnv& env_;
  const std::string& dir_;
  int t_;
  std::string n_;
};

// The secondaries list that steers track t's sample choice, if any.
const std::vector<uint32_t>* SecondariesFor(const RenderJob& job, int t) {
  if (!job.new_layout) return nullptr;
  if (t <= 5) return job.secondary5 != 0 ? &job.hits[4] : nullptr;
  return job.secondary10 != 0 ? &job.hits[9] : nullptr;
}

bool IsSecondariesTrack(const RenderJob& job, int t) {
  return (t == 10 && job.secondary10 == 1) || (t == 5 && job.secondary5 == 1);
}

void BuildTrack(const RenderJob& job, RenderEnv& env, const PreparedSamples& samples, int t) {
  const std::string& dir = job.program_dir;
  const bool reverse = (job.effects & 0xFF) != 0;
  ShowStatus(env.screen, "Constructing Drum " + std::to_string(t));
  env.runner.Run("copy \"" + dir + "dtrack.aiff\" \"" + dir + "dtrack" + std::to_string(t - 1) +
                 ".aiff\"");

  const std::vector<uint32_t>& hits = job.hits[t - 1];
  if (hits.empty()) return;
  if (IsSecondariesTrack(job, t)) {
    // Its hits only steer the other tracks of its half; the cell says so.
    env.screen.ShowBeatCell(t, hits.front(), job.secondary5, job.secondary10);
    return;
  }

  const std::vector<uint32_t>* secondaries = SecondariesFor(job, t);
  const std::vector<uint32_t> no_windows;
  SecondaryWindow window(secondaries ? *secondaries : no_windows);
  TrackBuilder track(job, env, t);
  int nameless_hits = 0;
  for (uint32_t hit : hits) {
    const bool secondary = window.TakesSecondary(hit);
    const int sample = job.new_layout ? 2 * t - (secondary ? 1 : 2) : t - 1;
    if (!samples.ready[sample]) {
      // Reported already when its conversion failed; a slot that names no
      // sample is reported once for the drum below.
      if (job.sample_present[sample] == 0) ++nameless_hits;
      continue;
    }
    env.screen.ShowBeatCell(t, hit, job.secondary5, job.secondary10);
    const std::string s = std::to_string(sample);
    if (reverse) {
      track.Reverse(s, SecondsText(hit * 0.001 + 5.0));
    } else if (hit == 0) {
      track.TimeZero(s);
    } else {
      track.Normal(s, SecondsText(hit * 0.001));
    }
  }
  if (nameless_hits > 0) {
    Warn(env.screen, env.log,
         "Drum " + std::to_string(t) + ": " + std::to_string(nameless_hits) +
             " hit(s) left out: the pattern names no sample for them");
  }
}

}  // namespace

void PlaceBeats(const RenderJob& job, RenderEnv& env, const PreparedSamples& samples) {
  const int drums = std::clamp(job.drum_count, 0, 10);
  for (int t = drums; t >= 1; --t) BuildTrack(job, env, samples, t);
  const std::string& dir = job.program_dir;
  env.runner.Run("del \"" + dir + "clip1.aiff\"");
  env.runner.Run("del \"" + dir + "clip2.aiff\"");
  if ((job.effects & 0xFF) == 0) {
    env.runner.Run("del \"" + dir + "clip3.aiff\"");
  } else {
    env.runner.Run("del \"" + dir + "temp.aiff\"");
  }
}

}  // namespace tamboro
