#include "pattern/read_pattern_header.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/clock.h"
#include "support/ktb_builder.h"

namespace tamboro {
namespace {

using testing::KtbBuilder;

class FixedClock : public Clock {
 public:
  std::time_t Now() override { return 1796306709; }  // Thu Dec 03 14:05:09 2026 UTC
};

class ReadPatternHeaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    std::string tmpl = (std::filesystem::temp_directory_path() / "ktbheaderXXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& bytes) {
    std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  std::filesystem::path dir_;
  FixedClock clock_;
  std::ostringstream log_;
};

TEST_F(ReadPatternHeaderTest, NewLayoutLogsTagTimePathAndKits) {
  std::string path = Write("song.ktb", KtbBuilder::NewLayout().Tag("KTB02").Kits(1).Build());
  HeaderResult r = ReadPatternHeader(path, log_, clock_);
  ASSERT_EQ(r.status, LoadStatus::kOk);
  EXPECT_TRUE(r.header.new_layout);
  EXPECT_EQ(r.header.drum_count, 10);
  EXPECT_EQ(r.header.kits, 1u);
  EXPECT_EQ(r.header.start_time, 1796306709);
  EXPECT_EQ(log_.str(),
            "TAMBORO v.97a\n"
            "KTB version: KTB02\n"
            "Started: Thu Dec 03 14:05:09 2026\n"
            "\n"
            "Input File:\n" +
                path + "\nKits: 1\n");
}

TEST_F(ReadPatternHeaderTest, OldLayoutIsKtbOldWithoutKitsLine) {
  std::string path = Write("old.ktb", KtbBuilder::OldLayout().Sample(0, "kick.wav").Build());
  HeaderResult r = ReadPatternHeader(path, log_, clock_);
  ASSERT_EQ(r.status, LoadStatus::kOk);
  EXPECT_FALSE(r.header.new_layout);
  EXPECT_EQ(r.header.drum_count, 5);
  EXPECT_EQ(log_.str(), "TAMBORO v.97a\nKTB version: KTBold\nStarted: Thu Dec 03 14:05:09 2026\n\nInput File:\n" +
                            path + "\n");
}

TEST_F(ReadPatternHeaderTest, TagEndsAtItsFirstZeroByte) {
  std::string path = Write("t.ktb", KtbBuilder::NewLayout().Tag(std::string("KT\0B2", 5)).Kits(4000000000u).Build());
  HeaderResult r = ReadPatternHeader(path, log_, clock_);
  ASSERT_EQ(r.status, LoadStatus::kOk);
  EXPECT_NE(log_.str().find("KTB version: KT\nStarted"), std::string::npos);
  EXPECT_NE(log_.str().find("Kits: 4000000000\n"), std::string::npos);
}

TEST_F(ReadPatternHeaderTest, MissingFileOrFolderCannotBeOpenedAndLogsNothing) {
  for (const std::string& path : {(dir_ / "missing.ktb").string(), dir_.string()}) {
    HeaderResult r = ReadPatternHeader(path, log_, clock_);
    EXPECT_EQ(r.status, LoadStatus::kCannotOpen) << path;
  }
  EXPECT_EQ(log_.str(), "");
}

TEST_F(ReadPatternHeaderTest, FileShorterThanTheHeaderIsDamaged) {
  struct Case {
    std::string bytes;
    std::string problem_end;
  } cases[] = {
      {"", " is empty"},
      {"K", " ends inside the header"},
      {"KTB02abc", " ends inside the header"},
  };
  for (const Case& c : cases) {
    std::string path = Write("short.ktb", c.bytes);
    HeaderResult r = ReadPatternHeader(path, log_, clock_);
    EXPECT_EQ(r.status, LoadStatus::kDamaged);
    EXPECT_EQ(r.problem, "KTB file is damaged: " + path + c.problem_end);
  }
  EXPECT_EQ(log_.str(), "");
}

}  // namespace
}  // namespace tamboro
