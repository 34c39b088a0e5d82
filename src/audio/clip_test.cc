#include "audio/clip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "audio/channels.h"
#include "audio/mix.h"
#include "audio/reverb.h"

namespace tamboro {
namespace {

// The same sound as a plain array, worked on the obvious way.
using Plain = std::vector<float>;

BlockRef RandomBlock(std::mt19937& rng, int64_t frames, int channels = 1) {
  std::uniform_real_distribution<float> d(-0.5f, 0.5f);
  std::vector<float> s(static_cast<size_t>(frames * channels));
  for (float& v : s) v = d(rng);
  return std::make_shared<SampleBlock>(channels, std::move(s));
}

Plain PlainOf(const SampleBlock& b) { return Plain(b.data(), b.data() + b.frames() * b.channels()); }

Plain Render(const Clip& c) {
  Plain out(static_cast<size_t>(c.frames() * c.channels()));
  c.Render(0, c.frames(), out.data());
  return out;
}

void ExpectSame(const Clip& clip, const Plain& plain) {
  const Plain got = Render(clip);
  ASSERT_EQ(got.size(), plain.size());
  for (size_t i = 0; i < got.size(); ++i) ASSERT_NEAR(got[i], plain[i], 1e-5f) << "at " << i;
}

// A long random run of cuts, joins, gains, reversals and mixes gives the
// samples the same run gives on plain arrays, and partial renders agree.
TEST(ClipTest, RandomOperationsMatchPlainArrays) {
  std::mt19937 rng(12345);
  std::vector<std::pair<Clip, Plain>> pool;
  for (int i = 0; i < 4; ++i) {
    BlockRef b = RandomBlock(rng, 50 + i * 37);
    pool.emplace_back(Clip::FromBlock(b, 44100), PlainOf(*b));
  }
  pool.emplace_back(Clip::Silence(44100, 1, 80), Plain(80, 0.0f));
  auto pick = [&]() -> std::pair<Clip, Plain>& {
    return pool[std::uniform_int_distribution<size_t>(0, pool.size() - 1)(rng)];
  };
  const float factors[] = {0, .5f, 1, .7f, -1, .6f};
  for (int step = 0; step < 3000; ++step) {
    const int op = std::uniform_int_distribution<int>(0, 4)(rng);
    std::pair<Clip, Plain> a = pick();
    std::pair<Clip, Plain> result;
    if (op == 0) {  // cut
      const int64_t n = a.first.frames();
      const int64_t start = std::uniform_int_distribution<int64_t>(0, n + 5)(rng);
      const int64_t len = std::uniform_int_distribution<int64_t>(0, n + 5)(rng);
      const int64_t s = std::min(start, n), e = std::min(n, s + len);
      result = {a.first.Slice(start, len), Plain(a.second.begin() + s, a.second.begin() + e)};
    } else if (op == 1) {  // join
      const std::pair<Clip, Plain>& b = pick();
      result = a;
      result.first.Append(b.first);
      result.second.insert(result.second.end(), b.second.begin(), b.second.end());
    } else if (op == 2) {  // gain
      const float f = factors[std::uniform_int_distribution<int>(0, 5)(rng)];
      result = {a.first.Scaled(f), a.second};
      for (float& v : result.second) v *= f;
    } else if (op == 3) {  // reverse
      result = {a.first.Reversed(), Plain(a.second.rbegin(), a.second.rend())};
    } else {  // mix of two or three
      std::vector<MixInput> inputs{{a.first, factors[step % 6]}};
      Plain sum = a.second;
      for (float& v : sum) v *= factors[step % 6];
      const int more = 1 + step % 2;
      for (int k = 0; k < more; ++k) {
        const std::pair<Clip, Plain>& b = pick();
        const float f = factors[(step + k + 1) % 6];
        inputs.push_back({b.first, f});
        if (b.second.size() > sum.size()) sum.resize(b.second.size(), 0.0f);
        for (size_t i = 0; i < b.second.size(); ++i) sum[i] += b.second[i] * f;
      }
      std::string error;
      ASSERT_TRUE(Mix(inputs, &result.first, &error)) << error;
      result.second = sum;
    }
    ASSERT_NO_FATAL_FAILURE(ExpectSame(result.first, result.second)) << "step " << step << " op " << op;
    // A window anywhere, past the end included.
    const int64_t n = result.first.frames();
    const int64_t at = std::uniform_int_distribution<int64_t>(0, n + 3)(rng);
    Plain window(40, 9.0f);
    result.first.Render(at, 40, window.data());
    for (int64_t i = 0; i < 40; ++i) {
      const float want = at + i < n ? result.second[static_cast<size_t>(at + i)] : 0.0f;
      ASSERT_NEAR(window[static_cast<size_t>(i)], want, 1e-5f);
    }
    // Keep the pool small and its clips short enough to stay quick.
    if (result.first.frames() < 5000) {
      if (pool.size() < 12) pool.push_back(std::move(result));
      else pick() = std::move(result);
    }
  }
}

// Placing a hit by cut, mix over silence and join keeps the track a piece
// table: two pieces per hit, no samples copied.
TEST(ClipTest, PlacingHitsAddsPiecesNotSamples) {
  std::mt19937 rng(7);
  BlockRef sample = RandomBlock(rng, 300);
  Clip track = Clip::Silence(44100, 1, 441000);
  Plain plain(441000, 0.0f);
  for (int hit = 0; hit < 500; ++hit) {
    const int64_t t = 500 + hit * 800;
    Clip clip2 = track.Slice(t, track.frames());
    Clip clip1 = track.Slice(0, t);
    Clip clip3;
    std::string error;
    ASSERT_TRUE(Mix({{Clip::FromBlock(sample, 44100), 1}, {clip2, 0}}, &clip3, &error));
    clip1.Append(clip3);
    track = clip1;
    std::fill(plain.begin() + t, plain.end(), 0.0f);
    std::copy(sample->data(), sample->data() + 300, plain.begin() + t);
  }
  EXPECT_LE(track.piece_count(), 2u * 500 + 1);
  ExpectSame(track, plain);
}

TEST(ClipTest, PanAndAveragingStayPieceTables) {
  std::mt19937 rng(3);
  BlockRef b = RandomBlock(rng, 100);
  Clip mono = Clip::FromBlock(b, 44100);
  mono.Append(Clip::Silence(44100, 1, 50));
  Clip stereo = mono.Scaled(.7f).Panned(.25f, .75f);
  ASSERT_EQ(stereo.channels(), 2);
  EXPECT_EQ(stereo.piece_count(), mono.piece_count());
  Plain want(300, 0.0f);
  for (int i = 0; i < 100; ++i) {
    want[2 * i] = b->data()[i] * .7f * .25f;
    want[2 * i + 1] = b->data()[i] * .7f * .75f;
  }
  ExpectSame(stereo, want);

  Clip back;
  std::string error;
  ASSERT_TRUE(AverageChannels(stereo, &back, &error));
  EXPECT_EQ(back.channels(), 1);
  EXPECT_EQ(back.piece_count(), mono.piece_count());
  Plain mean(150, 0.0f);
  for (int i = 0; i < 100; ++i) mean[i] = b->data()[i] * .7f * .5f;
  ExpectSame(back, mean);

  // A true stereo block is averaged sample by sample.
  BlockRef two = RandomBlock(rng, 64, 2);
  ASSERT_TRUE(AverageChannels(Clip::FromBlock(two, 48000), &back, &error));
  EXPECT_EQ(back.rate(), 48000);
  for (int i = 0; i < 64; ++i) mean[i] = (two->data()[2 * i] + two->data()[2 * i + 1]) / 2;
  mean.resize(64);
  ExpectSame(back, mean);
}

// A mix whose inputs overlap for long (a mixdown) is one piece summed as it
// is read: the same sums to the bit as held ones (inputs added onto zero,
// longest first), under every later operation, and a mix of such a mix
// holds its sums again.
TEST(ClipTest, LongMixesAreSummedAsTheyAreRead) {
  std::mt19937 rng(5);
  const int64_t n = kLazySumFrames + 3000;
  const BlockRef a = RandomBlock(rng, n);
  Clip b = Clip::Silence(44100, 1, 500);
  const BlockRef b_sound = RandomBlock(rng, n);
  b.Append(Clip::FromBlock(b_sound, 44100));
  Clip mix;
  std::string error;
  ASSERT_TRUE(Mix({{Clip::FromBlock(a, 44100), .6f}, {b, .7f}}, &mix, &error)) << error;
  EXPECT_LE(mix.piece_count(), 2u);
  Plain want(static_cast<size_t>(n + 500), 0.0f);
  for (int64_t i = 0; i < n + 500; ++i) {
    float sum = 0.0f;
    if (i >= 500) sum += b_sound->data()[i - 500] * .7f;  // the longer input first
    if (i < n) sum += a->data()[i] * .6f;
    want[static_cast<size_t>(i)] = sum;
  }
  EXPECT_EQ(Render(mix), want);

  Plain reversed(want.rbegin(), want.rend());
  ExpectSame(mix.Slice(100, n).Reversed(), Plain(reversed.begin() + 400, reversed.end() - 100));
  Plain panned;
  for (float v : want) {
    panned.push_back(v * .25f * .5f);
    panned.push_back(v * .75f * .5f);
  }
  const Clip stereo = mix.Scaled(.5f).Panned(.25f, .75f);
  ExpectSame(stereo, panned);
  Clip remixed, mono;
  ASSERT_TRUE(Mix({{stereo, 1}, {stereo.Reversed(), 1}}, &remixed, &error)) << error;
  ASSERT_TRUE(AverageChannels(remixed, &mono, &error)) << error;
  Plain averaged(want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    const size_t j = want.size() - 1 - i;
    averaged[i] = (panned[2 * i] + panned[2 * j] + panned[2 * i + 1] + panned[2 * j + 1]) / 2;
  }
  ExpectSame(mono, averaged);
  for (const Piece& p : remixed.Pieces()) EXPECT_FALSE(p.source);  // the mix of a mix holds its sums
}

// Work that would hold more samples than allowed is refused before any
// allocation; silence and single sounding inputs cost nothing, however long.
TEST(ClipTest, LongSoundsAreRefusedOrKeptAsPieces) {
  std::mt19937 rng(1);
  const Clip huge = Clip::Silence(44100, 2, kMaxBlockSamples);
  Clip out;
  std::string error;
  EXPECT_FALSE(Materialise(huge, &out, &error));
  EXPECT_NE(error.find("more than"), std::string::npos) << error;
  error.clear();
  EXPECT_FALSE(ApplyReverb(huge, ReverbSettings{}, &out, &error));
  EXPECT_NE(error.find("more than"), std::string::npos) << error;

  Clip wide = Clip::Silence(44100, 2, kMaxBlockSamples - 10);
  wide.Append(Clip::FromBlock(RandomBlock(rng, 10, 2), 44100));
  ASSERT_TRUE(Mix({{huge, 1}, {wide, .5f}}, &out, &error)) << error;
  EXPECT_EQ(out.frames(), kMaxBlockSamples);
  EXPECT_LE(out.piece_count(), 3u);
  ASSERT_TRUE(AverageChannels(huge, &out, &error)) << error;
  EXPECT_EQ(out.piece_count(), 1u);
}

}  // namespace
}  // namespace tamboro
