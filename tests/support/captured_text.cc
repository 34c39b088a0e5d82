#include "support/captured_text.h"

#include <cstdlib>

namespace tamboro::testing {

CapturedFile::CapturedFile() : file_(open_memstream(&data_, &size_)) {}

CapturedFile::~CapturedFile() {
  std::fclose(file_);
  std::free(data_);
}

std::string CapturedFile::text() {
  std::fflush(file_);
  return std::string(data_, size_);
}

}  // namespace tamboro::testing
