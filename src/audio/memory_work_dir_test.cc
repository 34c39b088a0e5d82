#include "audio/memory_work_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/sound_files.h"

namespace tamboro {
namespace {

using testing::TempDir;

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string ReaderBytes(const WorkDir& dir, const std::string& path) {
  std::string error;
  auto reader = dir.OpenRead(path, &error);
  if (!reader) return "<" + error + ">";
  std::string bytes(reader->Size(), '\0');
  bytes.resize(reader->Read(bytes.data(), bytes.size()));
  return bytes;
}

TEST(MemoryWorkDirTest, KnowsTheWorkingFileNames) {
  MemoryWorkDir dir("/p/");
  for (const char* name : {"5.aiff", "dtrack.aiff", "drum0.aiff", "drum19.aiff", "dtrack9.aiff",
                           "clip1.aiff", "clip3.aiff", "temp.aiff", "dtrack0.wav", "final.wav"}) {
    EXPECT_TRUE(dir.IsWorkingFile(std::string("/p/") + name)) << name;
  }
  EXPECT_TRUE(dir.IsWorkingFile("\\p\\final.wav"));
  for (const char* path : {"/p/5.dat", "/p/drum.aiff", "/p/drum123.aiff", "/p/clip4.aiff",
                           "/p/final.aiff", "/q/final.wav", "/p/sub/final.wav", "/p/Final.wav",
                           "/p/dtrackx.wav", "/p/kick.wav"}) {
    EXPECT_FALSE(dir.IsWorkingFile(path)) << path;
  }
}

// A file an earlier broken run left on disk under a working name is never
// read, and a working file never touches the disk until persisted.
TEST(MemoryWorkDirTest, WorkingFilesLiveOnlyInMemory) {
  TempDir folder;
  const std::string stale = folder.path() + "dtrack.aiff";
  std::ofstream(stale) << "left by a crashed run";
  MemoryWorkDir dir(folder.path());
  Clip clip;
  std::string error;
  EXPECT_FALSE(dir.Exists(stale));
  EXPECT_FALSE(dir.ReadClip(stale, &clip, &error));

  const std::string sample = folder.path() + "kick.wav";
  ASSERT_TRUE(WritePcm16(sample, testing::TestSignal(44100, 1, 3000, 5)));
  ASSERT_TRUE(dir.Copy(sample, stale, &error)) << error;
  EXPECT_EQ(FileBytes(stale), "left by a crashed run");
  EXPECT_EQ(ReaderBytes(dir, stale), FileBytes(sample));  // a copy keeps the bytes
  ASSERT_TRUE(dir.ReadClip(stale, &clip, &error)) << error;
  EXPECT_EQ(clip.frames(), 3000);

  // Another run in the same folder shares nothing.
  MemoryWorkDir other(folder.path());
  EXPECT_FALSE(other.Exists(stale));

  // Written as sound, it reads back as a 16-bit WAV with a 44-byte header;
  // persisting puts exactly those bytes on disk.
  const std::string final_wav = folder.path() + "final.wav";
  ASSERT_TRUE(dir.WriteClip(final_wav, clip, &error)) << error;
  EXPECT_FALSE(std::filesystem::exists(final_wav));
  const std::string bytes = ReaderBytes(dir, final_wav);
  EXPECT_EQ(bytes.size(), 44u + 3000 * 2);
  ASSERT_TRUE(dir.Persist(final_wav, &error)) << error;
  EXPECT_EQ(FileBytes(final_wav), bytes);
  EXPECT_EQ(MaxDifference(testing::ReadPcm16(final_wav), testing::ReadPcm16(sample)), 0);

  ASSERT_TRUE(dir.Remove(stale, &error));
  EXPECT_FALSE(dir.Exists(stale));
  EXPECT_TRUE(std::filesystem::exists(stale));  // the disk file was never ours
}

TEST(MemoryWorkDirTest, OtherPathsAreRealFiles) {
  TempDir folder;
  MemoryWorkDir dir(folder.path());
  const std::string out = folder.path() + "song_01-02-03_04.05PM.aiff";
  std::string error;
  ASSERT_TRUE(dir.WriteClip(out, Clip::Silence(44100, 2, 100), &error)) << error;
  const testing::Pcm16 written = testing::ReadPcm16(out);
  EXPECT_EQ(written.channels, 2);
  EXPECT_EQ(written.frames(), 100);
  EXPECT_TRUE(dir.Persist(out, &error));
  EXPECT_FALSE(dir.Persist(folder.path() + "nothing.wav", &error));
  EXPECT_NE(error.find("nothing.wav"), std::string::npos);
  // A working file copied out is written as the bytes it would be.
  ASSERT_TRUE(dir.WriteClip(folder.path() + "clip1.aiff", Clip::Silence(44100, 1, 10), &error));
  ASSERT_TRUE(dir.Copy(folder.path() + "clip1.aiff", folder.path() + "copy.aiff", &error)) << error;
  EXPECT_EQ(FileBytes(folder.path() + "copy.aiff"), ReaderBytes(dir, folder.path() + "clip1.aiff"));
}

}  // namespace
}  // namespace tamboro
