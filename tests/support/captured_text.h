#pragma once
// What code under test writes to the console or to a C stream, kept as text.

#include <cstdio>
#include <string>
#include <string_view>

#include "console/console_writer.h"

namespace tamboro::testing {

class CollectingConsole : public ConsoleWriter {
 public:
  void Write(std::string_view text) override { text_.append(text); }
  void Flush() override {}
  const std::string& text() const { return text_; }
  void Clear() { text_.clear(); }

 private:
  std::string text_;
};

// A FILE* in memory, for code that prints with fprintf.
class CapturedFile {
 public:
  CapturedFile();
  ~CapturedFile();
  CapturedFile(const CapturedFile&) = delete;
  CapturedFile& operator=(const CapturedFile&) = delete;
  std::FILE* file() { return file_; }
  std::string text();

 private:
  char* data_ = nullptr;
  size_t size_ = 0;
  std::FILE* file_;
};

}  // namespace tamboro::testing
