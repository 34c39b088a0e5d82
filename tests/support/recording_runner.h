#pragma once
// A CommandRunner that keeps the lines it is handed and runs nothing: tests
// compare the plan of a run line by line. Chosen lines can answer failure.

#include <map>
#include <string>
#include <vector>

#include "platform/command_runner.h"

namespace tamboro::testing {

class RecordingRunner : public CommandRunner {
 public:
  CommandResult Run(const std::string& line) override;

  // From now on, `line` (exactly) answers failure with `reason`.
  void FailLine(const std::string& line, const std::string& reason = "made to fail");

  const std::vector<std::string>& lines() const { return lines_; }
  void Clear() { lines_.clear(); }

 private:
  std::vector<std::string> lines_;
  std::map<std::string, std::string> failures_;
};

}  // namespace tamboro::testing
