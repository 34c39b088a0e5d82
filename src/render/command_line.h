#pragma once
// Reading the command lines the renderer builds: words, and the sound
// tool's lines in the forms the renderer uses.

#include <optional>
#include <string>
#include <vector>

namespace tamboro {

struct CommandWord {
  std::string text;
  bool quoted = false;  // held a double-quoted stretch
};

// Splits a line into words: runs of blanks (spaces, tabs) separate words; a
// double-quoted stretch, blanks included, is part of the word it stands in
// and loses its quotes. False, with the reason, for an unclosed quote.
bool SplitCommandLine(const std::string& line, std::vector<CommandWord>* words,
                      std::string* error);

struct SoxInput {
  std::string path;
  std::optional<double> factor;  // "-v F" before it
  size_t word = 0;               // index of its path in the words
};

struct SoxEffect {
  std::string name;  // "trim", "reverse", "pan" or "reverb"
  std::vector<std::string> args;
  size_t word = 0;   // index of its name in the words
};

// sox [-m] {[-v F] input}... [-c N] [-r R] output {effect [args]}...
struct SoxCommand {
  bool mix = false;
  std::vector<SoxInput> inputs;
  int channels = 0;  // "-c N" before the output; 0 when not given
  int rate = 0;      // "-r R" before the output; 0 when not given
  std::string output;
  size_t output_word = 0;
  std::vector<SoxEffect> effects;
};

// Reads the words after the program name. Only the forms above are known:
// trim with one or two times, reverse, pan with one value, reverb with up
// to four numbers. False, with the reason, for anything else.
bool ParseSoxCommand(const std::vector<CommandWord>& words, SoxCommand* command,
                     std::string* error);

}  // namespace tamboro
