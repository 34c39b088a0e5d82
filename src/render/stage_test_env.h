#pragma once
// What the render stage tests share: a RenderEnv around a given runner and
// work dir, with the console, the log and the rest captured or inert.

#include <ctime>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "audio/work_dir.h"
#include "console/console_writer.h"
#include "console/screen.h"
#include "output/mp3_encoder.h"
#include "platform/clock.h"
#include "render/render_pattern.h"
#include "support/captured_text.h"

namespace tamboro::testing {

// Knows which paths exist; holds no sound. The recording runner never
// touches it; delivery and the renderer only ask what exists.
class ListedFiles : public WorkDir {
 public:
  explicit ListedFiles(std::set<std::string> paths) : paths_(std::move(paths)) {}
  bool Exists(const std::string& path) const override { return paths_.count(path) > 0; }
  std::unique_ptr<ByteReader> OpenRead(const std::string& path, std::string* error) const override {
    return Refuse(path, error), nullptr;
  }
  bool Persist(const std::string&, std::string*) override { return true; }
  bool ReadClip(const std::string& path, Clip*, std::string* error) override {
    return Refuse(path, error);
  }
  bool WriteClip(const std::string& path, const Clip&, std::string* error) override {
    return Refuse(path, error);
  }
  bool Copy(const std::string&, const std::string& to, std::string* error) override {
    return Refuse(to, error);
  }
  bool Remove(const std::string&, std::string*) override { return true; }

 private:
  static bool Refuse(const std::string& path, std::string* error) {
    if (error) *error = path + ": no sound in this test";
    return false;
  }
  std::set<std::string> paths_;
};

class FixedClock : public Clock {
 public:
  std::time_t Now() override { return 1700000000; }
};

class NoEncoder : public Mp3Encoder {
 public:
  Mp3Result Encode(const std::string&, const std::string&, uint8_t) override {
    return {-1, "no encoder in this test"};
  }
};

struct StageEnv {
  StageEnv(CommandRunner& runner, WorkDir& work_dir, bool terminal = false)
      : screen(console, terminal),
        env{runner, work_dir, screen, log, clock, input, encoder} {}

  testing::CollectingConsole console;
  Screen screen;
  std::ostringstream log;
  FixedClock clock;
  std::istringstream input;
  NoEncoder encoder;
  RenderEnv env;
};

}  // namespace tamboro::testing
