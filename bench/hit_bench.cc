// Placing one hit: the four lines of the normal sequence through the
// built-in runner, on a track that already holds 1,000 hits. The cost
// should follow the sample's length and the number of pieces, not the
// track's length.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "audio/clip.h"
#include "audio/memory_work_dir.h"
#include "render/builtin_runner.h"
#include "support/sound_files.h"

namespace tamboro {
namespace {

std::string Seconds(double s) {
  char text[32];
  std::snprintf(text, sizeof text, "%f", s);
  return text;
}

struct HitLines {
  std::string lines[4];
};

HitLines Lines(const std::string& dir, double t) {
  const std::string q = "\"" + dir;
  return {{"sox " + q + "dtrack0.aiff\" " + q + "clip2.aiff\" trim " + Seconds(t),
           "sox " + q + "dtrack0.aiff\"   " + q + "clip1.aiff\" trim 0 " + Seconds(t),
           "sox -m -v 1 " + q + "drum0.aiff\" -v 0 " + q + "clip2.aiff\"   " + q + "clip3.aiff\"",
           "sox " + q + "clip1.aiff\" " + q + "clip3.aiff\"   " + q + "dtrack0.aiff\""}};
}

void PlaceOneHit(benchmark::State& state) {
  const double track_seconds = static_cast<double>(state.range(0));
  testing::TempDir dir;
  if (!WritePcm16(dir.path() + "kick.wav", testing::TestSignal(44100, 1, 13230, 1))) {
    state.SkipWithError("cannot write the sample");
    return;
  }
  MemoryWorkDir work_dir(dir.path());
  BuiltinRunner runner(work_dir);
  std::string error;
  runner.Run("sox  \"" + dir.path() + "kick.wav\" -c 1 -r 44100 \"" + dir.path() + "drum0.aiff\"");
  work_dir.WriteClip(dir.path() + "dtrack0.aiff",
                     Clip::Silence(44100, 1, static_cast<int64_t>(track_seconds * 44100)), &error);
  // 1,000 hits spread over the first 90 % of the track.
  const double span = track_seconds * 0.9;
  for (int i = 0; i < 1000; ++i) {
    const double t = 0.001 + span * i / 1000;
    for (const std::string& line : Lines(dir.path(), t).lines) {
      if (!runner.Run(line).ok) {
        state.SkipWithError(("failed: " + line).c_str());
        return;
      }
    }
  }
  // Each round places the next hit at the same time, after the others, so
  // the track keeps its 1,000 hits and its pieces.
  const HitLines next = Lines(dir.path(), track_seconds * 0.95);
  for (auto _ : state) {
    for (const std::string& line : next.lines) benchmark::DoNotOptimize(runner.Run(line));
  }
  Clip track;
  work_dir.ReadClip(dir.path() + "dtrack0.aiff", &track, &error);
  state.counters["pieces"] = static_cast<double>(track.piece_count());
}

BENCHMARK(PlaceOneHit)->Arg(30)->Arg(180)->Arg(600)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tamboro

BENCHMARK_MAIN();
