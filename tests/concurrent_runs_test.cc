// Two runs at once from one program folder, on different patterns. The
// working files live in each run's memory, so each run delivers the very
// audio it delivers alone; the log is the one file they share.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "support/ktb_builder.h"
#include "support/program_folder.h"

namespace tamboro {
namespace {

namespace fs = std::filesystem;
using testing::KtbBuilder;

// 0.3 s of a decaying tone, mono 44100 Hz 16-bit WAV.
std::string ToneWav(double hz) {
  constexpr uint32_t kFrames = 13230;
  std::string wav = "RIFF";
  auto u16 = [&wav](uint16_t v) {
    wav.push_back(static_cast<char>(v & 0xFF));
    wav.push_back(static_cast<char>(v >> 8));
  };
  testing::AppendU32(wav, 36 + 2 * kFrames);
  wav += "WAVEfmt ";
  testing::AppendU32(wav, 16);
  u16(1);
  u16(1);
  testing::AppendU32(wav, 44100);
  testing::AppendU32(wav, 88200);
  u16(2);
  u16(16);
  wav += "data";
  testing::AppendU32(wav, 2 * kFrames);
  for (uint32_t i = 0; i < kFrames; ++i) {
    const double t = static_cast<double>(i);
    const double x = std::sin(2 * std::numbers::pi * hz * t / 44100.0) * std::exp(-t / 4000.0);
    u16(static_cast<uint16_t>(static_cast<int16_t>(x * 20000)));
  }
  return wav;
}

std::vector<uint32_t> Every(uint32_t step, uint32_t until) {
  std::vector<uint32_t> times;
  for (uint32_t t = 0; t < until; t += step) times.push_back(t);
  return times;
}

// The one file of a folder, read and removed.
std::string TakeOutput(const ProgramFolder& folder, const std::string& dir) {
  std::vector<fs::path> outputs;
  for (const auto& entry : fs::directory_iterator(folder.Path(dir))) {
    if (entry.path().extension() == ".wav") outputs.push_back(entry.path());
  }
  if (outputs.size() != 1) return "";
  const std::string bytes = folder.ReadFile(fs::relative(outputs[0], folder.dir()).string());
  fs::remove(outputs[0]);
  return bytes;
}

TEST(ConcurrentRunsTest, TwoRunsAtOnceEachDeliverWhatTheyDeliverAlone) {
  ProgramFolder folder;
  folder.WriteFile("Samples/low.wav", ToneWav(220));
  folder.WriteFile("Samples/high.wav", ToneWav(1760));
  // Twenty seconds each, so the two runs overlap.
  const std::string a = folder.WriteFile(
      "a/a.ktb", KtbBuilder::NewLayout().Sample(0, "Samples\\low.wav").Hits(0, Every(250, 20000)).Build());
  const std::string b = folder.WriteFile("b/b.ktb", KtbBuilder::NewLayout()
                                                        .Sample(2, "Samples\\high.wav")
                                                        .Sample(4, "Samples\\low.wav")
                                                        .Hits(1, Every(330, 20000))
                                                        .Hits(2, Every(1000, 20000))
                                                        .Build());

  const ProgramRun first_a = folder.Run({a, "2"});
  ASSERT_NE(first_a.out.find("Created"), std::string::npos) << first_a.out;
  const ProgramRun first_b = folder.Run({b, "2"});
  ASSERT_NE(first_b.out.find("Created"), std::string::npos) << first_b.out;
  const std::string alone_a = TakeOutput(folder, "a");
  const std::string alone_b = TakeOutput(folder, "b");
  ASSERT_GT(alone_a.size(), 44u);
  ASSERT_GT(alone_b.size(), 44u);
  ASSERT_TRUE(alone_a != alone_b) << "the two patterns should sound different";

  ProgramRun run_a;
  std::thread other([&] { run_a = folder.Run({a, "2"}); });
  ProgramRun run_b = folder.Run({b, "2"});
  other.join();

  for (ProgramRun* run : {&run_a, &run_b}) {
    EXPECT_FALSE(run->timed_out);
    EXPECT_EQ(run->exit_code, 1);
    EXPECT_NE(run->out.find("Created"), std::string::npos) << run->out;
  }
  // Compared whole; not printed, as they are megabytes.
  EXPECT_TRUE(TakeOutput(folder, "a") == alone_a) << "pattern a sounds different when run beside b";
  EXPECT_TRUE(TakeOutput(folder, "b") == alone_b) << "pattern b sounds different when run beside a";
  // Nothing of either run's work is left in the folder, only the shared log.
  EXPECT_EQ(folder.Files(), (std::vector<std::string>{"5.dat", "Samples/high.wav", "Samples/low.wav", "a/a.ktb",
                                                       "b/b.ktb", "ktblog.txt", "tamboro", "tamboro.cfg"}));
}

}  // namespace
}  // namespace tamboro
