#include "support/bytes_work_dir.h"

#include <algorithm>
#include <cstring>

namespace tamboro::testing {
namespace {

class StringReader : public ByteReader {
 public:
  explicit StringReader(std::string bytes) : bytes_(std::move(bytes)) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool Seek(uint64_t offset) override {
    if (offset > bytes_.size()) return false;
    at_ = offset;
    return true;
  }
  size_t Read(void* dst, size_t n) override {
    n = std::min<size_t>(n, bytes_.size() - at_);
    std::memcpy(dst, bytes_.data() + at_, n);
    at_ += n;
    return n;
  }

 private:
  std::string bytes_;
  size_t at_ = 0;
};

bool Refuse(std::string* error) {
  *error = "not supported by a byte-string work folder";
  return false;
}

}  // namespace

bool BytesWorkDir::Exists(const std::string& path) const { return files.count(path) > 0; }

std::unique_ptr<ByteReader> BytesWorkDir::OpenRead(const std::string& path, std::string* error) const {
  auto it = files.find(path);
  if (it == files.end()) {
    *error = "no such file";
    return nullptr;
  }
  return std::make_unique<StringReader>(it->second);
}

bool BytesWorkDir::Persist(const std::string&, std::string*) { return true; }
bool BytesWorkDir::ReadClip(const std::string&, Clip*, std::string* error) { return Refuse(error); }
bool BytesWorkDir::WriteClip(const std::string&, const Clip&, std::string* error) { return Refuse(error); }
bool BytesWorkDir::Copy(const std::string&, const std::string&, std::string* error) { return Refuse(error); }
bool BytesWorkDir::Remove(const std::string&, std::string* error) { return Refuse(error); }

}  // namespace tamboro::testing
