#include "audio/memory_work_dir.h"

#include <cctype>
#include <string_view>

#include "audio/audio_decoding.h"
#include "audio/audio_encoding.h"
#include "audio/byte_readers.h"
#include "platform/path_lookup.h"

namespace tamboro {
namespace {

// A real file copied into a working file is held whole; refuse what no
// template or sound of a run comes near.
constexpr uint64_t kMaxCopiedBytes = uint64_t{1} << 30;

bool IsIndexed(std::string_view name, std::string_view stem, std::string_view ext) {
  if (name.size() <= stem.size() + ext.size()) return false;
  if (name.substr(0, stem.size()) != stem) return false;
  if (name.substr(name.size() - ext.size()) != ext) return false;
  const std::string_view digits = name.substr(stem.size(), name.size() - stem.size() - ext.size());
  if (digits.size() > 2) return false;
  for (char c : digits) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

bool IsWorkingName(std::string_view name) {
  static const char* const kFixed[] = {"5.aiff",     "dtrack.aiff", "clip1.aiff", "clip2.aiff",
                                       "clip3.aiff", "temp.aiff",   "final.wav"};
  for (const char* fixed : kFixed) {
    if (name == fixed) return true;
  }
  return IsIndexed(name, "drum", ".aiff") || IsIndexed(name, "dtrack", ".aiff") ||
         IsIndexed(name, "dtrack", ".wav");
}

}  // namespace

MemoryWorkDir::MemoryWorkDir(std::string program_dir) : program_dir_(ToPosixPath(program_dir)) {}

bool MemoryWorkDir::WorkingKey(const std::string& path, std::string* key) const {
  std::string p = ToPosixPath(path);
  if (p.size() <= program_dir_.size() || p.compare(0, program_dir_.size(), program_dir_) != 0 ||
      !IsWorkingName(std::string_view(p).substr(program_dir_.size()))) {
    return false;
  }
  *key = std::move(p);
  return true;
}

bool MemoryWorkDir::IsWorkingFile(const std::string& path) const {
  std::string key;
  return WorkingKey(path, &key);
}

const MemoryWorkDir::File* MemoryWorkDir::Find(const std::string& key) const {
  auto it = files_.find(key);
  return it == files_.end() ? nullptr : &it->second;
}

bool MemoryWorkDir::Exists(const std::string& path) const {
  if (!IsWorkingFile(path)) return disk_.Exists(path);
  return Find(ToPosixPath(path)) != nullptr;
}

std::unique_ptr<ByteReader> MemoryWorkDir::OpenRead(const std::string& path, std::string* error) const {
  if (!IsWorkingFile(path)) return disk_.OpenRead(path, error);
  const File* f = Find(ToPosixPath(path));
  if (!f) {
    *error = "no such file: \"" + path + "\"";
    return nullptr;
  }
  if (f->bytes) return std::make_unique<StringByteReader>(f->bytes);
  AudioFileType type;
  if (!AudioFileTypeOf(path, &type)) {
    *error = "cannot tell the audio type of \"" + path + "\" from its extension";
    return nullptr;
  }
  std::unique_ptr<EncodedClipReader> reader = EncodedClipReader::Make(*f->clip, type, error);
  if (!reader) *error = "cannot read \"" + path + "\": " + *error;
  return reader;
}

bool MemoryWorkDir::Persist(const std::string& path, std::string* error) {
  if (!IsWorkingFile(path)) return disk_.Persist(path, error);
  std::unique_ptr<ByteReader> reader = OpenRead(path, error);
  return reader && WriteToFile(*reader, ToPosixPath(path), error);
}

bool MemoryWorkDir::ReadClip(const std::string& path, Clip* clip, std::string* error) {
  std::string key;
  if (!WorkingKey(path, &key)) return disk_.ReadClip(path, clip, error);
  auto it = files_.find(key);
  if (it == files_.end()) {
    *error = "no such file: \"" + path + "\"";
    return false;
  }
  File& f = it->second;
  if (!f.clip) {
    Clip decoded;
    if (!DecodeAudioBytes(f.bytes, path, &decoded, error)) return false;
    f.clip = std::move(decoded);  // kept beside the bytes, which stay the file's content
  }
  *clip = *f.clip;
  return true;
}

bool MemoryWorkDir::WriteClip(const std::string& path, const Clip& clip, std::string* error) {
  std::string key;
  if (!WorkingKey(path, &key)) return disk_.WriteClip(path, clip, error);
  AudioFileType type;
  if (!AudioFileTypeOf(path, &type)) {
    *error = "cannot tell the audio type of \"" + path + "\" from its extension";
    return false;
  }
  // Refuse now what could not be read back as a file later.
  if (!EncodedClipReader::CanEncode(clip, type, error)) {
    *error = "cannot write \"" + path + "\": " + *error;
    return false;
  }
  files_.insert_or_assign(std::move(key), File{clip, nullptr});
  return true;
}

bool MemoryWorkDir::Copy(const std::string& from, const std::string& to, std::string* error) {
  const bool from_memory = IsWorkingFile(from);
  const bool to_memory = IsWorkingFile(to);
  if (from_memory && to_memory && ToPosixPath(from) == ToPosixPath(to)) {
    *error = "\"" + from + "\" cannot be copied onto itself";
    return false;
  }
  if (to_memory) {
    if (from_memory) {
      const File* f = Find(ToPosixPath(from));
      if (!f) {
        *error = "no such file: \"" + from + "\"";
        return false;
      }
      // The bytes of the source go across: a sound held under another
      // extension keeps its own type, as a byte copy would.
      AudioFileType from_type, to_type;
      if (f->clip && !f->bytes &&
          !(AudioFileTypeOf(from, &from_type) && AudioFileTypeOf(to, &to_type) && from_type == to_type)) {
        std::unique_ptr<ByteReader> reader = OpenRead(from, error);
        if (!reader) return false;
        if (reader->Size() > kMaxCopiedBytes) {
          *error = "\"" + from + "\" is too large to copy";
          return false;
        }
        auto bytes = std::make_shared<std::string>(reader->Size(), '\0');
        reader->Read(bytes->data(), bytes->size());
        files_[ToPosixPath(to)] = File{std::nullopt, std::move(bytes)};
        return true;
      }
      File copy = *f;
      files_[ToPosixPath(to)] = std::move(copy);
      return true;
    }
    if (!disk_.Exists(from)) {
      *error = "no such file: \"" + from + "\"";
      return false;
    }
    auto bytes = std::make_shared<std::string>();
    if (!ReadWholeFile(LookUpPath(from), kMaxCopiedBytes, bytes.get(), error)) return false;
    files_[ToPosixPath(to)] = File{std::nullopt, std::move(bytes)};
    return true;
  }
  if (from_memory) {
    std::unique_ptr<ByteReader> reader = OpenRead(from, error);
    return reader && WriteToFile(*reader, LookUpPath(to), error);
  }
  return disk_.Copy(from, to, error);
}

bool MemoryWorkDir::Remove(const std::string& path, std::string* error) {
  std::string key;
  if (!WorkingKey(path, &key)) return disk_.Remove(path, error);
  files_.erase(key);
  return true;
}

}  // namespace tamboro
