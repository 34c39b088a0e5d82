#pragma once
// The seam that stands in for the system command interpreter: every file or
// audio step of a run is handed over as one command line.

#include <string>

namespace tamboro {

struct CommandResult {
  bool ok = true;
  std::string error;  // why the line failed; empty when ok

  static CommandResult Success() { return {}; }
  static CommandResult Failure(std::string why) { return {false, std::move(why)}; }
};

class CommandRunner {
 public:
  virtual ~CommandRunner() = default;
  // Runs one complete line and waits for it. Never throws.
  virtual CommandResult Run(const std::string& line) = 0;
};

}  // namespace tamboro
