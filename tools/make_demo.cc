// Writes the demo: the synthesised drum kit under <program-folder>/Samples/
// and a new-layout KTB pattern that plays it.
//
//   make_demo <program-folder> <pattern-path>
//
// The pattern names its samples as Windows-style paths relative to the
// program folder (Samples\kick.wav), as Thumpbox patterns do, so the pattern
// may lie anywhere but plays only with a program in that folder.

#include <cstdio>
#include <exception>
#include <string>

#include "demo_kit.h"
#include "demo_pattern.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_demo <program-folder> <pattern-path>\n");
    return 2;
  }
  const std::string program_dir = argv[1];
  const std::string pattern_path = argv[2];

  std::string error;
  if (!tamboro::tools::WriteKitSamples(program_dir, &error)) {
    std::fprintf(stderr, "make_demo: %s\n", error.c_str());
    return 1;
  }
  try {
    tamboro::tools::DemoPattern().WriteTo(pattern_path);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_demo: %s\n", e.what());
    return 1;
  }
  std::printf("make_demo: wrote %s and its ten samples in %s/Samples\n", pattern_path.c_str(),
              program_dir.c_str());
  return 0;
}
