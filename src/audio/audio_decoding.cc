#include "audio/audio_decoding.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace tamboro {
namespace {

constexpr int kMaxChannels = 64;

struct MemoryFile {
  std::shared_ptr<const std::string> bytes;
  sf_count_t at = 0;
};

sf_count_t MemLength(void* user) {
  return static_cast<sf_count_t>(static_cast<MemoryFile*>(user)->bytes->size());
}

sf_count_t MemSeek(sf_count_t offset, int whence, void* user) {
  auto* f = static_cast<MemoryFile*>(user);
  const sf_count_t size = static_cast<sf_count_t>(f->bytes->size());
  sf_count_t to = whence == SEEK_SET ? offset : whence == SEEK_CUR ? f->at + offset : size + offset;
  f->at = std::clamp<sf_count_t>(to, 0, size);
  return f->at;
}

sf_count_t MemRead(void* dst, sf_count_t n, void* user) {
  auto* f = static_cast<MemoryFile*>(user);
  const sf_count_t count = std::clamp<sf_count_t>(static_cast<sf_count_t>(f->bytes->size()) - f->at, 0, n);
  std::memcpy(dst, f->bytes->data() + f->at, static_cast<size_t>(count));
  f->at += count;
  return count;
}

sf_count_t MemWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t MemTell(void* user) { return static_cast<MemoryFile*>(user)->at; }

// Reads the open file to its end, growing as it goes, so a header that
// claims more than the file holds cannot make a huge allocation.
bool ReadAll(SNDFILE* sf, const SF_INFO& info, const std::string& name, Clip* clip,
             std::string* error) {
  if (info.channels < 1 || info.channels > kMaxChannels || info.samplerate <= 0) {
    *error = "\"" + name + "\" has " + std::to_string(info.channels) + " channels at " +
             std::to_string(info.samplerate) + " Hz, which cannot be used";
    sf_close(sf);
    return false;
  }
  const int channels = info.channels;
  std::vector<float> samples;
  std::vector<float> buf(static_cast<size_t>(65536) * channels);
  while (true) {
    const sf_count_t got = sf_readf_float(sf, buf.data(), 65536);
    if (got <= 0) break;
    if (static_cast<int64_t>(samples.size()) + got * channels > kMaxBlockSamples) {
      *error = "\"" + name + "\" is too long to hold in memory";
      sf_close(sf);
      return false;
    }
    samples.insert(samples.end(), buf.begin(), buf.begin() + got * channels);
  }
  const int err = sf_error(sf);
  std::string why = err ? sf_strerror(sf) : "";
  sf_close(sf);
  if (err) {
    *error = "cannot read \"" + name + "\": " + why;
    return false;
  }
  const int64_t frames = static_cast<int64_t>(samples.size()) / channels;
  if (std::all_of(samples.begin(), samples.end(), [](float v) { return v == 0; })) {
    // Held as silence (the template, a canvas), so work over it stays cheap.
    *clip = Clip::Silence(info.samplerate, channels, frames);
    return true;
  }
  *clip = Clip::FromBlock(std::make_shared<SampleBlock>(channels, std::move(samples)), info.samplerate);
  return true;
}

}  // namespace

bool ReadAudioFile(const std::string& path, Clip* clip, std::string* error) {
  SF_INFO info{};
  SNDFILE* sf = sf_open(path.c_str(), SFM_READ, &info);
  if (!sf) {
    *error = "cannot read \"" + path + "\": " + sf_strerror(nullptr);
    return false;
  }
  return ReadAll(sf, info, path, clip, error);
}

bool DecodeAudioBytes(std::shared_ptr<const std::string> bytes, const std::string& name,
                      Clip* clip, std::string* error) {
  MemoryFile file{std::move(bytes)};
  SF_VIRTUAL_IO io{MemLength, MemSeek, MemRead, MemWrite, MemTell};
  SF_INFO info{};
  SNDFILE* sf = sf_open_virtual(&io, SFM_READ, &info, &file);
  if (!sf) {
    *error = "cannot read \"" + name + "\": " + sf_strerror(nullptr);
    return false;
  }
  return ReadAll(sf, info, name, clip, error);
}

}  // namespace tamboro
