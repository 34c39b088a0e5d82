#pragma once
// One run of the program: from the command line to the rendered pattern.

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace tamboro {

class Clock;
class Screen;
struct RenderJob;

// Renders a loaded pattern; a function so tests can run the driver without audio.
using RenderFunction = std::function<int(RenderJob& job, std::ostream& log)>;

struct RunEnv {
  Screen& screen;
  std::istream& input;       // the wait for Enter, the format menu
  Clock& clock;
  std::string program_dir;   // holds the log, the configuration and the template; ends in '/'
  RenderFunction render;
};

// args: the user's arguments (pattern file, format, drum type). Returns the
// process result, which is 1 on every path.
int Run(const std::vector<std::string>& args, RunEnv& env);

// The program's entry: the real console, clock, program folder and renderer.
int RunMain(int argc, char** argv);

}  // namespace tamboro
