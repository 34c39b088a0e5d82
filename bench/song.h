#pragma once
// Benchmark songs: realistic new-layout patterns at 120 BPM on ten drums,
// and the synthesised samples they play (80 to 600 ms each).
//
//   WriteSongSamples(program_dir, &error);
//   SongPattern({.seconds = 180}).WriteTo(program_dir + "song.ktb");
//
// Drums: 1 kick, 2 snare, 3 closed hi-hat, 4 open hi-hat, 5 the secondaries
// track (a few windows in which drums 1 to 4 take their secondary samples),
// 6 crash, 7 to 9 toms, 10 ride.

#include <cstddef>
#include <string>

#include "support/ktb_builder.h"

namespace tamboro::bench {

struct SongOptions {
  int seconds = 30;
  // Each hit struck again a 32nd note later (a flam): twice the hits.
  bool double_hits = false;
};

testing::KtbBuilder SongPattern(const SongOptions& options);

// Hits the pattern holds, the secondaries track's included.
size_t SongHitCount(const SongOptions& options);

// Writes the song's samples under <program_dir>/Samples/. False, with a
// reason naming the file, when one cannot be written.
bool WriteSongSamples(const std::string& program_dir, std::string* error);

}  // namespace tamboro::bench
