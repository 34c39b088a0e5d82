#pragma once
// Sound as it lies on disk: 16-bit PCM WAV (a 44-byte header) or AIFF,
// made from a Clip on demand, block by block, so a long mix is never held
// twice.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/byte_reader.h"
#include "audio/clip.h"

namespace tamboro {

enum class AudioFileType { kWav, kAiff };

// The type a path's extension names: ".wav", or ".aiff"/".aif" (any case).
bool AudioFileTypeOf(const std::string& path, AudioFileType* type);

// Float samples to 16-bit: scaled by 32768, rounded to nearest, clipped to
// the 16-bit range. Returns how many were clipped.
int64_t QuantiseTo16(const float* in, size_t n, int16_t* out);

// The file's bytes, made from the clip as they are read.
class EncodedClipReader : public ByteReader {
 public:
  // Null, with the reason, when the clip does not fit the file type.
  static std::unique_ptr<EncodedClipReader> Make(Clip clip, AudioFileType type, std::string* error);
  // Whether Make would take the clip, without making anything.
  static bool CanEncode(const Clip& clip, AudioFileType type, std::string* error);

  uint64_t Size() const override { return header_.size() + data_bytes_; }
  bool Seek(uint64_t offset) override;
  size_t Read(void* dst, size_t n) override;
  // Samples clipped so far (each counted once, however often it is read).
  int64_t clipped() const { return clipped_; }

 private:
  EncodedClipReader(Clip clip, AudioFileType type, std::string header);
  void Fill(int64_t frame);

  Clip clip_;
  AudioFileType type_;
  std::string header_;
  uint64_t data_bytes_;
  uint64_t at_ = 0;
  int64_t stage_frame_ = -1;  // first frame in stage_
  std::string stage_;         // encoded bytes of frames from stage_frame_ on
  int64_t encoded_to_ = 0;    // frames counted for clipping
  std::vector<float> floats_;  // reused by Fill
  std::vector<int16_t> pcm_;
  int64_t clipped_ = 0;
};

// Writes the clip as a 16-bit file of the given type, streaming.
bool WriteAudioFile(const std::string& path, const Clip& clip, AudioFileType type,
                    int64_t* clipped, std::string* error);

}  // namespace tamboro
