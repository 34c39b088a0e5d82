// Writes the silent template every run lengthens its canvas with: five
// seconds of silence, mono, 44100 Hz, 16-bit AIFF (named "5.dat" in the
// program folder).
//
//   make_template <output-path>

#include <cstdio>
#include <string>
#include <vector>

#include "pcm_file.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_template <output-path>\n");
    return 2;
  }
  constexpr int kRate = 44100;
  const std::vector<float> silence(5 * kRate, 0.0f);
  std::string error;
  if (!tamboro::tools::WritePcm16(argv[1], tamboro::tools::PcmFileType::kAiff, silence, kRate,
                                  &error)) {
    std::fprintf(stderr, "make_template: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
