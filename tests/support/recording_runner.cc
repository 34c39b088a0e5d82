#include "support/recording_runner.h"

namespace tamboro::testing {

CommandResult RecordingRunner::Run(const std::string& line) {
  lines_.push_back(line);
  const auto failure = failures_.find(line);
  if (failure != failures_.end()) return CommandResult::Failure(failure->second);
  return CommandResult::Success();
}

void RecordingRunner::FailLine(const std::string& line, const std::string& reason) {
  failures_[line] = reason;
}

}  // namespace tamboro::testing
