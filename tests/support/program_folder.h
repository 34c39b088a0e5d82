#pragma once
// A temporary program folder for end-to-end runs: a copy of the built
// tamboro and, unless told otherwise, the template 5.dat and the default
// tamboro.cfg from the build directory. Removed with everything in it.

#include <string>
#include <string_view>
#include <vector>

namespace tamboro {

struct ProgramRun {
  int exit_code = -1;     // -1 when the program did not exit normally
  int signal = 0;         // the signal that ended it, if any
  bool timed_out = false; // killed after the timeout
  std::string out;        // standard output
  std::string err;        // standard error
};

class ProgramFolder {
 public:
  struct Contents {
    bool template_file = true;  // 5.dat
    bool config_file = true;    // tamboro.cfg
#if defined(TAMBORO_BINARY) && defined(TAMBORO_BUILD_DIR)
    // Taken from the test binary's build definitions.
    std::string binary = TAMBORO_BINARY;
    std::string build_dir = TAMBORO_BUILD_DIR;
#else
    std::string binary;
    std::string build_dir;
#endif
  };

  ProgramFolder() : ProgramFolder(Contents{}) {}
  explicit ProgramFolder(const Contents& contents);
  ~ProgramFolder();
  ProgramFolder(const ProgramFolder&) = delete;
  ProgramFolder& operator=(const ProgramFolder&) = delete;

  // The folder, ending in '/'.
  const std::string& dir() const { return dir_; }
  std::string Path(std::string_view name) const { return dir_ + std::string(name); }
  // The copied program.
  std::string Binary() const { return Path("tamboro"); }

  // Writes a file (subfolders made as needed) and returns its full path.
  std::string WriteFile(std::string_view name, std::string_view bytes) const;
  // The file's bytes; throws when it cannot be read.
  std::string ReadFile(std::string_view name) const;
  std::string Log() const { return ReadFile("ktblog.txt"); }
  bool Exists(std::string_view name) const;
  // Every file below the folder, relative to it, sorted ("tamboro", "5.dat", ...).
  std::vector<std::string> Files() const;

  // Runs the copied program with these arguments (no shell), the given
  // standard input and the folder as working directory; kills it after
  // timeout_seconds.
  ProgramRun Run(const std::vector<std::string>& args, std::string_view input = "",
                 int timeout_seconds = 60) const;

 private:
  std::string dir_;
};

}  // namespace tamboro
