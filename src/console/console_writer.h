#pragma once
// Where console text goes; an interface so tests can read back the screen.

#include <string_view>

namespace tamboro {

class ConsoleWriter {
 public:
  virtual ~ConsoleWriter() = default;
  virtual void Write(std::string_view text) = 0;
  virtual void Flush() = 0;
};

// Standard output.
class StdoutWriter : public ConsoleWriter {
 public:
  void Write(std::string_view text) override;
  void Flush() override;
};

}  // namespace tamboro
