#include "support/sound_files.h"

#include <sndfile.h>
#include <stdlib.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>

namespace tamboro::testing {

Pcm16 TestSignal(int rate, int channels, int64_t frames, uint32_t seed, double amplitude) {
  Pcm16 s{rate, channels, {}};
  s.samples.resize(static_cast<size_t>(frames * channels));
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> noise(-1, 1);
  const double f1 = 60 + seed % 200;
  const double f2 = 700 + seed % 900;
  for (int64_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    const double env = std::exp(-t * 6);
    for (int c = 0; c < channels; ++c) {
      const double v = env * (0.6 * std::sin(2 * M_PI * f1 * t + c) + 0.25 * std::sin(2 * M_PI * f2 * t)) +
                       0.15 * noise(rng);
      s.samples[static_cast<size_t>(i * channels + c)] = static_cast<int16_t>(std::lround(v * amplitude * 32767));
    }
  }
  return s;
}

Pcm16 DecayingClick() {
  const int frames = 2205;
  Pcm16 s;
  s.samples.reserve(frames);
  for (int i = 0; i < frames; ++i) {
    s.samples.push_back(static_cast<int16_t>((i % 50 < 25 ? 12000 : -12000) * (frames - i) / frames));
  }
  return s;
}

std::string WavBytes(const Pcm16& sound) {
  std::string wav;
  const auto put = [&wav](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) wav += static_cast<char>((v >> (8 * i)) & 0xff);
  };
  const uint32_t data = static_cast<uint32_t>(sound.samples.size() * 2);
  const uint32_t channels = static_cast<uint32_t>(sound.channels);
  wav += "RIFF";
  put(36 + data, 4);
  wav += "WAVEfmt ";
  put(16, 4);
  put(1, 2);  // PCM
  put(channels, 2);
  put(static_cast<uint32_t>(sound.rate), 4);
  put(static_cast<uint32_t>(sound.rate) * 2 * channels, 4);
  put(2 * channels, 2);
  put(16, 2);
  wav += "data";
  put(data, 4);
  for (int16_t v : sound.samples) put(static_cast<uint16_t>(v), 2);
  return wav;
}

bool WritePcm16(const std::string& path, const Pcm16& sound) {
  SF_INFO info{};
  info.samplerate = sound.rate;
  info.channels = sound.channels;
  const bool wav = path.size() >= 4 && path.compare(path.size() - 4, 4, ".wav") == 0;
  info.format = (wav ? SF_FORMAT_WAV : SF_FORMAT_AIFF) | SF_FORMAT_PCM_16;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!f) return false;
  const sf_count_t n = sf_writef_short(f, sound.samples.data(), sound.frames());
  sf_close(f);
  return n == sound.frames();
}

Pcm16 ReadPcm16(const std::string& path) {
  SF_INFO info{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  if (!f) return Pcm16{0, 0, {}};
  Pcm16 s{info.samplerate, info.channels, {}};
  s.samples.resize(static_cast<size_t>(info.frames * info.channels));
  s.samples.resize(static_cast<size_t>(sf_readf_short(f, s.samples.data(), info.frames) * info.channels));
  sf_close(f);
  return s;
}

int MaxDifference(const Pcm16& a, const Pcm16& b) {
  if (a.rate != b.rate || a.channels != b.channels || a.samples.size() != b.samples.size()) return -1;
  int worst = 0;
  for (size_t i = 0; i < a.samples.size(); ++i) {
    worst = std::max(worst, std::abs(int{a.samples[i]} - int{b.samples[i]}));
  }
  return worst;
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tamboro-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) std::abort();
  path_ = pattern + "/";
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace tamboro::testing
