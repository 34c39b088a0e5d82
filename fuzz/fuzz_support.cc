#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace tamboro::fuzz {

ScratchFile::ScratchFile() {
  std::error_code ec;
  const std::string dir = std::filesystem::is_directory("/dev/shm", ec)
                              ? std::string("/dev/shm")
                              : std::filesystem::temp_directory_path().string();
  std::string name = dir + "/tamboro-fuzz-XXXXXX";
  fd_ = mkstemp(name.data());
  if (fd_ < 0) Fail("cannot make a scratch file from " + name);
  unlink(name.c_str());
  path_ = "/proc/self/fd/" + std::to_string(fd_);
}

ScratchFile::~ScratchFile() { close(fd_); }

void ScratchFile::Write(std::string_view bytes) const {
  if (ftruncate(fd_, 0) != 0) Fail("cannot empty the scratch file");
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n <= 0) Fail("cannot write the scratch file");
    done += static_cast<size_t>(n);
  }
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz invariant broken: %s\n", what.c_str());
  std::abort();
}

}  // namespace tamboro::fuzz
