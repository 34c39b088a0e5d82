#include "output/encode_mp3.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "audio/work_dir.h"
#include "support/bytes_work_dir.h"
#include "support/captured_text.h"

namespace tamboro {
namespace {

using testing::BytesWorkDir;

// A library that records its calls and produces one byte per 16-bit sample.
struct FakeLibrary {
  std::vector<std::string> calls;
  BE_CONFIG config{};
  uint32_t chunk_samples = 1000;
  uint32_t buffer_size = 4000;
  BE_ERR init_error = 0;
  int encode_error_at = -1;  // which beEncodeChunk call fails
  BE_ERR encode_error = 0;
  int encodes = 0;
  BladeEncTable table;

  FakeLibrary(const FakeLibrary&) = delete;  // the table points back at it
  FakeLibrary() {
    table.beInitStream = [this](BE_CONFIG* c, uint32_t* s, uint32_t* b, HBE_STREAM* h) {
      calls.push_back("init");
      config = *c;
      *s = chunk_samples;
      *b = buffer_size;
      *h = 7;
      return init_error;
    };
    table.beEncodeChunk = [this](HBE_STREAM h, uint32_t n, const int16_t* pcm, uint8_t* out,
                                 uint32_t* produced) {
      calls.push_back("encode " + std::to_string(h) + " " + std::to_string(n));
      if (encodes++ == encode_error_at) return encode_error;
      for (uint32_t i = 0; i < n && i < buffer_size; ++i) out[i] = static_cast<uint8_t>(pcm[i]);
      *produced = n;  // may claim more than the buffer holds
      return BE_ERR{0};
    };
    table.beDeinitStream = [this](HBE_STREAM h, uint8_t* out, uint32_t* produced) {
      calls.push_back("deinit " + std::to_string(h));
      std::memcpy(out, "END", 3);
      *produced = 3;
      return BE_ERR{0};
    };
    table.beCloseStream = [this](HBE_STREAM h) {
      calls.push_back("close " + std::to_string(h));
      return BE_ERR{0};
    };
    table.beVersion = [](BE_VERSION* v) {
      v->byDLLMajorVersion = 1;
      v->byDLLMinorVersion = 5;
      v->byMajorVersion = 3;
      v->byMinorVersion = 100;
      v->byDay = 9;
      v->byMonth = 12;
      v->wYear = 2024;
      std::strcpy(v->zHomepage, "http://example.org");
    };
    table.beWriteVBRHeader = [this](const char* path) {
      calls.push_back(std::string("vbrheader ") + path);
      return BE_ERR{0};
    };
    table.beWriteInfoTag = [this](HBE_STREAM h, const char* path) {
      calls.push_back("infotag " + std::to_string(h) + " " + path);
      return BE_ERR{0};
    };
  }
  LoadBladeEnc Loader() {
    return [this](std::string*) { return &table; };
  }
};

// A WAV of `bytes` bytes in all: a 44-byte header (never looked at) and then
// 16-bit samples whose low bytes count 0, 1, 2, ...
std::string Wav(size_t bytes) {
  std::string wav(bytes, '\0');
  for (size_t i = 44; i + 1 < bytes; i += 2) wav[i] = static_cast<char>((i - 44) / 2);
  if (bytes >= 4) std::memcpy(wav.data(), "RIFF", 4);
  return wav;
}

class EncodeMp3Test : public ::testing::Test {
 public:
  void SetUp() override {
    dir = std::filesystem::path(::testing::TempDir()) /
          ("encode_mp3_" + std::to_string(getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
    base = (dir / "song").string();
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  int Encode(uint8_t stereo = 1, Mp3Failure* failure = nullptr) {
    LoadBladeEnc load = library->Loader();
    if (!loads) load = [](std::string* error) -> const BladeEncTable* {
      *error = "libx.so: missing";
      return nullptr;
    };
    return EncodeMp3(load, work_dir, "/prog/final.wav", base, stereo,
                     {out.file(), err.file()}, failure);
  }
  std::string Output() {
    std::ifstream in(base + ".mp3", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::filesystem::path dir;
  std::string base;
  bool loads = true;
  std::unique_ptr<FakeLibrary> library = std::make_unique<FakeLibrary>();
  BytesWorkDir work_dir;
  testing::CapturedFile out, err;
};

TEST_F(EncodeMp3Test, StreamsTheSamplesInChunksAndTagsTheFile) {
  work_dir.files["/prog/final.wav"] = Wav(4444);  // 2200 samples: chunks of 1000, 1000, 200
  ASSERT_EQ(Encode(1), 0) << err.text();

  EXPECT_EQ(library->calls, (std::vector<std::string>{
                               "init", "encode 7 1000", "encode 7 1000", "encode 7 200",
                               "deinit 7", "close 7", "infotag 7 " + base + ".mp3"}));
  std::string expected;
  for (int i = 0; i < 2200; ++i) expected += static_cast<char>(i);
  EXPECT_EQ(Output(), expected + "END");

  EXPECT_EQ(out.text(),
            "lame_enc.dll version 1.05 (9/12/2024)\n"
            "lame_enc Engine 3.100\n"
            "lame_enc homepage at http://example.org\n\n"
            "Done: 45.00%     \r"
            "Done: 90.01%     \r"
            "Done: 99.01%     \r");
  EXPECT_EQ(err.text(), "");

  const auto& c = library->config.format.LHV1;
  EXPECT_EQ(library->config.dwConfig, BE_CONFIG_LAME);
  EXPECT_EQ(c.dwStructVersion, 1u);
  EXPECT_EQ(c.dwStructSize, 331u);
  EXPECT_EQ(c.dwSampleRate, 44100u);
  EXPECT_EQ(c.dwReSampleRate, 0u);
  EXPECT_EQ(c.nMode, BE_MP3_MODE_JSTEREO);
  EXPECT_EQ(c.dwBitrate, 128u);
  EXPECT_EQ(c.dwMaxBitrate, 320u);
  EXPECT_EQ(c.nPreset, 4);
  EXPECT_EQ(c.dwMpegVersion, MPEG1);
  EXPECT_EQ(c.bOriginal, 1);
  EXPECT_EQ(c.bWriteVBRHeader, 1);
  EXPECT_EQ(c.bEnableVBR, 1);
  EXPECT_EQ(c.nVBRQuality, 0);
  EXPECT_EQ(c.bNoRes, 1);
  // Everything else stays zero, the reserved bytes included.
  BE_CONFIG expected_config{};
  std::memcpy(&expected_config, &library->config, sizeof expected_config);
  auto& e = expected_config.format.LHV1;
  expected_config.dwConfig = 0;
  e.dwStructVersion = e.dwStructSize = e.dwSampleRate = e.dwBitrate = e.dwMaxBitrate = 0;
  e.dwMpegVersion = 0;
  e.nMode = e.nPreset = e.bOriginal = e.bWriteVBRHeader = e.bEnableVBR = e.bNoRes = 0;
  const std::string zeros(sizeof expected_config, '\0');
  EXPECT_EQ(std::memcmp(&expected_config, zeros.data(), zeros.size()), 0);
}

TEST_F(EncodeMp3Test, MonoFlagGivesMonoMode) {
  work_dir.files["/prog/final.wav"] = Wav(100);
  ASSERT_EQ(Encode(0), 0);
  EXPECT_EQ(library->config.format.LHV1.nMode, BE_MP3_MODE_MONO);
}

TEST_F(EncodeMp3Test, HeaderOnlyInputEncodesNothingButFinishes) {
  for (size_t size : {44, 10, 0}) {
    library->calls.clear();
    work_dir.files["/prog/final.wav"] = Wav(size);
    ASSERT_EQ(Encode(), 0) << size;
    EXPECT_EQ(library->calls, (std::vector<std::string>{"init", "deinit 7", "close 7",
                                                       "infotag 7 " + base + ".mp3"}))
        << size;
    EXPECT_EQ(Output(), "END");
  }
  EXPECT_EQ(out.text().find("Done"), std::string::npos);
}

TEST_F(EncodeMp3Test, WithoutInfoTagTheVbrHeaderIsWritten) {
  library->table.beWriteInfoTag = nullptr;
  work_dir.files["/prog/final.wav"] = Wav(100);
  ASSERT_EQ(Encode(), 0);
  EXPECT_EQ(library->calls.back(), "vbrheader " + base + ".mp3");
}

TEST_F(EncodeMp3Test, ExistingOutputIsWrittenOver) {
  work_dir.files["/prog/final.wav"] = Wav(44);
  std::ofstream(base + ".mp3") << "an older and much longer file";
  ASSERT_EQ(Encode(), 0);
  EXPECT_EQ(Output(), "END");
}

TEST_F(EncodeMp3Test, EachFailureWritesItsMessageToItsStream) {
  struct Case {
    const char* name;
    std::function<void(EncodeMp3Test&)> arrange;
    const char* out_tail;  // what standard output ends with
    std::string err;       // all that goes to standard error
    const char* reason_part;
    const char* last_call;  // the library's last call, "" for none
    bool output_created;
  };
  const std::string missing_folder_base = (dir / "none" / "song").string();
  const Case cases[] = {
      {"library not loaded", [](EncodeMp3Test& t) { t.loads = false; }, "",
       "Error loading lame_enc.DLL", "libx.so: missing", "", false},
      {"beVersion missing", [](EncodeMp3Test& t) { t.library->table.beVersion = nullptr; },
       "Unable to get LAME interfaces", "", "lacks", "", false},
      {"beWriteVBRHeader missing",
       [](EncodeMp3Test& t) { t.library->table.beWriteVBRHeader = nullptr; },
       "Unable to get LAME interfaces", "", "lacks", "", false},
      {"input missing", [](EncodeMp3Test& t) { t.work_dir.files.clear(); },
       "homepage at http://example.org\n\n", "Error opening /prog/final.wav", "/prog/final.wav",
       "", false},
      {"output folder missing",
       [&](EncodeMp3Test& t) { t.base = missing_folder_base; }, "\n\n",
       "Error creating file " + missing_folder_base + ".mp3", "No such file or directory", "",
       false},
      {"init error", [](EncodeMp3Test& t) { t.library->init_error = 2; }, "\n\n",
       "Error opening encoding stream (2)", "(code 2)", "init", true},
      {"encode error",
       [](EncodeMp3Test& t) {
         t.library->encode_error_at = 1;
         t.library->encode_error = 5;
       },
       "Done: 45.00%     \r", "beEncodeChunk() failed (5)", "(code 5)", "close 7", true},
      {"library claims more bytes than its buffer",
       [](EncodeMp3Test& t) { t.library->buffer_size = 10; }, "\n\n",
       "beEncodeChunk() failed (5)", "(code 5)", "close 7", true},
  };
  for (const Case& c : cases) {
    SetUp();
    library = std::make_unique<FakeLibrary>();
    loads = true;
    work_dir.files["/prog/final.wav"] = Wav(4444);
    const size_t out_before = out.text().size(), err_before = err.text().size();
    c.arrange(*this);
    Mp3Failure failure;
    EXPECT_EQ(Encode(1, &failure), -1) << c.name;
    const std::string new_out = out.text().substr(out_before);
    EXPECT_EQ(err.text().substr(err_before), c.err) << c.name;
    ASSERT_GE(new_out.size(), std::strlen(c.out_tail)) << c.name;
    EXPECT_EQ(new_out.substr(new_out.size() - std::strlen(c.out_tail)), c.out_tail) << c.name;
    EXPECT_NE(failure.reason.find(c.reason_part), std::string::npos)
        << c.name << ": " << failure.reason;
    EXPECT_EQ(failure.output_created, c.output_created) << c.name;
    if (*c.last_call) {
      ASSERT_FALSE(library->calls.empty()) << c.name;
      EXPECT_EQ(library->calls.back(), c.last_call) << c.name;
    }
  }
}

TEST_F(EncodeMp3Test, ShortWriteIsAnOutputFileWriteError) {
  // Large chunks fail at once, small ones only when the file is closed.
  for (uint32_t chunk : {100000u, 100u}) {
    SetUp();
    library = std::make_unique<FakeLibrary>();
    library->chunk_samples = chunk;
    library->buffer_size = chunk;
    work_dir.files["/prog/final.wav"] = Wav(44 + 2 * 5000);
    std::filesystem::remove(base + ".mp3");
    std::filesystem::create_symlink("/dev/full", base + ".mp3");
    Mp3Failure failure;
    const size_t err_before = err.text().size();
    EXPECT_EQ(Encode(1, &failure), -1) << chunk;
    EXPECT_EQ(err.text().substr(err_before), "Output file write error") << chunk;
    EXPECT_NE(failure.reason.find("No space left on device"), std::string::npos) << failure.reason;
    EXPECT_TRUE(failure.output_created);
    EXPECT_EQ(std::count(library->calls.begin(), library->calls.end(), "infotag 7 " + base + ".mp3"), 0);
  }
}

}  // namespace
}  // namespace tamboro
