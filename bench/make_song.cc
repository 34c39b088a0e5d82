// Writes a benchmark song: the samples under <program-folder>/Samples/ and
// the pattern that plays them.
//
//   make_song <program-folder> <pattern-path> [--seconds N] [--double]

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "song.h"

int main(int argc, char** argv) {
  using tamboro::bench::SongOptions;
  if (argc < 3) {
    std::fprintf(stderr, "usage: make_song <program-folder> <pattern-path> [--seconds N] [--double]\n");
    return 2;
  }
  SongOptions options;
  for (int i = 3; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--double")) {
      options.double_hits = true;
    } else if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc) {
      options.seconds = std::atoi(argv[++i]);
    } else {
      std::fprintf(stderr, "make_song: unknown option %s\n", argv[i]);
      return 2;
    }
  }
  if (options.seconds <= 0 || options.seconds > 6 * 60 * 60) {
    std::fprintf(stderr, "make_song: --seconds takes 1 to 21600\n");
    return 2;
  }
  std::string error;
  if (!tamboro::bench::WriteSongSamples(argv[1], &error)) {
    std::fprintf(stderr, "make_song: %s\n", error.c_str());
    return 1;
  }
  try {
    tamboro::bench::SongPattern(options).WriteTo(argv[2]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_song: %s\n", e.what());
    return 1;
  }
  std::printf("%zu hits, %d s\n", tamboro::bench::SongHitCount(options), options.seconds);
  return 0;
}
