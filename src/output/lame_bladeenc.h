#pragma once
// The BladeEnc operations over LAME's shared library, loaded at run time (no
// link-time dependency, so a missing LAME is a clear run-time failure).

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "output/bladeenc.h"
#include "platform/dynamic_library.h"

namespace tamboro {

inline constexpr const char* kLameLibrary = "libmp3lame.so.0";

class LameBladeEnc {
 public:
  // Null with the reason when the library cannot be loaded. An operation
  // whose LAME functions the library lacks stays empty in the table.
  static std::unique_ptr<LameBladeEnc> Load(const std::string& library_name, std::string* error);

  LameBladeEnc(const LameBladeEnc&) = delete;
  LameBladeEnc& operator=(const LameBladeEnc&) = delete;
  ~LameBladeEnc();

  const BladeEncTable& table() const { return table_; }

 private:
  struct Lame;    // the LAME functions in use
  struct Stream;  // one encoder context

  LameBladeEnc(DynamicLibrary library, std::unique_ptr<Lame> lame);

  BE_ERR InitStream(BE_CONFIG* config, uint32_t* samples, uint32_t* buffer_size, HBE_STREAM* handle);
  BE_ERR EncodeChunk(HBE_STREAM handle, uint32_t samples, const int16_t* pcm, uint8_t* output,
                     uint32_t* output_bytes);
  BE_ERR DeinitStream(HBE_STREAM handle, uint8_t* output, uint32_t* output_bytes);
  BE_ERR CloseStream(HBE_STREAM handle);
  void Version(BE_VERSION* version) const;
  BE_ERR WriteVbrHeader(const char* path);
  BE_ERR WriteInfoTag(HBE_STREAM handle, const char* path);

  // The stream a handle names, or null; `open` asks for one not yet closed.
  Stream* Find(HBE_STREAM handle, bool open);
  void Release(HBE_STREAM handle);

  DynamicLibrary library_;
  std::unique_ptr<Lame> lame_;
  // Handles are positions in this table plus one: the interface's handle is
  // 32 bits wide, too narrow for a pointer.
  std::vector<std::unique_ptr<Stream>> streams_;
  std::optional<HBE_STREAM> last_closed_;
  BladeEncTable table_;
};

}  // namespace tamboro
