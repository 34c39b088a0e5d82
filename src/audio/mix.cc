#include "audio/mix.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tamboro {

bool CheckBlockSize(int64_t frames, int channels, std::string* error) {
  if (frames >= 0 && channels > 0 && frames <= kMaxBlockSamples / channels) return true;
  char text[160];
  std::snprintf(text, sizeof text,
                "%lld frames of %d channels are more than the %lld samples held in memory at once",
                static_cast<long long>(frames), channels, static_cast<long long>(kMaxBlockSamples));
  *error = text;
  return false;
}

bool Materialise(const Clip& clip, Clip* out, std::string* error) {
  if (clip.PlainBlock()) {
    *out = clip;
    return true;
  }
  if (!CheckBlockSize(clip.frames(), clip.channels(), error)) return false;
  std::vector<float> samples(static_cast<size_t>(clip.frames() * clip.channels()));
  clip.Render(0, clip.frames(), samples.data());
  *out = Clip::FromBlock(std::make_shared<SampleBlock>(clip.channels(), std::move(samples)),
                         clip.rate());
  return true;
}

namespace {

// A stretch where several inputs sound at once, summed when it is rendered:
// each input times its factor, added in order onto zeros, as a held sum
// would be made.
class SumSource : public SoundSource {
 public:
  SumSource(std::vector<MixInput> inputs, int channels, int64_t frames)
      : inputs_(std::move(inputs)), channels_(channels), frames_(frames) {}

  int channels() const override { return channels_; }
  int64_t frames() const override { return frames_; }
  void Render(int64_t start, int64_t n, float* out) const override {
    std::memset(out, 0, sizeof(float) * static_cast<size_t>(n * channels_));
    for (const MixInput& in : inputs_) in.clip.RenderAdd(start, n, in.factor, out);
  }

 private:
  std::vector<MixInput> inputs_;  // each cut to the stretch
  int channels_;
  int64_t frames_;
};

// Walks one input's pieces over the mix's head.
struct Track {
  const MixInput* input;
  std::vector<Piece> pieces;
  size_t index = 0;
  int64_t piece_start = 0;

  int64_t end() const { return piece_start + pieces[index].length; }
  bool done() const { return index >= pieces.size(); }
};

// The head walked piece by piece: a held sum where two inputs or more
// sound, the one input's pieces where one does, silence where none does.
bool SumHead(std::vector<Track>& tracks, int64_t head, int rate, int channels, Clip* out,
             std::string* error) {
  Clip& result = *out;
  int64_t run_start = -1;  // start of a stretch where samples must be summed
  auto flush_run = [&](int64_t run_end) -> bool {
    if (run_start < 0) return true;
    const int64_t n = run_end - run_start;
    if (!CheckBlockSize(n, channels, error)) return false;
    std::vector<float> sum(static_cast<size_t>(n * channels), 0.0f);
    for (const Track& t : tracks) t.input->clip.RenderAdd(run_start, n, t.input->factor, sum.data());
    result.Append(Clip::FromBlock(std::make_shared<SampleBlock>(channels, std::move(sum)), rate));
    run_start = -1;
    return true;
  };
  int64_t pos = 0;
  while (pos < head) {
    int64_t seg_end = head;
    int sounding = 0;
    const Track* one = nullptr;
    for (const Track& t : tracks) {
      if (t.done()) continue;
      seg_end = std::min(seg_end, t.end());
      if (!t.pieces[t.index].silent()) {
        ++sounding;
        one = &t;
      }
    }
    if (sounding >= 2) {
      if (run_start < 0) run_start = pos;
    } else {
      if (!flush_run(pos)) return false;
      if (sounding == 1) {
        Piece p = SubPiece(one->pieces[one->index], pos - one->piece_start, seg_end - pos);
        p.gain[0] *= one->input->factor;
        p.gain[1] *= one->input->factor;
        result.AppendPiece(std::move(p));
      } else {
        Piece silence;
        silence.length = seg_end - pos;
        result.AppendPiece(silence);
      }
    }
    for (Track& t : tracks) {
      if (!t.done() && t.end() == seg_end) {
        t.piece_start = seg_end;
        ++t.index;
      }
    }
    pos = seg_end;
  }
  return flush_run(head);
}

}  // namespace

bool Mix(const std::vector<MixInput>& inputs, Clip* out, std::string* error) {
  if (inputs.empty()) {
    *error = "nothing to mix";
    return false;
  }
  const int rate = inputs[0].clip.rate();
  const int channels = inputs[0].clip.channels();
  int64_t total = 0;
  std::vector<const MixInput*> audible;
  for (const MixInput& in : inputs) {
    total = std::max(total, in.clip.frames());
    if (in.factor != 0 && in.clip.frames() > 0) audible.push_back(&in);
  }
  std::stable_sort(audible.begin(), audible.end(), [](const MixInput* a, const MixInput* b) {
    return a->clip.frames() > b->clip.frames();
  });

  Clip result(rate, channels);
  // Head: where two inputs or more may sound at once.
  const int64_t head = audible.size() >= 2 ? audible[1]->clip.frames() : 0;
  if (head > 0) {
    std::vector<Track> tracks;
    for (const MixInput* in : audible) {
      Track t{in, in->clip.Slice(0, head).Pieces()};
      if (!t.pieces.empty()) tracks.push_back(std::move(t));
    }
    // A long mix (the mixdown) is summed only as it is read, so it is never
    // held whole: one piece over the head. Not when an input holds such a
    // piece already: one level only, so reading stays as cheap as summing.
    bool nested = false;
    for (const Track& t : tracks) {
      for (const Piece& p : t.pieces) nested = nested || p.source;
    }
    if (head >= kLazySumFrames && !nested) {
      std::vector<MixInput> parts;
      for (const Track& t : tracks) parts.push_back({t.input->clip.Slice(0, head), t.input->factor});
      Piece p;
      p.source = std::make_shared<SumSource>(std::move(parts), channels, head);
      p.length = head;
      result.AppendPiece(std::move(p));
    } else if (!SumHead(tracks, head, rate, channels, &result, error)) {
      return false;
    }
  }
  // Tail: only the longest input sounds; its pieces are taken as they are.
  if (!audible.empty() && audible[0]->clip.frames() > head) {
    const MixInput& longest = *audible[0];
    result.Append(longest.clip.Slice(head, longest.clip.frames() - head).Scaled(longest.factor));
  }
  if (result.frames() < total) result.Append(Clip::Silence(rate, channels, total - result.frames()));
  *out = std::move(result);
  return true;
}

}  // namespace tamboro
