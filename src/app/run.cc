#include "app/run.h"

#include <fstream>
#include <utility>

#include "app/check_extension.h"
#include "app/run_state.h"
#include "app/usage.h"
#include "console/screen.h"
#include "pattern/read_pattern_body.h"
#include "pattern/read_pattern_header.h"
#include "render/render_pattern.h"
#include "settings/apply_overrides.h"
#include "settings/read_config_file.h"

namespace tamboro {
namespace {

constexpr char kNotKtb[] = "Not a .KTB FILE";

// A pattern the loader could not read: its message on the console and in the
// log, then the wait for Enter.
int StopOnLoadProblem(const std::string& problem, std::ostream& log, RunEnv& env) {
  env.screen.ClearStatusArea();
  env.screen.Write(problem + "\n");
  log << problem << '\n';
  WaitForEnter(env.screen, env.input);
  return 1;
}

RenderJob MakeRenderJob(RunState& state) {
  RenderJob job;
  job.program_dir = state.program_dir;
  job.new_layout = state.header.new_layout;
  job.drum_count = state.header.drum_count;
  job.start_time = state.header.start_time;
  PatternBody& body = state.body;
  job.samples = std::move(body.samples);
  job.sample_present = body.sample_present;
  job.hits = std::move(body.hits);
  job.secondary5 = body.secondary5;
  job.secondary10 = body.secondary10;
  job.max_hit_time = body.max_hit_time;
  const Settings& settings = state.settings;
  for (size_t i = 0; i < settings.pan_map.size(); ++i) {
    job.pan_channel[i] = settings.pan_map[i].channel;
    job.pan_text[i] = settings.pan_map[i].pan_text;
  }
  job.stereo = settings.stereo;
  job.effects = static_cast<uint16_t>(settings.reverse | settings.reverb << 8);
  job.output_base = state.output_base;
  job.output_format = settings.output_format;
  return job;
}

}  // namespace

int Run(const std::vector<std::string>& args, RunEnv& env) {
  Screen& screen = env.screen;
  if (args.empty()) {
    ShowUsage(screen, env.input);
    return 1;
  }
  RunState state;
  state.args = args;
  // A terminal still shows the shell's history, which the grid would only
  // partly cover; a console opened for a dropped file starts empty.
  if (screen.terminal()) screen.ClearScreen();
  screen.DrawHeader();

  state.program_dir = env.program_dir;
  std::ofstream log;
  // Without a program folder there is no place for the log; never fall back
  // on the working directory.
  if (!state.program_dir.empty()) {
    log.open(state.program_dir + "ktblog.txt", std::ios::out | std::ios::trunc);
  }
  if (!log.is_open()) {
    screen.ClearStatusArea();
    screen.Write("Error opening log file");
    WaitForEnter(screen, env.input);
    return 1;
  }
  log.setf(std::ios::unitbuf);  // every line reaches the file at once

  const std::string& pattern_path = state.args[0];
  HeaderResult header = ReadPatternHeader(pattern_path, log, env.clock);
  if (header.status == LoadStatus::kCannotOpen) {
    screen.ClearStatusArea();
    screen.Write("Error opening KTB file");
    WaitForEnter(screen, env.input);
    return 1;
  }
  if (header.status == LoadStatus::kDamaged) return StopOnLoadProblem(header.problem, log, env);
  state.header = header.header;

  state.output_base = pattern_path;
  switch (CheckExtension(state.output_base)) {
    case ExtensionCheck::kAccepted:
      break;
    case ExtensionCheck::kRejectedOnConsole:
      screen.ClearStatusArea();
      screen.Write(std::string("\n") + kNotKtb);
      [[fallthrough]];
    case ExtensionCheck::kRejectedInLog:
      log << '\n' << kNotKtb;
      log.close();
      ShowUsage(screen, env.input);
      return 1;
  }

  const bool has_drum_type = state.args.size() == 3;
  if (!ReadConfigFile(state.program_dir + "tamboro.cfg", state.header.new_layout, has_drum_type,
                      state.settings, log, screen)) {
    ShowUsage(screen, env.input);
    return 1;
  }
  ApplyOverrides(state.args, state.settings, log);
  if (state.args.size() > 3 || state.settings.drum_type_error) {
    ShowUsage(screen, env.input);
    return 1;
  }

  BodyResult body =
      ReadPatternBody(pattern_path, state.header, state.settings.kit_type, log, screen);
  if (body.status != LoadStatus::kOk) {
    return StopOnLoadProblem(body.problem.empty() ? "Error opening KTB file " + pattern_path
                                                  : body.problem,
                             log, env);
  }
  state.body = std::move(body.body);
  if (state.header.new_layout) {
    // Each of the ten tracks takes its own balance value.
    for (int i = 0; i < static_cast<int>(state.settings.pan_map.size()); ++i) {
      state.settings.pan_map[i].channel = i;
    }
  }

  screen.ClearStatusArea();
  screen.Write("Beginning Construction of Audio File\n");
  RenderJob job = MakeRenderJob(state);
  env.render(job, log);
  screen.Flush();
  return 1;
}

}  // namespace tamboro
