#pragma once
// The run's fixed-name working files in memory; every other path on disk.
// A working-file name is never read from disk, so a file an earlier broken
// run left there is never used, and two runs never share scratch files.
//
//   MemoryWorkDir work_dir(program_dir);   // program_dir ends in '/'
//   BuiltinRunner runner(work_dir);

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "audio/clip.h"
#include "audio/disk_work_dir.h"

namespace tamboro {

class MemoryWorkDir : public WorkDir {
 public:
  explicit MemoryWorkDir(std::string program_dir);

  // True for program_dir + one of "5.aiff", "dtrack.aiff", "drum<N>.aiff",
  // "dtrack<N>.aiff", "clip1.aiff" .. "clip3.aiff", "temp.aiff",
  // "dtrack<N>.wav", "final.wav" ('\' read as '/').
  bool IsWorkingFile(const std::string& path) const;
  // Working files held now.
  size_t file_count() const { return files_.size(); }

  bool Exists(const std::string& path) const override;
  std::unique_ptr<ByteReader> OpenRead(const std::string& path, std::string* error) const override;
  bool Persist(const std::string& path, std::string* error) override;
  bool ReadClip(const std::string& path, Clip* clip, std::string* error) override;
  bool WriteClip(const std::string& path, const Clip& clip, std::string* error) override;
  bool Copy(const std::string& from, const std::string& to, std::string* error) override;
  bool Remove(const std::string& path, std::string* error) override;

 private:
  // A working file: a sound, or the bytes of a real file copied in (decoded
  // when first read as sound).
  struct File {
    std::optional<Clip> clip;
    std::shared_ptr<const std::string> bytes;
  };

  const File* Find(const std::string& key) const;
  // True, with the path as the files are keyed, for a working file.
  bool WorkingKey(const std::string& path, std::string* key) const;

  std::string program_dir_;
  std::map<std::string, File> files_;  // by path, '\' read as '/'
  DiskWorkDir disk_;
};

}  // namespace tamboro
