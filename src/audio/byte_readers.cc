#include "audio/byte_readers.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace tamboro {
namespace {

std::string SystemError(const std::string& what, const std::string& path) {
  return what + " \"" + path + "\": " + std::strerror(errno);
}

}  // namespace

std::unique_ptr<FileByteReader> FileByteReader::Open(const std::string& path, std::string* error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    *error = SystemError("cannot open", path);
    return nullptr;
  }
  if (std::fseek(f, 0, SEEK_END) != 0) {
    *error = SystemError("cannot read", path);
    std::fclose(f);
    return nullptr;
  }
  const long size = std::ftell(f);
  if (size < 0 || std::fseek(f, 0, SEEK_SET) != 0) {
    *error = SystemError("cannot read", path);
    std::fclose(f);
    return nullptr;
  }
  return std::unique_ptr<FileByteReader>(new FileByteReader(f, static_cast<uint64_t>(size)));
}

FileByteReader::~FileByteReader() { std::fclose(file_); }

bool FileByteReader::Seek(uint64_t offset) {
  return offset <= size_ && std::fseek(file_, static_cast<long>(offset), SEEK_SET) == 0;
}

size_t FileByteReader::Read(void* dst, size_t n) { return std::fread(dst, 1, n, file_); }

bool StringByteReader::Seek(uint64_t offset) {
  if (offset > bytes_->size()) return false;
  at_ = offset;
  return true;
}

size_t StringByteReader::Read(void* dst, size_t n) {
  const size_t count = static_cast<size_t>(std::min<uint64_t>(n, bytes_->size() - at_));
  std::memcpy(dst, bytes_->data() + at_, count);
  at_ += count;
  return count;
}

bool WriteToFile(ByteReader& reader, const std::string& path, std::string* error) {
  const std::string temp = path + ".part-" + std::to_string(::getpid());
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) {
    *error = SystemError("cannot create", path);
    return false;
  }
  std::vector<char> buf(1 << 16);
  bool ok = reader.Seek(0);
  while (ok) {
    const size_t n = reader.Read(buf.data(), buf.size());
    if (n == 0) break;
    ok = std::fwrite(buf.data(), 1, n, f) == n;
  }
  if (std::fclose(f) != 0) ok = false;
  if (!ok) {
    *error = SystemError("cannot write", path);
    std::remove(temp.c_str());
    return false;
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    *error = SystemError("cannot write", path);
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

bool ReadWholeFile(const std::string& path, uint64_t max_bytes, std::string* bytes,
                   std::string* error) {
  std::unique_ptr<FileByteReader> reader = FileByteReader::Open(path, error);
  if (!reader) return false;
  if (reader->Size() > max_bytes) {
    *error = "\"" + path + "\" is too large to copy (" + std::to_string(reader->Size()) +
             " bytes)";
    return false;
  }
  bytes->resize(static_cast<size_t>(reader->Size()));
  if (reader->Read(bytes->data(), bytes->size()) != bytes->size()) {
    *error = SystemError("cannot read", path);
    return false;
  }
  return true;
}

}  // namespace tamboro
