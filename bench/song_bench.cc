// A whole song through the built-in runner, as a render runs it: a 180 s
// canvas, ten tracks with about 3,000 hits in all, each track panned to a
// stereo WAV, the mixdown (with reverb when asked) and delivery to a WAV
// file. Prints the time of each stage and the peak memory, and the time
// the real sox takes to write 180 s of stereo silence, for comparison.
//
//   song_bench [--reverb] [--seconds N]

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "audio/memory_work_dir.h"
#include "render/builtin_runner.h"
#include "support/sound_files.h"

namespace tamboro {
namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string Seconds(double s) {
  char text[32];
  std::snprintf(text, sizeof text, "%f", s);
  return text;
}

int Main(int argc, char** argv) {
  bool reverb = false;
  int seconds = 180;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--reverb")) reverb = true;
    else if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc) seconds = std::atoi(argv[++i]);
  }
  testing::TempDir dir;
  const std::string d = dir.path();
  const std::string q = "\"" + d;
  testing::WritePcm16(d + "5.dat", testing::Pcm16{44100, 1, std::vector<int16_t>(5 * 44100, 0)});
  for (int s = 0; s < 10; ++s) {
    testing::WritePcm16(d + "s" + std::to_string(s) + ".wav",
                        testing::TestSignal(48000, 2, 9600 + 2400 * s, 10 + s, 0.3));
  }
  MemoryWorkDir work_dir(d);
  BuiltinRunner runner(work_dir);
  int failures = 0;
  auto run = [&](const std::string& line) {
    const CommandResult r = runner.Run(line);
    if (!r.ok && ++failures < 5) std::fprintf(stderr, "failed: %s\n", r.error.c_str());
  };

  auto start = Clock::now();
  run("copy " + q + "5.dat\" " + q + "5.aiff\"");
  run("copy " + q + "5.dat\" " + q + "dtrack.aiff\"");
  for (int x = 15000; x < seconds * 1000 + 12500; x += 5000) {
    run("sox.exe " + q + "5.aiff\"  " + q + "dtrack.aiff\" " + q + "dtrack.aiff\"");
  }
  for (int s = 0; s < 10; ++s) {
    run("sox  " + q + "s" + std::to_string(s) + ".wav\" -c 1 -r 44100 " + q + "drum" + std::to_string(s) + ".aiff\"");
  }
  const double prepare = Since(start);

  start = Clock::now();
  std::mt19937 rng(1);
  int hits = 0;
  for (int t = 9; t >= 0; --t) {
    const std::string n = std::to_string(t);
    run("copy " + q + "dtrack.aiff\" " + q + "dtrack" + n + ".aiff\"");
    // About 300 hits per track, ascending, at whole milliseconds.
    double at = 0;
    while (true) {
      at += std::uniform_int_distribution<int>(50, 1150)(rng) / 1000.0;
      if (at >= seconds) break;
      const std::string time = Seconds(at);
      run("sox " + q + "dtrack" + n + ".aiff\" " + q + "clip2.aiff\" trim " + time);
      run("sox " + q + "dtrack" + n + ".aiff\"   " + q + "clip1.aiff\" trim 0 " + time);
      run("sox -m -v 1 " + q + "drum" + n + ".aiff\" -v 0 " + q + "clip2.aiff\"   " + q + "clip3.aiff\"");
      run("sox " + q + "clip1.aiff\" " + q + "clip3.aiff\"   " + q + "dtrack" + n + ".aiff\"");
      ++hits;
    }
  }
  const double place = Since(start);

  start = Clock::now();
  const char* pans[] = {"-1", "-0.75", "-0.5", "-0.25", "0.0", "0.25", "0.5", "0.75", "1", "0.1"};
  std::string mix = "sox -m";
  for (int t = 0; t < 10; ++t) {
    const std::string n = std::to_string(t);
    run("sox " + q + "dtrack" + n + ".aiff\" -c 2 " + q + "dtrack" + n + ".wav\" pan " + pans[t]);
    mix += " -v .60 " + q + "dtrack" + n + ".wav\"";
  }
  mix += " " + q + "final.wav\"";
  if (reverb) mix += " reverb 60 50 100 100";
  run(mix);
  const double mixdown = Since(start);
  start = Clock::now();
  run("sox " + q + "final.wav\" " + q + "song.wav\"");
  run("del " + q + "final.wav\"");
  const double deliver = Since(start);

  start = Clock::now();
  const std::string silence = "sox -D -n -r 44100 -c 2 -b 16 '" + d + "silence.wav' trim 0 " + std::to_string(seconds);
  const int rc = std::system(silence.c_str());
  const double sox_silence = Since(start);

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("song: %d s stereo, %d hits, reverb %s, %d failed lines\n", seconds, hits,
              reverb ? "on" : "off", failures);
  std::printf("  canvas and samples   %7.3f s\n", prepare);
  std::printf("  hit placement        %7.3f s (%.1f us per hit)\n", place, place / hits * 1e6);
  std::printf("  pan and mixdown      %7.3f s\n", mixdown);
  std::printf("  delivery to WAV      %7.3f s\n", deliver);
  std::printf("  mixdown + delivery   %7.3f s   (sox writing %d s of silence: %.3f s%s)\n",
              mixdown + deliver, seconds, sox_silence, rc ? ", failed" : "");
  std::printf("  peak memory          %7.1f MB\n", usage.ru_maxrss / 1024.0);
  return failures ? 1 : 0;
}

}  // namespace
}  // namespace tamboro

int main(int argc, char** argv) { return tamboro::Main(argc, argv); }
