#pragma once
// A WorkDir over byte strings held by path, for tests of code that only
// reads files (the MP3 encoder); the sound operations are refused.

#include <map>
#include <memory>
#include <string>

#include "audio/work_dir.h"

namespace tamboro::testing {

class BytesWorkDir : public WorkDir {
 public:
  std::map<std::string, std::string> files;

  bool Exists(const std::string& path) const override;
  std::unique_ptr<ByteReader> OpenRead(const std::string& path, std::string* error) const override;
  bool Persist(const std::string& path, std::string* error) override;
  bool ReadClip(const std::string& path, Clip* clip, std::string* error) override;
  bool WriteClip(const std::string& path, const Clip& clip, std::string* error) override;
  bool Copy(const std::string& from, const std::string& to, std::string* error) override;
  bool Remove(const std::string& path, std::string* error) override;
};

}  // namespace tamboro::testing
