#pragma once
// The BladeEnc MP3 encoder interface: its records and its seven operations.
// Declared here from the published interface description; the records are
// byte-packed as the interface lays them out.

#include <cstdint>
#include <functional>

namespace tamboro {

using BE_ERR = uint32_t;
using HBE_STREAM = uint32_t;  // a 32-bit stream number, not a pointer

constexpr BE_ERR BE_ERR_SUCCESSFUL = 0;
constexpr BE_ERR BE_ERR_INVALID_FORMAT = 1;
constexpr BE_ERR BE_ERR_INVALID_FORMAT_PARAMETERS = 2;
constexpr BE_ERR BE_ERR_NO_MORE_HANDLES = 3;
constexpr BE_ERR BE_ERR_INVALID_HANDLE = 4;
constexpr BE_ERR BE_ERR_BUFFER_TOO_SMALL = 5;

constexpr uint32_t BE_CONFIG_LAME = 256;

constexpr int32_t BE_MP3_MODE_STEREO = 0;
constexpr int32_t BE_MP3_MODE_JSTEREO = 1;
constexpr int32_t BE_MP3_MODE_DUALCHANNEL = 2;
constexpr int32_t BE_MP3_MODE_MONO = 3;

constexpr uint32_t MPEG1 = 1;
constexpr uint32_t MPEG2 = 0;

// Quality presets (nPreset).
constexpr int32_t LQP_NOPRESET = -1;
constexpr int32_t LQP_NORMAL_QUALITY = 0;
constexpr int32_t LQP_LOW_QUALITY = 1;
constexpr int32_t LQP_HIGH_QUALITY = 2;
constexpr int32_t LQP_VOICE_QUALITY = 3;
constexpr int32_t LQP_R3MIX = 4;
constexpr int32_t LQP_VERYHIGH_QUALITY = 5;
constexpr int32_t LQP_STANDARD = 6;
constexpr int32_t LQP_FAST_STANDARD = 7;
constexpr int32_t LQP_EXTREME = 8;
constexpr int32_t LQP_FAST_EXTREME = 9;
constexpr int32_t LQP_INSANE = 10;
constexpr int32_t LQP_MEDIUM = 13;
constexpr int32_t LQP_FAST_MEDIUM = 14;

// VBR methods (nVbrMethod).
constexpr int32_t VBR_METHOD_NONE = -1;
constexpr int32_t VBR_METHOD_DEFAULT = 0;
constexpr int32_t VBR_METHOD_CONSTANT = 1;
constexpr int32_t VBR_METHOD_OLD = 2;
constexpr int32_t VBR_METHOD_NEW = 3;
constexpr int32_t VBR_METHOD_MTRH = 4;
constexpr int32_t VBR_METHOD_ABR = 5;

#pragma pack(push, 1)

struct BE_CONFIG {
  uint32_t dwConfig;  // BE_CONFIG_LAME
  union {
    struct {
      uint32_t dwStructVersion;  // 1
      uint32_t dwStructSize;     // sizeof(BE_CONFIG)
      uint32_t dwSampleRate;
      uint32_t dwReSampleRate;   // 0: same as the input
      int32_t nMode;             // BE_MP3_MODE_*
      uint32_t dwBitrate;        // kbit/s; the minimum under VBR
      uint32_t dwMaxBitrate;     // kbit/s, VBR only
      int32_t nPreset;           // LQP_*
      uint32_t dwMpegVersion;    // MPEG1 or MPEG2
      uint32_t dwPsyModel;
      uint32_t dwEmphasis;
      int32_t bPrivate;
      int32_t bCRC;
      int32_t bCopyright;
      int32_t bOriginal;
      int32_t bWriteVBRHeader;
      int32_t bEnableVBR;
      int32_t nVBRQuality;       // 0 best .. 9
      uint32_t dwVbrAbr_bps;
      int32_t nVbrMethod;        // VBR_METHOD_*
      int32_t bNoRes;            // no bit reservoir
      int32_t bStrictIso;
      uint16_t nQuality;         // low byte the quality, high byte its complement
      uint8_t btReserved[255 - 4 * sizeof(uint32_t) - sizeof(uint16_t)];
    } LHV1;
  } format;
};

struct BE_VERSION {
  uint8_t byDLLMajorVersion;
  uint8_t byDLLMinorVersion;
  uint8_t byMajorVersion;  // engine
  uint8_t byMinorVersion;
  uint8_t byDay;           // release date of the library
  uint8_t byMonth;
  uint16_t wYear;
  char zHomepage[129];
  uint8_t byAlphaLevel;
  uint8_t byBetaLevel;
  uint8_t byMMXEnabled;
  uint8_t btReserved[125];
};

#pragma pack(pop)

static_assert(sizeof(BE_CONFIG) == 331, "BE_CONFIG is 331 bytes, byte-packed");
static_assert(sizeof(BE_VERSION) == 265, "BE_VERSION is 265 bytes, byte-packed");

// The seven operations, as a library offers them. An empty entry is an
// operation the library lacks. Counts of samples are 16-bit values, the
// channels of a frame counted apart.
struct BladeEncTable {
  // Fills samples per chunk, the output buffer size in bytes and the handle.
  std::function<BE_ERR(BE_CONFIG* config, uint32_t* samples, uint32_t* buffer_size,
                       HBE_STREAM* stream)>
      beInitStream;
  std::function<BE_ERR(HBE_STREAM stream, uint32_t samples, const int16_t* pcm, uint8_t* output,
                       uint32_t* output_bytes)>
      beEncodeChunk;
  // Gives the stream's last bytes.
  std::function<BE_ERR(HBE_STREAM stream, uint8_t* output, uint32_t* output_bytes)>
      beDeinitStream;
  std::function<BE_ERR(HBE_STREAM stream)> beCloseStream;
  std::function<void(BE_VERSION* version)> beVersion;
  // Writes the VBR header of the last closed stream into the file at path.
  std::function<BE_ERR(const char* path)> beWriteVBRHeader;
  // Writes the closed stream's VBR/info tag into the file at path.
  std::function<BE_ERR(HBE_STREAM stream, const char* path)> beWriteInfoTag;
};

}  // namespace tamboro
