#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace tamboro::fuzz {

ScratchFile::ScratchFile(std::string_view suffix) {
  std::error_code ec;
  std::string dir = std::filesystem::is_directory("/dev/shm", ec)
                        ? std::string("/dev/shm")
                        : std::filesystem::temp_directory_path().string();
  std::string pattern = dir + "/tamboro-fuzz-XXXXXX" + std::string(suffix);
  int fd = mkstemps(pattern.data(), static_cast<int>(suffix.size()));
  if (fd < 0) Fail("cannot make a scratch file from " + pattern);
  close(fd);
  path_ = pattern;
}

ScratchFile::~ScratchFile() {
  std::error_code ec;
  std::filesystem::remove(path_, ec);
}

void ScratchFile::Write(std::string_view bytes) const {
  std::ofstream out(path_, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) Fail("cannot write the scratch file " + path_);
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz invariant broken: %s\n", what.c_str());
  std::abort();
}

}  // namespace tamboro::fuzz
