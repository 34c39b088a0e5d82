// The real environment of a run: the console, the system clock, the folder
// of the executable and the built-in audio tools.
#include <exception>
#include <iostream>

#include "app/run.h"
#include "audio/memory_work_dir.h"
#include "console/console_writer.h"
#include "console/screen.h"
#include "output/lame_mp3_encoder.h"
#include "platform/clock.h"
#include "platform/program_path.h"
#include "platform/terminal.h"
#include "render/builtin_runner.h"
#include "render/render_pattern.h"

namespace tamboro {

int RunMain(int argc, char** argv) {
  StdoutWriter console;
  Screen screen(console, IsTerminal(1));
  SystemClock clock;
  const std::string program_dir = ExecutableDir();
  auto render = [&](RenderJob& job, std::ostream& log) {
    MemoryWorkDir work_dir(program_dir);
    BuiltinRunner runner(work_dir);
    LameMp3Encoder encoder(work_dir);
    RenderEnv env{runner, work_dir, screen, log, clock, std::cin, encoder};
    return RenderPattern(job, env);
  };
  RunEnv env{screen, std::cin, clock, program_dir, render};
  try {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return Run(args, env);
  } catch (const std::exception& e) {
    // Whatever went wrong deep inside, say so rather than abort.
    screen.Flush();
    std::cerr << "\ntamboro: " << e.what() << '\n';
  }
  return 1;
}

}  // namespace tamboro
