#include "output/deliver.h"

#include <ostream>
#include <sstream>

#include "audio/work_dir.h"
#include "console/screen.h"
#include "output/format_menu.h"
#include "output/mp3_encoder.h"
#include "output/output_name.h"
#include "platform/clock.h"
#include "platform/command_runner.h"

namespace tamboro {
namespace {

const char* Extension(int format) {
  switch (format) {
    case 1: return ".mp3";
    case 2: return ".wav";
    case 3: return ".aiff";
    default: return nullptr;
  }
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// The mix converted by the sound tool to the output's type; on failure the
// reason, and a partly written output removed.
bool Convert(int format, const std::string& mix, const std::string& output, CommandRunner& runner,
             std::string* reason) {
  // A quote would end the path early on the command line.
  if (output.find('"') != std::string::npos) {
    *reason = "the output name holds a double quote, which a command line cannot carry";
    return false;
  }
  const std::string line = format == 2 ? "sox " + Quoted(mix) + " " + Quoted(output)
                                       : "sox" + std::string(" ") + Quoted(mix) + "   " +
                                             Quoted(output);
  CommandResult result = runner.Run(line);
  if (result.ok) return true;
  *reason = result.error.empty() ? "the conversion of " + mix + " failed" : result.error;
  runner.Run("del " + Quoted(output));
  return false;
}

}  // namespace

bool DeliverOutput(DeliveryRequest& request, DeliveryEnv& env) {
  request.output_base += OutputSuffix(env.clock.Now());
  env.screen.ClearScreen();
  int format = request.output_format;
  if (format == 0) format = AskOutputFormat(env.screen, env.input);

  const std::string mix = request.program_dir + "final.wav";
  const bool mix_made = env.work_dir.Exists(mix);
  const char* extension = Extension(format);
  bool delivered = false;
  std::string reason;
  if (extension == nullptr) {
    reason = "unknown output format " + std::to_string(format);
  } else if (!mix_made) {
    request.output_base += extension;
    reason = "the mix " + mix + " was not made";
  } else if (format == 1) {
    env.screen.Flush();  // the encoder prints on its own
    Mp3Result result = env.encoder.Encode(mix, request.output_base, request.stereo);
    request.output_base += extension;
    delivered = result.code == 0;
    if (!delivered) {
      reason = result.reason.empty() ? "the MP3 encoder failed" : result.reason;
    }
  } else {
    request.output_base += extension;
    delivered = Convert(format, mix, request.output_base, env.runner, &reason);
  }

  if (delivered) {
    env.runner.Run("del " + Quoted(mix));
  } else if (mix_made) {
    // The mix is the run's work: keep it where the user can find it.
    std::string error;
    if (env.work_dir.Persist(mix, &error)) {
      reason += "; the mix is kept as " + mix;
    } else {
      reason += "; the mix could not be kept as " + mix + (error.empty() ? "" : ": " + error);
    }
  }

  const std::string closing = delivered
                                  ? "\nCreated\n" + request.output_base + "\n..hopefully"
                                  : "\nFailed to create\n" + request.output_base + "\n" + reason;
  env.screen.Write(closing);
  env.screen.Flush();

  const std::time_t end = env.clock.Now();
  // The elapsed time in the default floating-point form, whatever the log's
  // own formatting state.
  std::ostringstream elapsed;
  elapsed << std::difftime(end, request.start_time);
  env.log << closing << "\n"
          << "Finished on " << CalendarText(end) << "\n"
          << "Operations took " << elapsed.str() << " seconds";
  env.log.flush();
  return delivered;
}

}  // namespace tamboro
