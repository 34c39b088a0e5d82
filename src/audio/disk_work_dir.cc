#include "audio/disk_work_dir.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "audio/audio_decoding.h"
#include "audio/audio_encoding.h"
#include "audio/byte_readers.h"
#include "audio/clip.h"
#include "platform/path_lookup.h"

namespace tamboro {
namespace {

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

bool DiskWorkDir::Exists(const std::string& path) const { return IsRegularFile(LookUpPath(path)); }

std::unique_ptr<ByteReader> DiskWorkDir::OpenRead(const std::string& path, std::string* error) const {
  const std::string real = LookUpPath(path);
  if (!IsRegularFile(real)) {
    *error = "no such file: \"" + path + "\"";
    return nullptr;
  }
  return FileByteReader::Open(real, error);
}

bool DiskWorkDir::Persist(const std::string& path, std::string* error) {
  if (Exists(path)) return true;
  *error = "no such file: \"" + path + "\"";
  return false;
}

bool DiskWorkDir::ReadClip(const std::string& path, Clip* clip, std::string* error) {
  const std::string real = LookUpPath(path);
  if (!IsRegularFile(real)) {
    *error = "no such file: \"" + path + "\"";
    return false;
  }
  return ReadAudioFile(real, clip, error);
}

bool DiskWorkDir::WriteClip(const std::string& path, const Clip& clip, std::string* error) {
  AudioFileType type;
  if (!AudioFileTypeOf(path, &type)) {
    *error = "cannot tell the audio type of \"" + path + "\" from its extension";
    return false;
  }
  return WriteAudioFile(LookUpPath(path), clip, type, nullptr, error);
}

bool DiskWorkDir::Copy(const std::string& from, const std::string& to, std::string* error) {
  std::unique_ptr<ByteReader> reader = OpenRead(from, error);
  if (!reader) return false;
  const std::string real_to = LookUpPath(to);
  struct stat a, b;
  if (::stat(LookUpPath(from).c_str(), &a) == 0 && ::stat(real_to.c_str(), &b) == 0 &&
      a.st_dev == b.st_dev && a.st_ino == b.st_ino) {
    *error = "\"" + from + "\" cannot be copied onto itself";
    return false;
  }
  return WriteToFile(*reader, real_to, error);
}

bool DiskWorkDir::Remove(const std::string& path, std::string* error) {
  const std::string real = LookUpPath(path);
  struct stat st;
  if (::lstat(real.c_str(), &st) != 0) return true;  // nothing to remove
  if (S_ISDIR(st.st_mode)) {
    *error = "\"" + path + "\" is a folder, not a file";
    return false;
  }
  if (std::remove(real.c_str()) != 0) {
    *error = "cannot delete \"" + path + "\": " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace tamboro
