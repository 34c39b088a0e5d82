#pragma once
// ByteReaders over a file on disk and over bytes held in memory, and the
// streaming copy of any ByteReader to a file.

#include <cstdio>
#include <memory>
#include <string>

#include "audio/byte_reader.h"

namespace tamboro {

class FileByteReader : public ByteReader {
 public:
  // Null, with a reason naming the file, when it cannot be opened.
  static std::unique_ptr<FileByteReader> Open(const std::string& path, std::string* error);
  ~FileByteReader() override;

  uint64_t Size() const override { return size_; }
  bool Seek(uint64_t offset) override;
  size_t Read(void* dst, size_t n) override;

 private:
  FileByteReader(std::FILE* file, uint64_t size) : file_(file), size_(size) {}
  std::FILE* file_;
  uint64_t size_;
};

class StringByteReader : public ByteReader {
 public:
  explicit StringByteReader(std::shared_ptr<const std::string> bytes) : bytes_(std::move(bytes)) {}
  uint64_t Size() const override { return bytes_->size(); }
  bool Seek(uint64_t offset) override;
  size_t Read(void* dst, size_t n) override;

 private:
  std::shared_ptr<const std::string> bytes_;
  uint64_t at_ = 0;
};

// Writes everything the reader gives to `path`, through a temporary file
// beside it, so a failed write leaves the old file as it was.
bool WriteToFile(ByteReader& reader, const std::string& path, std::string* error);

// The whole file, refused beyond max_bytes.
bool ReadWholeFile(const std::string& path, uint64_t max_bytes, std::string* bytes,
                   std::string* error);

}  // namespace tamboro
