#pragma once
// The reference CommandRunner for tests and benchmarks: the same lines run
// by the real sound tool (/usr/bin/sox), started without a shell from the
// words the built-in runner reads, '\' read as '/'. "copy" and "del" are
// file copies and removals. Pair it with a DiskWorkDir.
//
// What modern SoX lacks or does differently is bridged: "-c 2 ... pan D"
// runs as "remix 1v<(1-D)/2> 1v<(1+D)/2>"; an output that is also an input
// is written to a temporary file that then replaces it; "-m" before a single
// input is left out (sox wants two to mix; one alone means the same); every
// run gets -D (no dither).

#include <string>
#include <vector>

#include "platform/command_runner.h"

namespace tamboro::testing {

class SoxProcessRunner : public CommandRunner {
 public:
  explicit SoxProcessRunner(std::string sox = "/usr/bin/sox") : sox_(std::move(sox)) {}
  CommandResult Run(const std::string& line) override;

  // The argument list a sox line runs with (after the program), or empty
  // with a reason.
  bool SoxArguments(const std::string& line, std::vector<std::string>* args,
                    std::string* temp_output, std::string* error) const;

 private:
  std::string sox_;
};

}  // namespace tamboro::testing
