#pragma once
// What the fuzz targets share: a console that keeps nothing, a fixed clock,
// and a scratch file that holds the current input for the readers that
// take a path.

#include <ctime>
#include <string>
#include <string_view>

#include "console/console_writer.h"
#include "platform/clock.h"

namespace tamboro::fuzz {

class NullConsole : public ConsoleWriter {
 public:
  void Write(std::string_view) override {}
  void Flush() override {}
};

class FixedClock : public Clock {
 public:
  std::time_t Now() override { return 1'200'000'000; }
};

// A file of the process's own, in /dev/shm when there is one (no disk
// traffic at fuzzing speed). Its name is removed at once and it is reached
// as /proc/self/fd/N, so nothing is left behind however the fuzzer ends.
class ScratchFile {
 public:
  ScratchFile();
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const std::string& path() const { return path_; }
  // Replaces the file's contents; aborts when it cannot, as a fuzz run
  // that silently tests nothing is worse than one that stops.
  void Write(std::string_view bytes) const;

 private:
  int fd_ = -1;
  std::string path_;
};

// Aborts with the message: a broken invariant is a finding like a crash.
[[noreturn]] void Fail(const std::string& what);

}  // namespace tamboro::fuzz
