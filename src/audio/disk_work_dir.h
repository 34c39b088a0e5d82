#pragma once
// Every file on disk, paths read as the patterns write them ('\' as a
// separator, case ignored where the exact name does not exist).

#include "audio/work_dir.h"

namespace tamboro {

class DiskWorkDir : public WorkDir {
 public:
  bool Exists(const std::string& path) const override;
  std::unique_ptr<ByteReader> OpenRead(const std::string& path, std::string* error) const override;
  bool Persist(const std::string& path, std::string* error) override;
  bool ReadClip(const std::string& path, Clip* clip, std::string* error) override;
  bool WriteClip(const std::string& path, const Clip& clip, std::string* error) override;
  bool Copy(const std::string& from, const std::string& to, std::string* error) override;
  bool Remove(const std::string& path, std::string* error) override;
};

}  // namespace tamboro
