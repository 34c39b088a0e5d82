// Fuzzes the reading of a sample file as the canvas stage prepares it:
// decoded from its bytes, its channels averaged to one, resampled to 44100
// Hz. A sample is named by the pattern, so it is as untrusted as the
// pattern itself; whatever it holds must end in a mono 44100 Hz clip or a
// reason naming it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/audio_decoding.h"
#include "audio/channels.h"
#include "audio/resample.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tamboro;
  using namespace tamboro::fuzz;
  const std::string name = "Samples\\fuzz.wav";
  auto bytes = std::make_shared<const std::string>(reinterpret_cast<const char*>(data), size);
  Clip decoded;
  std::string error;
  if (!DecodeAudioBytes(bytes, name, &decoded, &error)) {
    if (error.find(name) == std::string::npos) Fail("decoding error does not name the sample: " + error);
    return 0;
  }
  Clip mono;
  if (!AverageChannels(decoded, &mono, &error)) return 0;
  if (mono.channels() != 1 || mono.frames() != decoded.frames()) Fail("averaging changed more than channels");
  Clip ready;
  if (!Resample(mono, 44100, &ready, &error)) return 0;
  if (ready.rate() != 44100 || ready.channels() != 1) Fail("not mono 44100 Hz after conversion");
  return 0;
}
