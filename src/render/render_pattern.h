#pragma once
// The renderer: canvas and samples, beat placement, panning, mixdown,
// cleanup, then output delivery. Every file or audio step is one command
// line handed to the CommandRunner.

#include <array>
#include <cstdint>
#include <ctime>
#include <iosfwd>
#include <string>
#include <vector>

namespace tamboro {

class Clock;
class CommandRunner;
class Mp3Encoder;
class Screen;
class WorkDir;

struct RenderJob {
  std::string program_dir;                     // ends in '/'
  bool new_layout = false;
  int drum_count = 5;
  std::array<std::string, 20> samples;
  std::array<uint8_t, 20> sample_present{};
  std::array<std::vector<uint32_t>, 10> hits;
  uint8_t secondary5 = 0;
  uint8_t secondary10 = 0;
  uint32_t max_hit_time = 0;
  std::array<int, 10> pan_channel{};           // PanMap channels
  std::array<std::string, 10> pan_text;        // PanMap pan texts
  uint8_t stereo = 0;
  uint16_t effects = 0;                        // low byte reverse, high byte reverb
  std::string output_base;                     // grows by suffix and extension
  int output_format = 0;
  std::time_t start_time = 0;
};

struct RenderEnv {
  CommandRunner& runner;
  WorkDir& work_dir;       // the files the runner works on
  Screen& screen;
  std::ostream& log;
  Clock& clock;
  std::istream& input;     // the format menu's answer
  Mp3Encoder& encoder;
};

// Returns 1, as the run has always done.
int RenderPattern(RenderJob& job, RenderEnv& env);

}  // namespace tamboro
