#include "audio/clip.h"

#include <algorithm>
#include <cstring>

namespace tamboro {
namespace {

Piece Normalised(Piece p) {
  if (p.silent()) {
    Piece s;
    s.length = p.length;
    return s;
  }
  return p;
}

// Joins b onto a when the two play one continuous stretch.
bool TryMerge(Piece* a, const Piece& b) {
  if (!a->sounds() && !b.sounds()) {
    a->length += b.length;
    return true;
  }
  if (a->block != b.block || a->source != b.source || a->reversed != b.reversed ||
      a->gain[0] != b.gain[0] ||
      a->gain[1] != b.gain[1]) {
    return false;
  }
  if (!a->reversed && a->offset + a->length == b.offset) {
    a->length += b.length;
    return true;
  }
  if (a->reversed && b.offset + b.length == a->offset) {
    a->offset = b.offset;
    a->length += b.length;
    return true;
  }
  return false;
}

void AddPiece(std::vector<Piece>* pieces, Piece p) {
  if (p.length <= 0) return;
  p = Normalised(std::move(p));
  if (!pieces->empty() && TryMerge(&pieces->back(), p)) return;
  pieces->push_back(std::move(p));
}

// Frames rendered at a time from a SoundSource: a small working set.
constexpr int64_t kSourceFrames = 4096;

// Writes or adds `count` frames read from src (bc channels, stepping `step`
// frames) to out (channels wide), times the gains.
template <bool kAdd>
void Spread(const float* src, int64_t step, int bc, int64_t count, int channels, float g0, float g1,
            float* out) {
  auto put = [](float* dst, float v) {
    if (kAdd) *dst += v; else *dst = v;
  };
  if (bc == 1 && channels == 1) {
    for (int64_t i = 0; i < count; ++i) put(out + i, src[i * step] * g0);
  } else if (bc == 1 && channels == 2) {
    for (int64_t i = 0; i < count; ++i) {
      const float v = src[i * step];
      put(out + 2 * i, v * g0);
      put(out + 2 * i + 1, v * g1);
    }
  } else if (bc == 2 && channels == 2) {
    for (int64_t i = 0; i < count; ++i) {
      put(out + 2 * i, src[2 * i * step] * g0);
      put(out + 2 * i + 1, src[2 * i * step + 1] * g1);
    }
  } else {
    for (int64_t i = 0; i < count; ++i) {
      for (int c = 0; c < channels; ++c) {
        const float g = c == 1 ? g1 : g0;
        put(out + i * channels + c, src[i * step * bc + std::min(c, bc - 1)] * g);
      }
    }
  }
}

// Writes or adds `count` frames of piece p, from `from` on, at `factor`.
template <bool kAdd>
void RenderPiece(const Piece& p, int64_t from, int64_t count, int channels, float factor,
                 float* out) {
  if (p.silent() || factor == 0) {
    if (!kAdd) std::memset(out, 0, sizeof(float) * count * channels);
    return;
  }
  const int bc = p.sound_channels();
  const float g0 = p.gain[0] * factor;
  const float g1 = p.gain[1] * factor;
  const int64_t step = p.reversed ? -1 : 1;
  if (p.block) {
    const int64_t first = p.reversed ? p.offset + p.length - 1 - from : p.offset + from;
    Spread<kAdd>(p.block->data() + first * bc, step, bc, count, channels, g0, g1, out);
    return;
  }
  if (!kAdd && !p.reversed && bc == channels && g0 == 1 && g1 == 1) {
    // The source's frames are the result as they are.
    p.source->Render(p.offset + from, count, out);
    return;
  }
  // Through a small buffer, read as a block of the same frames would be, so
  // the result is the same to the bit.
  std::vector<float> frames;
  for (int64_t done = 0; done < count;) {
    const int64_t n = std::min(kSourceFrames, count - done);
    const int64_t at = from + done;  // in playing order
    const int64_t first = p.reversed ? p.offset + p.length - at - n : p.offset + at;
    frames.resize(static_cast<size_t>(n * bc));
    p.source->Render(first, n, frames.data());
    const float* src = p.reversed ? frames.data() + (n - 1) * bc : frames.data();
    Spread<kAdd>(src, step, bc, n, channels, g0, g1, out + done * channels);
    done += n;
  }
}

}  // namespace

Piece SubPiece(const Piece& p, int64_t from, int64_t count) {
  Piece s = p;
  s.length = count;
  if (p.sounds()) s.offset = p.reversed ? p.offset + p.length - from - count : p.offset + from;
  return s;
}

Clip Clip::Silence(int rate, int channels, int64_t frames) {
  Clip c(rate, channels);
  Piece p;
  p.length = frames;
  c.AppendPiece(p);
  return c;
}

Clip Clip::FromBlock(BlockRef block, int rate) {
  Clip c(rate, block->channels());
  Piece p;
  p.length = block->frames();
  p.block = std::move(block);
  c.AppendPiece(std::move(p));
  return c;
}

size_t Clip::piece_count() const {
  size_t n = 0;
  for (const ChunkRef& c : chunks_) n += c->pieces.size();
  return n;
}

void Clip::PushChunk(ChunkRef chunk) {
  if (chunk->pieces.empty()) return;
  starts_.push_back(frames_);
  frames_ += chunk->frames;
  chunks_.push_back(std::move(chunk));
}

Clip Clip::FromPieces(int rate, int channels, const std::vector<Piece>& pieces) {
  Clip c(rate, channels);
  c.chunks_.reserve(pieces.size() / kChunkPieces + 1);
  for (size_t i = 0; i < pieces.size(); i += kChunkPieces) {
    auto chunk = std::make_shared<Chunk>();
    size_t end = std::min(pieces.size(), i + kChunkPieces);
    chunk->pieces.assign(pieces.begin() + i, pieces.begin() + end);
    for (const Piece& p : chunk->pieces) chunk->frames += p.length;
    c.PushChunk(std::move(chunk));
  }
  return c;
}

size_t Clip::ChunkAt(int64_t frame) const {
  auto it = std::upper_bound(starts_.begin(), starts_.end(), frame);
  return static_cast<size_t>(it - starts_.begin()) - 1;
}

Clip Clip::Slice(int64_t start, int64_t length) const {
  Clip out(rate_, channels_);
  start = std::clamp<int64_t>(start, 0, frames_);
  const int64_t end = start + std::clamp<int64_t>(length, 0, frames_ - start);
  if (start == end) return out;
  for (size_t i = ChunkAt(start); i < chunks_.size() && starts_[i] < end; ++i) {
    const int64_t cs = starts_[i];
    const Chunk& chunk = *chunks_[i];
    if (cs >= start && cs + chunk.frames <= end) {
      out.PushChunk(chunks_[i]);
      continue;
    }
    auto part = std::make_shared<Chunk>();
    part->pieces.reserve(chunk.pieces.size());
    int64_t pos = cs;
    for (const Piece& p : chunk.pieces) {
      const int64_t from = std::max(start, pos);
      const int64_t to = std::min(end, pos + p.length);
      if (from < to) {
        part->pieces.push_back(SubPiece(p, from - pos, to - from));
        part->frames += to - from;
      }
      pos += p.length;
    }
    out.PushChunk(std::move(part));
  }
  return out;
}

void Clip::Append(const Clip& tail) {
  if (tail.chunks_.empty()) return;
  if (&tail == this) {
    const Clip copy = tail;
    Append(copy);
    return;
  }
  size_t next = 0;
  if (!chunks_.empty() &&
      chunks_.back()->pieces.size() + tail.chunks_.front()->pieces.size() <= kChunkPieces) {
    // Merge the two chunks at the seam, so joins of small clips do not
    // leave a trail of tiny chunks.
    auto merged = std::make_shared<Chunk>(*chunks_.back());
    for (const Piece& p : tail.chunks_.front()->pieces) AddPiece(&merged->pieces, p);
    merged->frames += tail.chunks_.front()->frames;
    frames_ = starts_.back();
    chunks_.pop_back();
    starts_.pop_back();
    PushChunk(std::move(merged));
    next = 1;
  }
  for (; next < tail.chunks_.size(); ++next) PushChunk(tail.chunks_[next]);
}

void Clip::AppendPiece(Piece piece) {
  if (piece.length <= 0) return;
  auto one = std::make_shared<Chunk>();
  one->frames = piece.length;
  one->pieces.push_back(Normalised(std::move(piece)));
  Clip tail(rate_, channels_);
  tail.PushChunk(std::move(one));
  Append(tail);
}

Clip Clip::Scaled(float factor) const {
  if (factor == 1) return *this;
  if (factor == 0) return Silence(rate_, channels_, frames_);
  std::vector<Piece> pieces = Pieces();
  for (Piece& p : pieces) {
    p.gain[0] *= factor;
    p.gain[1] *= factor;
  }
  return FromPieces(rate_, channels_, pieces);
}

Clip Clip::Reversed() const {
  std::vector<Piece> pieces = Pieces();
  std::reverse(pieces.begin(), pieces.end());
  for (Piece& p : pieces) {
    if (p.sounds()) p.reversed = !p.reversed;
  }
  return FromPieces(rate_, channels_, pieces);
}

Clip Clip::Panned(float left, float right) const {
  std::vector<Piece> pieces = Pieces();
  for (Piece& p : pieces) {
    p.gain[1] = p.gain[0] * right;
    p.gain[0] *= left;
  }
  return FromPieces(rate_, 2, pieces);
}

std::vector<Piece> Clip::Pieces() const {
  std::vector<Piece> pieces;
  pieces.reserve(piece_count());
  for (const ChunkRef& c : chunks_) {
    for (const Piece& p : c->pieces) AddPiece(&pieces, p);
  }
  return pieces;
}

const SampleBlock* Clip::PlainBlock() const {
  if (chunks_.size() != 1 || chunks_[0]->pieces.size() != 1) return nullptr;
  const Piece& p = chunks_[0]->pieces[0];
  if (!p.block || p.reversed || p.offset != 0 || p.length != p.block->frames() ||
      p.gain[0] != 1 || p.gain[1] != 1 || p.block->channels() != channels_) {
    return nullptr;
  }
  return p.block.get();
}

template <bool kAdd>
void Clip::RenderImpl(int64_t start, int64_t n, float factor, float* out) const {
  if (n <= 0) return;
  int64_t done = 0;
  if (start < frames_ && start >= 0) {
    for (size_t i = ChunkAt(start); i < chunks_.size() && done < n; ++i) {
      int64_t pos = starts_[i];
      for (const Piece& p : chunks_[i]->pieces) {
        const int64_t at = start + done;
        if (pos + p.length > at) {
          const int64_t from = at - pos;
          const int64_t count = std::min(p.length - from, n - done);
          RenderPiece<kAdd>(p, from, count, channels_, factor, out + done * channels_);
          done += count;
          if (done == n) break;
        }
        pos += p.length;
      }
    }
  }
  if (!kAdd && done < n) std::memset(out + done * channels_, 0, sizeof(float) * (n - done) * channels_);
}

void Clip::Render(int64_t start, int64_t n, float* out) const { RenderImpl<false>(start, n, 1, out); }

void Clip::RenderAdd(int64_t start, int64_t n, float factor, float* out) const {
  RenderImpl<true>(start, n, factor, out);
}

}  // namespace tamboro
