#include "support/sox_process_runner.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "audio/time_text.h"
#include "platform/path_lookup.h"
#include "render/command_line.h"

extern char** environ;

namespace tamboro::testing {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Number(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.9g", v);
  return text;
}

// Runs argv, waits, and gives its standard error.
bool Spawn(const std::vector<std::string>& argv, std::string* error) {
  int pipefd[2];
  if (::pipe(pipefd) != 0) {
    *error = "cannot make a pipe";
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, pipefd[0]);
  posix_spawn_file_actions_adddup2(&actions, pipefd[1], 2);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid;
  const int rc = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipefd[1]);
  std::string err;
  char buf[4096];
  ssize_t n;
  while ((n = ::read(pipefd[0], buf, sizeof buf)) > 0) err.append(buf, static_cast<size_t>(n));
  ::close(pipefd[0]);
  if (rc != 0) {
    *error = "cannot start " + argv[0];
    return false;
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    *error = argv[0] + " failed: " + err;
    return false;
  }
  return true;
}

}  // namespace

bool SoxProcessRunner::SoxArguments(const std::string& line, std::vector<std::string>* args,
                                    std::string* temp_output, std::string* error) const {
  std::vector<CommandWord> words;
  if (!SplitCommandLine(line, &words, error)) return false;
  std::vector<CommandWord> rest(words.begin() + 1, words.end());
  SoxCommand command;
  if (!ParseSoxCommand(rest, &command, error)) return false;
  std::vector<std::string> out = {"-D"};
  const std::string output = LookUpPath(command.output);
  temp_output->clear();
  for (const SoxInput& in : command.inputs) {
    if (LookUpPath(in.path) == output) {
      const size_t slash = output.rfind('/');
      *temp_output = output.substr(0, slash + 1) + ".sox-tmp-" + std::to_string(::getpid()) + "-" +
                     output.substr(slash + 1);
    }
  }
  // Real sox refuses "-m" with one input ("Not enough input filenames"), as
  // in the mixdown of a pattern where one drum has hits; one input mixed
  // with nothing is that input at its own factor, so the "-m" is left out.
  const bool lone_mix = command.mix && command.inputs.size() == 1;
  for (size_t i = 0; i < rest.size(); ++i) {
    if (lone_mix && i < command.inputs[0].word && !rest[i].quoted && rest[i].text == "-m") continue;
    bool effect = false;
    for (const SoxEffect& e : command.effects) {
      if (e.word == i && e.name == "pan") {
        const double d = std::clamp(LeadingDecimal(e.args[0]), -1.0, 1.0);
        out.push_back("remix");
        out.push_back("1v" + Number((1 - d) / 2));
        out.push_back("1v" + Number((1 + d) / 2));
        i += 1;
        effect = true;
      }
    }
    if (effect) continue;
    if (i == command.output_word) {
      out.push_back(temp_output->empty() ? output : *temp_output);
      continue;
    }
    bool path = false;
    for (const SoxInput& in : command.inputs) path = path || in.word == i;
    out.push_back(path ? LookUpPath(rest[i].text) : rest[i].text);
  }
  *args = std::move(out);
  return true;
}

CommandResult SoxProcessRunner::Run(const std::string& line) {
  std::vector<CommandWord> words;
  std::string error;
  if (!SplitCommandLine(line, &words, &error) || words.empty()) {
    return CommandResult::Failure("cannot read the line: " + line);
  }
  const std::string program = Lower(words[0].text);
  std::error_code ec;
  namespace fs = std::filesystem;
  if (program == "copy" && (words.size() == 2 || words.size() == 3)) {
    const fs::path from = LookUpPath(words[1].text);
    const fs::path to = words.size() == 3 ? fs::path(LookUpPath(words[2].text))
                                          : fs::current_path() / from.filename();
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    if (ec) return CommandResult::Failure(ec.message() + " (line: " + line + ")");
    return CommandResult::Success();
  }
  if (program == "del" && words.size() == 2) {
    fs::remove(LookUpPath(words[1].text), ec);
    if (ec) return CommandResult::Failure(ec.message() + " (line: " + line + ")");
    return CommandResult::Success();
  }
  if (program != "sox" && program != "sox.exe") {
    return CommandResult::Failure("unknown command (line: " + line + ")");
  }
  std::vector<std::string> args;
  std::string temp;
  if (!SoxArguments(line, &args, &temp, &error)) {
    return CommandResult::Failure(error + " (line: " + line + ")");
  }
  args.insert(args.begin(), sox_);
  if (!Spawn(args, &error)) {
    if (!temp.empty()) fs::remove(temp, ec);
    return CommandResult::Failure(error + " (line: " + line + ")");
  }
  if (!temp.empty()) {
    std::vector<CommandWord> rest(words.begin() + 1, words.end());
    SoxCommand command;
    ParseSoxCommand(rest, &command, &error);
    fs::rename(temp, LookUpPath(command.output), ec);
    if (ec) return CommandResult::Failure(ec.message() + " (line: " + line + ")");
  }
  return CommandResult::Success();
}

}  // namespace tamboro::testing
