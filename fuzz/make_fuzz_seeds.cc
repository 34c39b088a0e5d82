// Writes the seed corpora of the fuzz targets: KTB files made by the
// project's builder in both layouts (plain, full and a few damaged ones) and
// configuration texts around the default one, and short sample files in
// the types and shapes libsndfile reads.
//
//   make_fuzz_seeds <seed-folder> <default-tamboro.cfg>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/ktb_builder.h"

namespace fs = std::filesystem;
using tamboro::testing::KtbBuilder;

namespace {

void Write(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void WriteKtbSeeds(const fs::path& dir) {
  Write(dir / "old_empty.ktb", KtbBuilder::OldLayout().Build());
  Write(dir / "old_full.ktb", KtbBuilder::OldLayout()
                                  .Sample(0, "Samples\\kick.wav")
                                  .Sample(1, "Samples\\snare.wav")
                                  .Sample(2, "hat.aiff")
                                  .Sample(4, "Samples\\Crash.WAV")
                                  .Hits(0, {0, 500, 1000})
                                  .Hits(1, {250, 750})
                                  .Hits(4, {4000000000u})
                                  .Build());
  // Filler inside a name and extra empty names.
  Write(dir / "old_name_area.ktb",
        KtbBuilder::OldLayout().NameArea(std::string("A\xCC" "B\0\0C\0", 7)).Hits(2, {1, 2, 3}).Build());
  Write(dir / "new_empty.ktb", KtbBuilder::NewLayout().Build());
  KtbBuilder full = KtbBuilder::NewLayout();
  full.Kits(1).Tag("KTB\0x").Secondary(4, 1).Secondary(9, 2).Filler(0).Trailer("tail");
  for (int slot = 0; slot < 20; slot += 3) full.Sample(slot, "Samples\\drum" + std::to_string(slot) + ".wav");
  full.Sample(1, "S").Sample(5, "sLower").Hits(0, {10, 5, 0}).Hits(4, {100, 200}).Hits(9, {300});
  Write(dir / "new_full.ktb", full.Build());
  Write(dir / "new_ends_in_hits.ktb", KtbBuilder::NewLayout().Hits(0, {1, 2, 3, 4}).Truncate(3991).Build());
  Write(dir / "new_huge_count.ktb", KtbBuilder::NewLayout().HitCount(0, 4000000000u).Build());
  Write(dir / "new_quote.ktb", KtbBuilder::NewLayout().Sample(0, "Samples\\a\"b.wav").Hits(0, {0}).Build());
}

void WriteConfigSeeds(const fs::path& dir, const fs::path& default_config) {
  std::ifstream in(default_config, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (text.empty()) throw std::runtime_error("cannot read " + default_config.string());
  Write(dir / "default.cfg", text);
  std::string crlf;
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  Write(dir / "default_crlf.cfg", crlf);
  Write(dir / "short.cfg", "k=1\nf=3\ns=1\n1=-1\n2=1.0\n3=   -0.25\n4=\t0.5\n5=-0.1250\n6=1.5\n7=\n8=.5.5\n9=-\n10=0.5"
                           "\nr=1\nv=1\n");
  Write(dir / "foreign_values.cfg", "kit=x\nformat=9 2\nstereo=\n1=0.0\nreverse=1");
  Write(dir / "ends_after_stereo.cfg", "kit=0\nformat=0\nstereo=1");
}

// A short tone in the given container, encoding, rate and channel count.
void WriteSample(const fs::path& path, int format, int rate, int channels) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) throw std::runtime_error("cannot write " + path.string() + ": " + sf_strerror(nullptr));
  constexpr int kFrames = 300;
  std::vector<float> samples(static_cast<size_t>(kFrames) * channels);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = 0.5f * std::sin(0.05f * static_cast<float>(i));
  sf_writef_float(file, samples.data(), kFrames);
  sf_close(file);
}

void WriteSampleSeeds(const fs::path& dir) {
  WriteSample(dir / "mono16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1);
  WriteSample(dir / "stereo8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 22050, 2);
  WriteSample(dir / "float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 8000, 2);
  WriteSample(dir / "mono24.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 48000, 1);
  WriteSample(dir / "quad.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 32000, 4);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_fuzz_seeds <seed-folder> <default-tamboro.cfg>\n");
    return 2;
  }
  try {
    const fs::path root = argv[1];
    fs::create_directories(root / "ktb_loader");
    fs::create_directories(root / "config_reader");
    fs::create_directories(root / "sample_decoder");
    WriteKtbSeeds(root / "ktb_loader");
    WriteConfigSeeds(root / "config_reader", argv[2]);
    WriteSampleSeeds(root / "sample_decoder");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_fuzz_seeds: %s\n", e.what());
    return 1;
  }
  return 0;
}
