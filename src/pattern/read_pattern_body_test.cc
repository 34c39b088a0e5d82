#include "pattern/read_pattern_body.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <sstream>

#include "console/screen.h"
#include "support/captured_text.h"
#include "support/ktb_builder.h"

namespace tamboro {
namespace {

using testing::CollectingConsole;

using testing::KtbBuilder;

const PatternHeader kOld{false, 5, 0, 0};
const PatternHeader kNew{true, 10, 2, 0};

struct Loaded {
  BodyResult result;
  std::string log;
  std::string console;
};

Loaded Load(const KtbBuilder& builder, const PatternHeader& header, uint8_t kit_type = 0,
            const std::string& path = "song.ktb") {
  CollectingConsole writer;
  Screen screen(writer, false);
  std::ostringstream log;
  Loaded out{LoadPatternBody(builder.Build(), path, header, kit_type, log, screen), log.str(), ""};
  out.console = writer.text();
  return out;
}

std::string Repeat(const std::string& text, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += text;
  return out;
}

TEST(ReadPatternBodyTest, OldLayoutLogEchoesNamesThenListsThemAndTheHits) {
  KtbBuilder ktb = KtbBuilder::OldLayout()
                       .Sample(0, "a.wav").Sample(1, "b.wav").Sample(2, "c.wav").Sample(3, "d.wav")
                       .Sample(4, "e.wav")
                       .Hits(0, {100, 50})
                       .Hits(2, {7});
  Loaded got = Load(ktb, kOld, 1);
  ASSERT_EQ(got.result.status, LoadStatus::kOk) << got.result.problem;
  EXPECT_EQ(got.log,
            "a.wavb.wavc.wavd.wave.wav"
            "a.wav\nb.wav\nc.wav\nd.wav\ne.wav\n"
            "\n1\n1\n1\n1\n1" + Repeat("\n0", 15) +
            "Drum 1: 2 hits\n100\n50\n"
            "Drum 2: 0 hits\n"
            "Drum 3: 1 hits\n7\n"
            "Drum 4: 0 hits\n"
            "Drum 5: 0 hits\n");
  EXPECT_EQ(got.console, Repeat("\nDrum Stream Empty\n", 3));
  const PatternBody& body = got.result.body;
  EXPECT_EQ(body.hits[0], (std::vector<uint32_t>{100, 50}));
  EXPECT_EQ(body.hits[2], (std::vector<uint32_t>{7}));
  EXPECT_EQ(body.drum_empty, (std::array<uint8_t, 10>{0, 1, 0, 1, 1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(body.max_hit_time, 100u);
  EXPECT_EQ(body.secondary5, 0);
}

TEST(ReadPatternBodyTest, OldLayoutKitTypeReordersTheFirstFourNamesOnly) {
  struct Case {
    uint8_t kit_type;
    std::array<std::string, 5> names;
  } cases[] = {
      {1, {"C", "D", "A", "B", "E"}},
      {0, {"D", "A", "C", "B", "E"}},
  };
  for (const Case& c : cases) {
    // An empty name in slot 1: its flag stays with the slot, only names move.
    Loaded got = Load(KtbBuilder::OldLayout().NameArea(std::string("A\0\0C\0D\0E\0", 9)), kOld, c.kit_type);
    ASSERT_EQ(got.result.status, LoadStatus::kOk);
    const PatternBody& body = got.result.body;
    std::array<std::string, 5> expected = c.names;
    for (std::string& n : expected) n = n == "B" ? "" : n;
    EXPECT_EQ(std::vector<std::string>(body.samples.begin(), body.samples.begin() + 5),
              std::vector<std::string>(expected.begin(), expected.end()))
        << "kit " << int(c.kit_type);
    EXPECT_EQ(body.sample_present[4], 1);
    EXPECT_EQ(body.sample_present[5], 0);
    // The log shows the file's order.
    EXPECT_EQ(got.log.substr(0, 11), "ACDEA\n\nC\nD\n");
  }
}

TEST(ReadPatternBodyTest, OldLayoutNameAreaRules) {
  struct Case {
    std::string area;
    std::vector<std::string> names;  // slots 0..n-1
    int present;                     // how many leading slots are flagged
  } cases[] = {
      {std::string("A\xCC" "B\0", 4), {"AB"}, 1},              // filler inside a name dropped
      {std::string("\xCC\xCCX\0\0Y\0", 7), {"X", "", "Y"}, 3},  // two zero bytes: an empty name
      {"abc", {"abc"}, 0},                                       // a name never ended
      {std::string(25, '\0') + "Z", {}, 20},                     // more than twenty names: the rest ignored
  };
  for (const Case& c : cases) {
    Loaded got = Load(KtbBuilder::OldLayout().NameArea(c.area), kOld, 1);
    ASSERT_EQ(got.result.status, LoadStatus::kOk) << got.result.problem;
    const PatternBody& body = got.result.body;
    // Kit 1 swaps slots 0/2 and 1/3; undo it to compare with the file order.
    std::array<std::string, 20> file_order = body.samples;
    std::swap(file_order[0], file_order[2]);
    std::swap(file_order[1], file_order[3]);
    for (size_t i = 0; i < c.names.size(); ++i) EXPECT_EQ(file_order[i], c.names[i]);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(body.sample_present[i], i < c.present ? 1 : 0) << "slot " << i;
    EXPECT_EQ(body.samples[19], "");
  }
}

TEST(ReadPatternBodyTest, NewLayoutLogListsRecordsOnOffBytesAndHits) {
  KtbBuilder ktb = KtbBuilder::NewLayout()
                       .Sample(0, "Samples\\kick.wav")
                       .Sample(2, "S")           // the one-character name "S"
                       .Sample(3, "snare.wav")   // lowercase: blank
                       .Sample(19, "Sx")
                       .Secondary(0, 2)          // logged as 1, kept as 2
                       .Secondary(4, 1)
                       .Secondary(9, 2)
                       .Hits(0, {0, 500})
                       .Hits(1, {1500, 250})
                       .Trailer("ignored");
  Loaded got = Load(ktb, kNew);
  ASSERT_EQ(got.result.status, LoadStatus::kOk) << got.result.problem;
  std::string blanks;
  for (int j = 5; j <= 8; j += 2) {
    blanks += "Sample " + std::to_string(j) + ": Blank\nSample " + std::to_string(j + 1) +
              ": Blank\nSecondary On/Off: 0\n\n";
  }
  std::string middle;
  for (int j = 11; j <= 17; j += 2) {
    middle += "Sample " + std::to_string(j) + ": Blank\nSample " + std::to_string(j + 1) +
              ": Blank\nSecondary On/Off: 0\n\n";
  }
  EXPECT_EQ(got.log,
            "Sample 1: Samples\\kick.wav\nSample 2: Blank\nSecondary On/Off: 1\n\n"
            "Sample 3: S\nSample 4: Blank\nSecondary On/Off: 0\n\n" +
                blanks +
                "Sample 9: Blank\nSample 10: Blank\nSecondary On/Off: 1\n\n" + middle +
                "Sample 19: Blank\nSample 20: Sx\nSecondary On/Off: 1\n\n"
                "\n1\n0\n1" + Repeat("\n0", 16) + "\n1" +
                "Drum 1: 2 hits\n0\n500\n"
                "Drum 2: 2 hits\n1500\n250\n" +
                "Drum 3: 0 hits\nDrum 4: 0 hits\nDrum 5: 0 hits\nDrum 6: 0 hits\nDrum 7: 0 hits\n"
                "Drum 8: 0 hits\nDrum 9: 0 hits\nDrum 10: 0 hits\n");
  EXPECT_EQ(got.console, Repeat("\nDrum Stream Empty\n", 8));
  const PatternBody& body = got.result.body;
  EXPECT_EQ(body.samples[0], "Samples\\kick.wav");
  EXPECT_EQ(body.samples[2], "S");
  EXPECT_EQ(body.samples[3], "");
  EXPECT_EQ(body.sample_present[3], 0);
  EXPECT_EQ(body.secondary5, 1);
  EXPECT_EQ(body.secondary10, 2);
  EXPECT_EQ(body.max_hit_time, 1500u);  // file order kept, largest found
  EXPECT_EQ(body.hits[1], (std::vector<uint32_t>{1500, 250}));
}

TEST(ReadPatternBodyTest, FileWithoutHitsHasEveryDrumEmpty) {
  Loaded got = Load(KtbBuilder::NewLayout(), kNew);
  ASSERT_EQ(got.result.status, LoadStatus::kOk);
  EXPECT_EQ(got.console, Repeat("\nDrum Stream Empty\n", 10));
  for (int d = 0; d < 10; ++d) EXPECT_TRUE(got.result.body.hits[d].empty());
  EXPECT_EQ(got.result.body.drum_empty, (std::array<uint8_t, 10>{1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
  EXPECT_EQ(got.result.body.max_hit_time, 0u);
}

TEST(ReadPatternBodyTest, LimitsThatStillLoad) {
  // The longest name a slot holds, and a hit at exactly six hours.
  Loaded got = Load(KtbBuilder::NewLayout().Sample(5, "S" + std::string(188, 'x')).Hits(3, {21'600'000, 1}), kNew);
  ASSERT_EQ(got.result.status, LoadStatus::kOk) << got.result.problem;
  EXPECT_EQ(got.result.body.samples[5].size(), 189u);
  EXPECT_EQ(got.result.body.max_hit_time, 21'600'000u);
}

TEST(ReadPatternBodyTest, RefusedPatternsNameTheFileAndThePlaceAndLogNothing) {
  const size_t old_hits = 980;
  const size_t new_hits = 3943;
  struct Case {
    const char* what;
    KtbBuilder ktb;
    PatternHeader header;
    uint8_t kit_type;
    std::string problem;
  } cases[] = {
      {"old, short name area", KtbBuilder::OldLayout().Truncate(500), kOld, 0,
       "KTB file is damaged: song.ktb ends inside the name area"},
      {"old, no first count", KtbBuilder::OldLayout().Truncate(old_hits + 2), kOld, 0,
       "KTB file is damaged: song.ktb ends inside the hit count of drum 1"},
      {"old, cut in hits", KtbBuilder::OldLayout().Hits(0, {1, 2}).Truncate(old_hits + 8), kOld, 0,
       "KTB file is damaged: song.ktb ends inside the hits of drum 1"},
      {"old, hostile count", KtbBuilder::OldLayout().HitCount(2, 4'000'000'000u), kOld, 0,
       "KTB file is damaged: song.ktb ends inside the hits of drum 3"},
      {"new, header", KtbBuilder::NewLayout().Truncate(5), kNew, 0,
       "KTB file is damaged: song.ktb ends inside the header"},
      {"new, record", KtbBuilder::NewLayout().Truncate(9 + 196 + 10), kNew, 0,
       "KTB file is damaged: song.ktb ends inside sample record 2"},
      {"new, on/off", KtbBuilder::NewLayout().Truncate(9 + 392), kNew, 0,
       "KTB file is damaged: song.ktb ends inside the secondary on/off byte of drum 1"},
      {"new, skipped field", KtbBuilder::NewLayout().Truncate(new_hits - 2), kNew, 0,
       "KTB file is damaged: song.ktb ends inside the field before the hits"},
      {"new, last count", KtbBuilder::NewLayout().Truncate(new_hits + 38), kNew, 0,
       "KTB file is damaged: song.ktb ends inside the hit count of drum 10"},
      {"new, count one too many", KtbBuilder::NewLayout().Hits(9, {5}).HitCount(9, 2), kNew, 0,
       "KTB file is damaged: song.ktb ends inside the hits of drum 10"},
      {"quote in a name", KtbBuilder::NewLayout().Sample(0, "S\"q.wav"), kNew, 0,
       "KTB file is refused: song.ktb: sample 1 (the first sample of drum 1) has a double quote or a "
       "control character in its name: S\"q.wav"},
      {"control character", KtbBuilder::NewLayout().Sample(3, "Sa\x07.wav"), kNew, 0,
       "KTB file is refused: song.ktb: sample 4 (the secondary sample of drum 2) has a double quote or a "
       "control character in its name: Sa\\x07.wav"},
      {"record without zero", KtbBuilder::NewLayout().Sample(5, "S" + std::string(195, 'x')), kNew, 0,
       "KTB file is refused: song.ktb: sample 6 (the secondary sample of drum 3) has a name longer than 189 "
       "characters"},
      {"old, long name", KtbBuilder::OldLayout().Sample(0, std::string(190, 'y')), kOld, 1,
       "KTB file is refused: song.ktb: the sample of drum 3 has a name longer than 189 characters"},
      {"beyond six hours", KtbBuilder::OldLayout().Hits(1, {5, 21'600'001}), kOld, 0,
       "KTB file is refused: song.ktb: drum 2 has a hit at 21600001 ms, more than six hours (21600000 ms) "
       "into the recording"},
  };
  for (const Case& c : cases) {
    Loaded got = Load(c.ktb, c.header, c.kit_type);
    EXPECT_EQ(got.result.status, LoadStatus::kDamaged) << c.what;
    EXPECT_EQ(got.result.problem, c.problem) << c.what;
    EXPECT_EQ(got.log, "") << c.what;
    EXPECT_EQ(got.console, "") << c.what;
  }
}

TEST(ReadPatternBodyTest, UnusedRecordsAreNotChecked) {
  // A blank record's bytes and the old layout's extra names never reach a
  // command line.
  Loaded got = Load(KtbBuilder::NewLayout().Sample(2, "s\"\x01"), kNew);
  EXPECT_EQ(got.result.status, LoadStatus::kOk) << got.result.problem;
  got = Load(KtbBuilder::OldLayout().NameArea(std::string("a\0b\0c\0d\0e\0\"\x01\0", 13)), kOld);
  EXPECT_EQ(got.result.status, LoadStatus::kOk) << got.result.problem;
}

class ReadPatternBodyFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "ktbbodyXXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  BodyResult Read(const std::string& path) {
    Screen screen(writer_, false);
    return ReadPatternBody(path, kOld, 0, log_, screen);
  }

  std::filesystem::path dir_;
  CollectingConsole writer_;
  std::ostringstream log_;
};

TEST_F(ReadPatternBodyFileTest, ReadsTheFileFromDisk) {
  std::string path = (dir_ / "song.ktb").string();
  KtbBuilder::OldLayout().Sample(4, "e.wav").Hits(4, {3, 9}).WriteTo(path);
  BodyResult r = Read(path);
  ASSERT_EQ(r.status, LoadStatus::kOk) << r.problem;
  EXPECT_EQ(r.body.samples[4], "e.wav");
  EXPECT_EQ(r.body.hits[4], (std::vector<uint32_t>{3, 9}));
}

TEST_F(ReadPatternBodyFileTest, MissingFolderAndHugeFilesAreRefused) {
  EXPECT_EQ(Read((dir_ / "gone.ktb").string()).status, LoadStatus::kCannotOpen);
  EXPECT_EQ(Read(dir_.string()).status, LoadStatus::kCannotOpen);

  std::string huge = (dir_ / "huge.ktb").string();
  KtbBuilder::OldLayout().WriteTo(huge);
  std::filesystem::resize_file(huge, (64u << 20) + 1);  // sparse: cheap to make
  BodyResult r = Read(huge);
  EXPECT_EQ(r.status, LoadStatus::kDamaged);
  EXPECT_EQ(r.problem, "KTB file is refused: " + huge + ": larger than 64 MiB, far more than any recording holds");
  EXPECT_EQ(log_.str(), "");
}

}  // namespace
}  // namespace tamboro
