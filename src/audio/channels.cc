#include "audio/channels.h"

#include <algorithm>

#include "audio/mix.h"

namespace tamboro {

bool AverageChannels(const Clip& clip, Clip* out, std::string* error) {
  const int channels = clip.channels();
  if (channels == 1) {
    *out = clip;
    return true;
  }
  std::vector<Piece> pieces = clip.Pieces();
  if (channels == 2 && std::all_of(pieces.begin(), pieces.end(), [](const Piece& p) {
        return p.sound_channels() == 1;
      })) {
    Clip mono(clip.rate(), 1);
    for (Piece& p : pieces) {
      const float g = (p.gain[0] + p.gain[1]) / 2;
      p.gain[0] = p.gain[1] = g;
      mono.AppendPiece(std::move(p));
    }
    *out = std::move(mono);
    return true;
  }
  if (!CheckBlockSize(clip.frames(), 1, error)) return false;
  std::vector<float> mono(static_cast<size_t>(clip.frames()));
  std::vector<float> buf(static_cast<size_t>(kRenderFrames * channels));
  const float scale = 1.0f / channels;
  for (int64_t at = 0; at < clip.frames(); at += kRenderFrames) {
    const int64_t n = std::min(kRenderFrames, clip.frames() - at);
    clip.Render(at, n, buf.data());
    for (int64_t i = 0; i < n; ++i) {
      float sum = 0;
      for (int c = 0; c < channels; ++c) sum += buf[i * channels + c];
      mono[at + i] = sum * scale;
    }
  }
  *out = Clip::FromBlock(std::make_shared<SampleBlock>(1, std::move(mono)), clip.rate());
  return true;
}

}  // namespace tamboro
