#include "render/command_line.h"

#include <cstdlib>

#include "audio/time_text.h"

namespace tamboro {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsEffectName(const CommandWord& w) {
  return !w.quoted && (w.text == "trim" || w.text == "reverse" || w.text == "pan" ||
                       w.text == "reverb");
}

// The sound tool's other effects: named so a line using one is refused as
// such rather than read as naming a file.
bool IsOtherEffectName(const CommandWord& w) {
  static const char* const kNames[] = {
      "allpass", "band", "bandpass", "bandreject", "bass", "bend", "biquad", "channels",
      "chorus", "compand", "contrast", "dcshift", "deemph", "delay", "dither", "downsample",
      "earwax", "echo", "echos", "equalizer", "fade", "fir", "flanger", "gain", "highpass",
      "hilbert", "loudness", "lowpass", "mcompand", "noiseprof", "noisered", "norm", "oops",
      "overdrive", "pad", "phaser", "pitch", "rate", "remix", "repeat", "riaa", "silence",
      "sinc", "spectrogram", "speed", "splice", "stat", "stats", "stretch", "swap", "synth",
      "tempo", "treble", "tremolo", "upsample", "vad", "vol"};
  if (w.quoted) return false;
  for (const char* name : kNames) {
    if (w.text == name) return true;
  }
  return false;
}

bool ParseCount(const std::string& text, long low, long high, int* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || v < low || v > high) return false;
  *value = static_cast<int>(v);
  return true;
}

bool IsPlainNumber(const std::string& text) {
  double ignored;
  return ParseFactor(text, &ignored);
}

}  // namespace

bool SplitCommandLine(const std::string& line, std::vector<CommandWord>* words, std::string* error) {
  words->clear();
  size_t i = 0;
  while (true) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size()) return true;
    CommandWord word;
    bool in_quotes = false;
    for (; i < line.size() && (in_quotes || !IsBlank(line[i])); ++i) {
      if (line[i] == '"') {
        in_quotes = !in_quotes;
        word.quoted = true;
      } else {
        word.text += line[i];
      }
    }
    if (in_quotes) {
      *error = "a quote is not closed";
      return false;
    }
    words->push_back(std::move(word));
  }
}

bool ParseSoxCommand(const std::vector<CommandWord>& words, SoxCommand* command, std::string* error) {
  *command = SoxCommand{};
  struct File {
    std::string path;
    size_t word;
    std::optional<double> factor;
    int channels = 0;
    int rate = 0;
  };
  std::vector<File> files;
  File pending;
  bool pending_options = false;
  size_t i = 0;
  for (; i < words.size() && !IsEffectName(words[i]); ++i) {
    const CommandWord& w = words[i];
    const bool option = !w.quoted && w.text.size() == 2 && w.text[0] == '-';
    if (option && w.text == "-m") {
      if (!files.empty() || pending_options) {
        *error = "-m must come before the files";
        return false;
      }
      command->mix = true;
    } else if (option && (w.text == "-v" || w.text == "-c" || w.text == "-r")) {
      if (i + 1 >= words.size()) {
        *error = w.text + " needs a value";
        return false;
      }
      const std::string& value = words[++i].text;
      if (w.text == "-v") {
        double f;
        if (!ParseFactor(value, &f)) {
          *error = "-v needs a number, not \"" + value + "\"";
          return false;
        }
        pending.factor = f;
      } else if (w.text == "-c") {
        if (!ParseCount(value, 1, 2, &pending.channels)) {
          *error = "-c takes 1 or 2 channels, not \"" + value + "\"";
          return false;
        }
      } else if (!ParseCount(value, 1000, 1000000, &pending.rate)) {
        *error = "-r takes a rate from 1000 to 1000000, not \"" + value + "\"";
        return false;
      }
      pending_options = true;
    } else if (IsOtherEffectName(w)) {
      *error = "the effect \"" + w.text + "\" is not supported";
      return false;
    } else if (option || (!w.quoted && w.text.size() > 1 && w.text[0] == '-')) {
      *error = "unknown option " + w.text;
      return false;
    } else {
      pending.path = w.text;
      pending.word = i;
      files.push_back(pending);
      pending = File{};
      pending_options = false;
    }
  }
  if (pending_options) {
    *error = "an option after the last file";
    return false;
  }
  if (files.size() < 2) {
    *error = "an input and an output are needed";
    return false;
  }
  const File& out = files.back();
  if (out.factor) {
    *error = "-v belongs before an input, not before the output";
    return false;
  }
  command->output = out.path;
  command->output_word = out.word;
  command->channels = out.channels;
  command->rate = out.rate;
  for (size_t f = 0; f + 1 < files.size(); ++f) {
    if (files[f].channels || files[f].rate) {
      *error = "-c and -r belong before the output, not before an input";
      return false;
    }
    command->inputs.push_back(SoxInput{files[f].path, files[f].factor, files[f].word});
  }

  while (i < words.size()) {
    SoxEffect effect{words[i].text, {}, i};
    ++i;
    auto take = [&] { effect.args.push_back(words[i++].text); };
    if (effect.name == "trim") {
      int64_t ignored;
      for (int n = 0; n < 2 && i < words.size() && !IsEffectName(words[i]); ++n) {
        if (!ParseSeconds(words[i].text, 44100, &ignored)) {
          *error = "trim takes times in seconds, not \"" + words[i].text + "\"";
          return false;
        }
        take();
      }
      if (effect.args.empty()) {
        *error = "trim needs a start";
        return false;
      }
    } else if (effect.name == "pan") {
      if (i >= words.size()) {
        *error = "pan needs a value";
        return false;
      }
      take();
    } else if (effect.name == "reverb") {
      while (effect.args.size() < 4 && i < words.size() && IsPlainNumber(words[i].text)) take();
    }
    if (i < words.size() && !IsEffectName(words[i])) {
      *error = "unexpected \"" + words[i].text + "\" after " + effect.name;
      return false;
    }
    command->effects.push_back(std::move(effect));
  }
  return true;
}

}  // namespace tamboro
