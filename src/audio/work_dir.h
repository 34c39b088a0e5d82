#pragma once
// The files a run works on. The fixed-name working files (canvas, tracks,
// clips, final.wav, ...) may live in memory; every other path is a real file.
// An interface so the reference runner can keep everything on disk.

#include <memory>
#include <string>

#include "audio/byte_reader.h"

namespace tamboro {

class Clip;

class WorkDir {
 public:
  virtual ~WorkDir() = default;
  virtual bool Exists(const std::string& path) const = 0;
  // The file's bytes as they are (or, for an in-memory working file, as they
  // would be) on disk. Null with a reason when there is no such file.
  virtual std::unique_ptr<ByteReader> OpenRead(const std::string& path,
                                               std::string* error) const = 0;
  // Puts an in-memory working file on disk under its own path, so a mix is
  // not lost; true at once for a file that is on disk already.
  virtual bool Persist(const std::string& path, std::string* error) = 0;

  // The sound a file holds. False with a reason naming the file.
  virtual bool ReadClip(const std::string& path, Clip* clip, std::string* error) = 0;
  // Makes or replaces the file with the sound, 16-bit, typed by the path's
  // extension. On failure the old file is left as it was.
  virtual bool WriteClip(const std::string& path, const Clip& clip, std::string* error) = 0;
  // Makes or replaces `to` with the bytes of `from`.
  virtual bool Copy(const std::string& from, const std::string& to, std::string* error) = 0;
  // Removes the file; an absent file is no error.
  virtual bool Remove(const std::string& path, std::string* error) = 0;
};

}  // namespace tamboro
