// Writes the seed corpora of the fuzz targets: KTB files made by the
// project's builder in both layouts (plain, full and a few damaged ones) and
// configuration texts around the default one.
//
//   make_fuzz_seeds <seed-folder> <default-tamboro.cfg>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

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
    WriteKtbSeeds(root / "ktb_loader");
    WriteConfigSeeds(root / "config_reader", argv[2]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_fuzz_seeds: %s\n", e.what());
    return 1;
  }
  return 0;
}
