#pragma once

#include <cstddef>
#include <cstdint>

namespace tamboro {

// Sequential reads of a file's bytes, as they are (or would be) on disk.
class ByteReader {
 public:
  virtual ~ByteReader() = default;
  virtual uint64_t Size() const = 0;
  virtual bool Seek(uint64_t offset) = 0;
  // Returns the bytes read; fewer than n only at the end.
  virtual size_t Read(void* dst, size_t n) = 0;
};

}  // namespace tamboro
