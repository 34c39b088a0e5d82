#include "render/builtin_runner.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <new>

#include "audio/channels.h"
#include "audio/clip.h"
#include "audio/mix.h"
#include "audio/resample.h"
#include "audio/reverb.h"
#include "audio/time_text.h"
#include "audio/work_dir.h"
#include "platform/path_lookup.h"
#include "render/command_line.h"

namespace tamboro {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Describe(const std::string& path, const Clip& clip) {
  return "\"" + path + "\" (" + std::to_string(clip.rate()) + " Hz, " +
         std::to_string(clip.channels()) + (clip.channels() == 1 ? " channel)" : " channels)");
}

std::string CurrentDir() {
  std::string dir(256, '\0');
  while (::getcwd(dir.data(), dir.size()) == nullptr) {
    if (errno != ERANGE) return ".";
    dir.resize(dir.size() * 2);
  }
  dir.resize(dir.find('\0'));
  return dir;
}

bool Trim(const SoxEffect& effect, Clip* clip, std::string* error) {
  int64_t start = 0;
  int64_t length = clip->frames();
  if (!ParseSeconds(effect.args[0], clip->rate(), &start) ||
      (effect.args.size() == 2 && !ParseSeconds(effect.args[1], clip->rate(), &length))) {
    *error = "trim takes times in seconds";
    return false;
  }
  *clip = clip->Slice(start, length);
  return true;
}

bool Pan(const SoxEffect& effect, int out_channels, Clip* clip, std::string* error) {
  if (out_channels != 2) {
    *error = "pan needs \"-c 2\" before the output";
    return false;
  }
  // As the configuration's balance test reads it: a text without a number
  // ("-", ".") centres the drum.
  double d = LeadingDecimal(effect.args[0]);
  d = std::clamp(d, -1.0, 1.0);
  Clip mono;
  if (!AverageChannels(*clip, &mono, error)) return false;
  *clip = mono.Panned(static_cast<float>((1 - d) / 2), static_cast<float>((1 + d) / 2));
  return true;
}

ReverbSettings ReverbFrom(const SoxEffect& effect) {
  ReverbSettings s;
  double* fields[] = {&s.reverberance, &s.hf_damping, &s.room_scale, &s.stereo_depth};
  for (size_t i = 0; i < effect.args.size() && i < 4; ++i) {
    double v = 0;
    ParseFactor(effect.args[i], &v);
    *fields[i] = std::clamp(v, 0.0, 100.0);
  }
  return s;
}

}  // namespace

CommandResult BuiltinRunner::Run(const std::string& line) {
  std::string error;
  bool ok = false;
  try {
    std::vector<CommandWord> words;
    if (!SplitCommandLine(line, &words, &error)) {
      // fall through to the failure below
    } else if (words.empty()) {
      error = "the line is empty";
    } else {
      const std::string program = Lower(words[0].text);
      std::vector<std::string> args;
      for (size_t i = 1; i < words.size(); ++i) args.push_back(words[i].text);
      if (program == "copy") {
        ok = RunCopy(args, &error);
      } else if (program == "del") {
        if (args.size() != 1) error = "del takes one file";
        else ok = work_dir_.Remove(args[0], &error);
      } else if (program == "sox" || program == "sox.exe") {
        SoxCommand command;
        std::vector<CommandWord> rest(words.begin() + 1, words.end());
        ok = ParseSoxCommand(rest, &command, &error) && RunSox(command, &error);
      } else {
        error = "unknown command \"" + words[0].text + "\"";
      }
    }
  } catch (const std::bad_alloc&) {
    ok = false;
    error = "out of memory";
  } catch (const std::exception& e) {
    ok = false;
    error = e.what();
  }
  if (ok) return CommandResult::Success();
  return CommandResult::Failure(error + " (line: " + line + ")");
}

bool BuiltinRunner::RunCopy(const std::vector<std::string>& args, std::string* error) {
  if (args.empty() || args.size() > 2) {
    *error = "copy takes a source and at most one destination";
    return false;
  }
  std::string to;
  if (args.size() == 2) {
    to = args[1];
  } else {
    // A copy under its own name in the current folder.
    const std::string from = ToPosixPath(args[0]);
    const size_t slash = from.rfind('/');
    to = CurrentDir() + "/" + (slash == std::string::npos ? from : from.substr(slash + 1));
  }
  return work_dir_.Copy(args[0], to, error);
}

bool BuiltinRunner::RunSox(const SoxCommand& command, std::string* error) {
  std::vector<MixInput> inputs;
  for (const SoxInput& in : command.inputs) {
    MixInput input;
    if (!work_dir_.ReadClip(in.path, &input.clip, error)) return false;
    input.factor = static_cast<float>(in.factor.value_or(1.0));
    inputs.push_back(std::move(input));
  }
  const Clip& first = inputs[0].clip;
  for (size_t i = 1; i < inputs.size(); ++i) {
    const Clip& other = inputs[i].clip;
    if (other.rate() != first.rate() || other.channels() != first.channels()) {
      *error = std::string("cannot ") + (command.mix ? "mix " : "join ") +
               Describe(command.inputs[0].path, first) + " with " +
               Describe(command.inputs[i].path, other);
      return false;
    }
  }

  size_t effect = 0;
  Clip clip(first.rate(), first.channels());
  if (command.mix && inputs.size() > 1 && !command.effects.empty() &&
      command.effects[0].name == "reverb") {
    // A mixdown with its reverb: summed and reverberated block by block
    // into one result, so the mix is never held twice.
    if (!MixWithReverb(inputs, ReverbFrom(command.effects[0]), &clip, error)) return false;
    effect = 1;
  } else if (command.mix) {
    if (!Mix(inputs, &clip, error)) return false;
  } else {
    for (const MixInput& in : inputs) clip.Append(in.clip.Scaled(in.factor));
  }

  if (command.channels == 1 && clip.channels() > 1) {
    Clip mono;
    if (!AverageChannels(clip, &mono, error)) return false;
    clip = std::move(mono);
  }
  for (; effect < command.effects.size(); ++effect) {
    const SoxEffect& e = command.effects[effect];
    bool ok = true;
    if (e.name == "trim") {
      ok = Trim(e, &clip, error);
    } else if (e.name == "reverse") {
      clip = clip.Reversed();
    } else if (e.name == "pan") {
      ok = Pan(e, command.channels, &clip, error);
    } else if (e.name == "reverb") {
      Clip wet;
      ok = ApplyReverb(clip, ReverbFrom(e), &wet, error);
      if (ok) clip = std::move(wet);
    }
    if (!ok) return false;
  }
  if (command.channels == 2 && clip.channels() == 1) clip = clip.Panned(1, 1);
  if (command.rate && command.rate != clip.rate()) {
    Clip resampled;
    if (!Resample(clip, command.rate, &resampled, error)) return false;
    clip = std::move(resampled);
  }
  return work_dir_.WriteClip(command.output, clip, error);
}

}  // namespace tamboro
