#pragma once
// Summing sounds, and turning a piece table into one block of samples.

#include <string>
#include <vector>

#include "audio/clip.h"

namespace tamboro {

struct MixInput {
  Clip clip;
  float factor = 1;
};

// Each input times its factor, summed frame by frame; as long as the
// longest input, the shorter ones padded with silence. All inputs must
// share one rate and channel count. Only where two inputs sound at once are
// samples summed; elsewhere the result refers to the inputs' pieces. Where
// two inputs may sound together for kLazySumFrames or more (a mixdown), the
// sum is made only as it is read (a SoundSource piece), so it costs no
// memory until it streams into a file, and reads the same to the bit.
// False, with the reason, when a held sum would be too large.
bool Mix(const std::vector<MixInput>& inputs, Clip* out, std::string* error);

inline constexpr int64_t kLazySumFrames = 44100;

// The clip as one plain block (see Clip::PlainBlock).
bool Materialise(const Clip& clip, Clip* out, std::string* error);

// Checks that frames x channels samples may be held in one block.
bool CheckBlockSize(int64_t frames, int channels, std::string* error);

// Renders the clip block by block, so work on long clips keeps a small
// working set.
inline constexpr int64_t kRenderFrames = 4096;

}  // namespace tamboro
