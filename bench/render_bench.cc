// One run of the program on a pattern, as the binary runs it, with the
// command lines going to the built-in runner (in-memory working files) or
// to the real sound tool (working files on disk, one process per line).
// Prints the wall time of the run; the output is removed afterwards.
//
//   render_bench builtin|sox <program-folder>/ <pattern.ktb> [format]

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/run.h"
#include "audio/disk_work_dir.h"
#include "audio/memory_work_dir.h"
#include "console/console_writer.h"
#include "console/screen.h"
#include "output/lame_mp3_encoder.h"
#include "platform/clock.h"
#include "render/builtin_runner.h"
#include "render/render_pattern.h"
#include "support/sox_process_runner.h"

namespace tamboro {
namespace {

class NoConsole : public ConsoleWriter {
 public:
  void Write(std::string_view) override {}
  void Flush() override {}
};

// Passes every line on and keeps the first failures: a benchmark whose
// lines fail measures nothing.
class CountingRunner : public CommandRunner {
 public:
  explicit CountingRunner(CommandRunner& inner) : inner_(inner) {}
  CommandResult Run(const std::string& line) override {
    ++lines_;
    CommandResult r = inner_.Run(line);
    // "del" of a file never made is part of the plan, not a fault.
    if (!r.ok && line.rfind("del ", 0) != 0 && failures_.size() < 5) failures_.push_back(r.error);
    return r;
  }
  int lines() const { return lines_; }
  const std::vector<std::string>& failures() const { return failures_; }

 private:
  CommandRunner& inner_;
  int lines_ = 0;
  std::vector<std::string> failures_;
};

int Main(int argc, char** argv) {
  if (argc < 4 || (std::string(argv[1]) != "builtin" && std::string(argv[1]) != "sox")) {
    std::fprintf(stderr, "usage: render_bench builtin|sox <program-folder>/ <pattern.ktb> [format]\n");
    return 2;
  }
  const bool reference = std::string(argv[1]) == "sox";
  std::string program_dir = argv[2];
  if (program_dir.empty() || program_dir.back() != '/') program_dir += '/';
  const std::string format = argc > 4 ? argv[4] : "2";

  NoConsole console;
  Screen screen(console, false);
  SystemClock clock;
  std::istringstream input;
  std::string output;
  int lines = 0;
  std::vector<std::string> failures;
  auto render = [&](RenderJob& job, std::ostream& log) {
    std::unique_ptr<WorkDir> work_dir;
    std::unique_ptr<CommandRunner> runner;
    if (reference) {
      work_dir = std::make_unique<DiskWorkDir>();
      runner = std::make_unique<testing::SoxProcessRunner>();
    } else {
      work_dir = std::make_unique<MemoryWorkDir>(program_dir);
      runner = std::make_unique<BuiltinRunner>(*work_dir);
    }
    CountingRunner counting(*runner);
    LameMp3Encoder encoder(*work_dir);
    RenderEnv env{counting, *work_dir, screen, log, clock, input, encoder};
    const int result = RenderPattern(job, env);
    output = job.output_base;
    lines = counting.lines();
    failures = counting.failures();
    return result;
  };
  RunEnv env{screen, input, clock, program_dir, render};

  const auto start = std::chrono::steady_clock::now();
  Run({argv[3], format}, env);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  std::error_code ec;
  const bool made = !output.empty() && std::filesystem::exists(output, ec);
  if (made) std::filesystem::remove(output, ec);
  for (const std::string& f : failures) std::fprintf(stderr, "render_bench: failed: %s\n", f.c_str());
  if (!made || !failures.empty()) {
    std::fprintf(stderr, "render_bench: no output made (%s)\n", output.c_str());
    return 1;
  }
  std::printf("%.4f s, %d lines\n", seconds, lines);
  return 0;
}

}  // namespace
}  // namespace tamboro

int main(int argc, char** argv) { return tamboro::Main(argc, argv); }
