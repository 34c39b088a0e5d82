#pragma once
// A sound as a piece table: a list of pieces, each a stretch of an
// immutable SampleBlock (or of silence) with its own gain and direction.
// Cutting, joining, reversing and scaling cost O(pieces), never O(length),
// and copying a Clip only copies references.
//
// Pieces are kept in shared chunks of up to kChunkPieces, so a cut or a
// join copies O(pieces / kChunkPieces + kChunkPieces) references.

#include <cstdint>
#include <memory>
#include <vector>

#include "audio/sample_block.h"

namespace tamboro {

// Sound made on demand rather than held, such as a long mix that is only
// ever streamed to a file. Immutable, like a SampleBlock.
class SoundSource {
 public:
  virtual ~SoundSource() = default;
  virtual int channels() const = 0;
  virtual int64_t frames() const = 0;
  // Writes frames [start, start + n), interleaved; they lie within frames().
  virtual void Render(int64_t start, int64_t n, float* out) const = 0;
};

using SourceRef = std::shared_ptr<const SoundSource>;

struct Piece {
  BlockRef block;          // null: silence, unless `source` is set
  SourceRef source;        // sound made on demand; never set with `block`
  int64_t offset = 0;      // first block frame of the stretch, in forward order
  int64_t length = 0;      // frames
  float gain[2] = {1, 1};  // by output channel (0: mono or left, 1: right)
  bool reversed = false;   // played from the stretch's end to its start

  bool sounds() const { return block || source; }
  bool silent() const { return !sounds() || (gain[0] == 0 && gain[1] == 0); }
  int sound_channels() const { return block ? block->channels() : source ? source->channels() : 1; }
};

class Clip {
 public:
  static constexpr size_t kChunkPieces = 64;

  Clip() = default;  // empty, mono, 44100 Hz
  Clip(int rate, int channels) : rate_(rate), channels_(channels) {}
  static Clip Silence(int rate, int channels, int64_t frames);
  // The whole block; its channel count becomes the clip's.
  static Clip FromBlock(BlockRef block, int rate);

  int rate() const { return rate_; }
  int channels() const { return channels_; }
  int64_t frames() const { return frames_; }
  double seconds() const { return static_cast<double>(frames_) / rate_; }
  size_t piece_count() const;

  // Frames [start, start + length), cut to the clip.
  Clip Slice(int64_t start, int64_t length) const;
  // Joins `tail` on; it must have this clip's rate and channel count.
  void Append(const Clip& tail);
  // A piece whose block has one channel or channels() channels.
  void AppendPiece(Piece piece);
  Clip Scaled(float factor) const;
  Clip Reversed() const;
  // A mono clip spread to two channels, each at its own gain.
  Clip Panned(float left, float right) const;

  // Writes frames [start, start + n) interleaved to out; past the end is
  // silence.
  void Render(int64_t start, int64_t n, float* out) const;
  // Adds factor times frames [start, start + n) to out.
  void RenderAdd(int64_t start, int64_t n, float factor, float* out) const;

  // Every piece in order.
  std::vector<Piece> Pieces() const;
  // True when the clip is one piece holding its block whole, forward, at
  // gain 1: the block is the clip's sound as it is.
  const SampleBlock* PlainBlock() const;

 private:
  struct Chunk {
    std::vector<Piece> pieces;
    int64_t frames = 0;
  };
  using ChunkRef = std::shared_ptr<const Chunk>;

  static Clip FromPieces(int rate, int channels, const std::vector<Piece>& pieces);
  void PushChunk(ChunkRef chunk);
  size_t ChunkAt(int64_t frame) const;
  template <bool kAdd>
  void RenderImpl(int64_t start, int64_t n, float factor, float* out) const;

  int rate_ = 44100;
  int channels_ = 1;
  int64_t frames_ = 0;
  std::vector<ChunkRef> chunks_;
  std::vector<int64_t> starts_;  // first frame of each chunk
};

// Piece [from, from + count) of p, in p's own playing order.
Piece SubPiece(const Piece& p, int64_t from, int64_t count);

}  // namespace tamboro
