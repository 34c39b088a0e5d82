#include "audio/audio_encoding.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <vector>

#include "audio/byte_readers.h"
#include "audio/mix.h"

namespace tamboro {
namespace {


void PutLe(std::string* s, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s->push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

void PutBe(std::string* s, uint64_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) s->push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

// An integer rate as the 80-bit extended float AIFF stores.
void PutExtended(std::string* s, uint32_t rate) {
  if (rate == 0) {
    s->append(10, '\0');
    return;
  }
  int exponent = 31;
  while (!(rate & (1u << exponent))) --exponent;
  PutBe(s, 16383 + exponent, 2);
  PutBe(s, static_cast<uint64_t>(rate) << (63 - exponent), 8);
}

std::string Header(AudioFileType type, int rate, int channels, uint64_t frames) {
  const uint64_t data = frames * channels * 2;
  std::string h;
  if (type == AudioFileType::kWav) {
    h += "RIFF";
    PutLe(&h, 36 + data, 4);
    h += "WAVEfmt ";
    PutLe(&h, 16, 4);
    PutLe(&h, 1, 2);  // PCM
    PutLe(&h, channels, 2);
    PutLe(&h, rate, 4);
    PutLe(&h, static_cast<uint64_t>(rate) * channels * 2, 4);
    PutLe(&h, channels * 2, 2);
    PutLe(&h, 16, 2);
    h += "data";
    PutLe(&h, data, 4);
  } else {
    h += "FORM";
    PutBe(&h, 46 + data, 4);
    h += "AIFFCOMM";
    PutBe(&h, 18, 4);
    PutBe(&h, channels, 2);
    PutBe(&h, frames, 4);
    PutBe(&h, 16, 2);
    PutExtended(&h, static_cast<uint32_t>(rate));
    h += "SSND";
    PutBe(&h, 8 + data, 4);
    PutBe(&h, 0, 4);  // offset
    PutBe(&h, 0, 4);  // block size
  }
  return h;
}

}  // namespace

bool AudioFileTypeOf(const std::string& path, AudioFileType* type) {
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return false;
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == "wav") {
    *type = AudioFileType::kWav;
    return true;
  }
  if (ext == "aiff" || ext == "aif") {
    *type = AudioFileType::kAiff;
    return true;
  }
  return false;
}

int64_t QuantiseTo16(const float* in, size_t n, int16_t* out) {
  int64_t clipped = 0;
  for (size_t i = 0; i < n; ++i) {
    const float v = in[i] * 32768.0f;
    if (v >= 32767.5f) {
      out[i] = 32767;
      ++clipped;
    } else if (v < -32768.5f) {
      out[i] = -32768;
      ++clipped;
    } else if (v == v) {
      out[i] = static_cast<int16_t>(std::lrintf(v));
    } else {
      out[i] = 0;  // not a number
    }
  }
  return clipped;
}

bool EncodedClipReader::CanEncode(const Clip& clip, AudioFileType type, std::string* error) {
  const uint64_t data = static_cast<uint64_t>(clip.frames()) * clip.channels() * 2;
  if (data > 0xFFFFFFFFull - 64) {
    *error = "too long for a 16-bit " + std::string(type == AudioFileType::kWav ? "WAV" : "AIFF") +
             " file (" + std::to_string(clip.frames()) + " frames of " +
             std::to_string(clip.channels()) + " channels)";
    return false;
  }
  if (clip.channels() < 1 || clip.channels() > 0xFFFF || clip.rate() <= 0) {
    *error = "cannot store " + std::to_string(clip.channels()) + " channels at " +
             std::to_string(clip.rate()) + " Hz";
    return false;
  }
  return true;
}

std::unique_ptr<EncodedClipReader> EncodedClipReader::Make(Clip clip, AudioFileType type,
                                                           std::string* error) {
  if (!CanEncode(clip, type, error)) return nullptr;
  std::string header = Header(type, clip.rate(), clip.channels(), static_cast<uint64_t>(clip.frames()));
  return std::unique_ptr<EncodedClipReader>(new EncodedClipReader(std::move(clip), type, std::move(header)));
}

EncodedClipReader::EncodedClipReader(Clip clip, AudioFileType type, std::string header)
    : clip_(std::move(clip)),
      type_(type),
      header_(std::move(header)),
      data_bytes_(static_cast<uint64_t>(clip_.frames()) * clip_.channels() * 2) {}

bool EncodedClipReader::Seek(uint64_t offset) {
  if (offset > Size()) return false;
  at_ = offset;
  return true;
}

void EncodedClipReader::Fill(int64_t frame) {
  const int channels = clip_.channels();
  const int64_t n = std::min(kRenderFrames, clip_.frames() - frame);
  floats_.resize(static_cast<size_t>(n * channels));
  clip_.Render(frame, n, floats_.data());
  pcm_.resize(floats_.size());
  const int64_t clipped = QuantiseTo16(floats_.data(), floats_.size(), pcm_.data());
  if (frame + n > encoded_to_) {
    // Count only frames not counted before; a partly new block counts whole
    // only when it starts at the mark, which is how sequential reads go.
    if (frame >= encoded_to_) clipped_ += clipped;
    encoded_to_ = frame + n;
  }
  stage_.resize(pcm_.size() * 2);
  char* out = stage_.data();
  for (int16_t s : pcm_) {
    const uint16_t u = static_cast<uint16_t>(s);
    if (type_ == AudioFileType::kWav) {
      *out++ = static_cast<char>(u & 0xff);
      *out++ = static_cast<char>(u >> 8);
    } else {
      *out++ = static_cast<char>(u >> 8);
      *out++ = static_cast<char>(u & 0xff);
    }
  }
  stage_frame_ = frame;
}

size_t EncodedClipReader::Read(void* dst, size_t n) {
  char* out = static_cast<char*>(dst);
  size_t done = 0;
  const uint64_t frame_bytes = static_cast<uint64_t>(clip_.channels()) * 2;
  while (done < n && at_ < Size()) {
    if (at_ < header_.size()) {
      const size_t count = std::min<uint64_t>(n - done, header_.size() - at_);
      std::memcpy(out + done, header_.data() + at_, count);
      done += count;
      at_ += count;
      continue;
    }
    const uint64_t d = at_ - header_.size();
    const uint64_t stage_start = static_cast<uint64_t>(stage_frame_) * frame_bytes;
    if (stage_frame_ < 0 || d < stage_start || d >= stage_start + stage_.size()) {
      Fill(static_cast<int64_t>(d / frame_bytes));
      continue;
    }
    const size_t from = static_cast<size_t>(d - stage_start);
    const size_t count = std::min(n - done, stage_.size() - from);
    std::memcpy(out + done, stage_.data() + from, count);
    done += count;
    at_ += count;
  }
  return done;
}

bool WriteAudioFile(const std::string& path, const Clip& clip, AudioFileType type,
                    int64_t* clipped, std::string* error) {
  std::unique_ptr<EncodedClipReader> reader = EncodedClipReader::Make(clip, type, error);
  if (!reader) {
    *error = "cannot write \"" + path + "\": " + *error;
    return false;
  }
  if (!WriteToFile(*reader, path, error)) return false;
  if (clipped) *clipped = reader->clipped();
  return true;
}

}  // namespace tamboro
