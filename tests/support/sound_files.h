#pragma once
// 16-bit sound files for tests and benchmarks, written and read with
// libsndfile (not with the engine under test), and a scratch folder.

#include <cstdint>
#include <string>
#include <vector>

namespace tamboro::testing {

struct Pcm16 {
  int rate = 44100;
  int channels = 1;
  std::vector<int16_t> samples;  // interleaved

  int64_t frames() const { return channels ? static_cast<int64_t>(samples.size()) / channels : 0; }
};

// A deterministic drum-like test sound: decaying tones and noise.
Pcm16 TestSignal(int rate, int channels, int64_t frames, uint32_t seed, double amplitude = 0.4);

// A short decaying square wave, mono 16-bit 44100 Hz: an easy onset to find.
Pcm16 DecayingClick();

// The bytes of a 16-bit PCM WAV with the plain 44-byte header.
std::string WavBytes(const Pcm16& sound);

// Typed by the extension: ".wav" or ".aiff". False when it cannot be made.
bool WritePcm16(const std::string& path, const Pcm16& sound);
// channels 0 when the file cannot be read.
Pcm16 ReadPcm16(const std::string& path);

// The largest difference between two sounds in 16-bit steps; -1 when their
// rates, channel counts or lengths differ.
int MaxDifference(const Pcm16& a, const Pcm16& b);

// A fresh folder under /tmp, removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }  // ends in '/'

 private:
  std::string path_;
};

}  // namespace tamboro::testing
