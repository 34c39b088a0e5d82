// The demo, end to end: the synthesised kit and pattern in a program folder,
// converted to WAV by the real binary with the default configuration.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <string>
#include <vector>

#include "demo_kit.h"
#include "demo_pattern.h"
#include "support/program_folder.h"

namespace tamboro::tools {
namespace {

constexpr int kRate = 44100;

struct Stereo {
  std::vector<float> left, right;
};

double Rms(const std::vector<float>& x, double from_s, double to_s) {
  double sum = 0;
  const size_t from = static_cast<size_t>(from_s * kRate), to = static_cast<size_t>(to_s * kRate);
  for (size_t i = from; i < to; ++i) sum += x[i] * x[i];
  return std::sqrt(sum / (to - from));
}

TEST(DemoTest, ConvertsToAStereoWavWithTheConfiguredPanning) {
  ProgramFolder folder;
  std::string error;
  ASSERT_TRUE(WriteKitSamples(folder.dir(), &error)) << error;
  const std::string pattern = folder.Path("demo.ktb");
  DemoPattern().WriteTo(pattern);

  const ProgramRun run = folder.Run({pattern, "2"}, "", 300);
  ASSERT_FALSE(run.timed_out);
  ASSERT_EQ(run.signal, 0) << run.err;

  std::string output;
  for (const std::string& name : folder.Files())
    if (name.rfind("demo_", 0) == 0 && name.ends_with(".wav")) output = name;
  ASSERT_FALSE(output.empty()) << "no demo_*.wav; log:\n" << folder.Log() << "\nout:\n" << run.out;

  SF_INFO info{};
  SNDFILE* file = sf_open(folder.Path(output).c_str(), SFM_READ, &info);
  ASSERT_NE(file, nullptr) << output << ": " << sf_strerror(nullptr);
  std::vector<float> frames(static_cast<size_t>(info.frames) * info.channels);
  sf_readf_float(file, frames.data(), info.frames);
  sf_close(file);
  EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  ASSERT_EQ(info.channels, 2);  // the default configuration pans
  EXPECT_EQ(info.samplerate, kRate);
  // The last hit at 8 s; the canvas grows in five-second steps to cover it
  // with room to spare: 15 s.
  ASSERT_EQ(info.frames, 15 * kRate);

  Stereo s;
  for (size_t i = 0; i < frames.size(); i += 2) {
    s.left.push_back(frames[i]);
    s.right.push_back(frames[i + 1]);
  }
  // Kick and crash open the demo; the groove carries on to the last bar.
  for (double bar = 0; bar < 4; ++bar) EXPECT_GT(Rms(s.left, 2 * bar, 2 * bar + 2), 0.01) << bar;
  // From 8.5 s only the last crash rings, panned -0.4: left (1 + 0.4) / 2,
  // right (1 - 0.4) / 2.
  const double ratio = Rms(s.left, 8.5, 9.9) / Rms(s.right, 8.5, 9.9);
  EXPECT_NEAR(ratio, 1.4 / 0.6, 0.1);
  // Then silence to the end of the canvas.
  EXPECT_LT(Rms(s.left, 10.05, 15.0) + Rms(s.right, 10.05, 15.0), 1e-4);
}

}  // namespace
}  // namespace tamboro::tools
