#pragma once
// The production CommandRunner: runs "copy", "del" and the sound tool's
// lines in process on a WorkDir, never through a shell, so nothing in a
// file name can run a command.
//
//   MemoryWorkDir work_dir(program_dir);
//   BuiltinRunner runner(work_dir);
//   CommandResult r = runner.Run("sox \"/p/a.aiff\" \"/p/b.aiff\" reverse");

#include <string>
#include <vector>

#include "platform/command_runner.h"

namespace tamboro {

class Clip;
struct SoxCommand;
class WorkDir;

class BuiltinRunner : public CommandRunner {
 public:
  explicit BuiltinRunner(WorkDir& work_dir) : work_dir_(work_dir) {}

  // A failed line leaves its output as it was.
  CommandResult Run(const std::string& line) override;

 private:
  bool RunCopy(const std::vector<std::string>& args, std::string* error);
  bool RunSox(const SoxCommand& command, std::string* error);

  WorkDir& work_dir_;
};

}  // namespace tamboro
