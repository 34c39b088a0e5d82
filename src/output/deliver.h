#pragma once
// The last stage of a render: name the output, ask for the format when none
// is set, turn "final.wav" into MP3, WAV or AIFF next to the input, and write
// the closing lines.

#include <cstdint>
#include <ctime>
#include <iosfwd>
#include <string>

namespace tamboro {

class Clock;
class CommandRunner;
class Mp3Encoder;
class Screen;
class WorkDir;

struct DeliveryRequest {
  std::string program_dir;   // ends in '/'
  std::string output_base;   // input path without its extension; grows by suffix and extension
  int output_format = 0;     // 0 ask, 1 MP3, 2 WAV, 3 AIFF, anything else: unknown
  uint8_t stereo = 0;
  std::time_t start_time = 0;
};

struct DeliveryEnv {
  CommandRunner& runner;
  WorkDir& work_dir;
  Screen& screen;
  std::ostream& log;
  Clock& clock;
  std::istream& input;
  Mp3Encoder& encoder;
};

// True when the output file was written completely. request.output_base ends
// as the output's full name.
bool DeliverOutput(DeliveryRequest& request, DeliveryEnv& env);

}  // namespace tamboro
