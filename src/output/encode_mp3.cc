#include "output/encode_mp3.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "audio/byte_reader.h"
#include "audio/work_dir.h"

namespace tamboro {
namespace {

constexpr uint64_t kWavHeaderBytes = 44;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

int Fail(Mp3Failure* failure, std::string reason) {
  if (failure != nullptr) failure->reason = std::move(reason);
  return -1;
}

std::string CodeText(BE_ERR code) { return "(code " + std::to_string(code) + ")"; }

// True when all n bytes reached the file.
bool WriteAll(std::FILE* f, const uint8_t* data, size_t n) {
  return n == 0 || std::fwrite(data, 1, n, f) == n;
}

}  // namespace

int EncodeMp3(const LoadBladeEnc& load, const WorkDir& work_dir, const std::string& wav_path,
              const std::string& output_base, uint8_t stereo, const Mp3Messages& messages,
              Mp3Failure* failure) {
  BE_VERSION version;
  std::memset(&version, 0, sizeof version);
  BE_CONFIG config;
  std::memset(&config, 0, sizeof config);
  uint32_t samples_per_chunk = 0;
  uint32_t buffer_size = 0;
  HBE_STREAM stream = 0;
  const std::string mp3_path = output_base + ".mp3";

  std::string load_error;
  const BladeEncTable* library = load ? load(&load_error) : nullptr;
  if (library == nullptr) {
    std::fprintf(messages.err, "Error loading lame_enc.DLL");
    return Fail(failure, "the MP3 encoder library could not be loaded" +
                             (load_error.empty() ? std::string() : " (" + load_error + ")"));
  }
  const BladeEncTable& be = *library;
  if (!be.beInitStream || !be.beEncodeChunk || !be.beDeinitStream || !be.beCloseStream ||
      !be.beVersion || !be.beWriteVBRHeader) {
    std::fprintf(messages.out, "Unable to get LAME interfaces");
    return Fail(failure, "the MP3 encoder library lacks operations it must offer");
  }

  be.beVersion(&version);
  version.zHomepage[sizeof version.zHomepage - 1] = '\0';  // never print past the record
  std::fprintf(messages.out, "lame_enc.dll version %u.%02u (%u/%u/%u)\n",
               unsigned{version.byDLLMajorVersion}, unsigned{version.byDLLMinorVersion},
               unsigned{version.byDay}, unsigned{version.byMonth}, unsigned{version.wYear});
  std::fprintf(messages.out, "lame_enc Engine %u.%02u\n", unsigned{version.byMajorVersion},
               unsigned{version.byMinorVersion});
  std::fprintf(messages.out, "lame_enc homepage at %s\n\n", version.zHomepage);

  std::string open_error;
  std::unique_ptr<ByteReader> input = work_dir.OpenRead(wav_path, &open_error);
  if (input == nullptr) {
    std::fprintf(messages.err, "Error opening %s", wav_path.c_str());
    return Fail(failure, "cannot read " + wav_path +
                             (open_error.empty() ? std::string() : ": " + open_error));
  }

  File output(std::fopen(mp3_path.c_str(), "wb+"));
  if (output == nullptr) {
    const int error = errno;
    std::fprintf(messages.err, "Error creating file %s", mp3_path.c_str());
    return Fail(failure, "cannot create " + mp3_path + ": " + std::strerror(error));
  }
  if (failure != nullptr) failure->output_created = true;

  config.dwConfig = BE_CONFIG_LAME;
  auto& lhv1 = config.format.LHV1;
  lhv1.dwStructVersion = 1;
  lhv1.dwStructSize = sizeof config;
  lhv1.dwSampleRate = 44100;
  lhv1.dwReSampleRate = 0;
  lhv1.nMode = stereo != 0 ? BE_MP3_MODE_JSTEREO : BE_MP3_MODE_MONO;
  lhv1.dwBitrate = 128;
  lhv1.dwMaxBitrate = 320;
  lhv1.nPreset = LQP_R3MIX;
  lhv1.dwMpegVersion = MPEG1;
  lhv1.dwPsyModel = 0;
  lhv1.dwEmphasis = 0;
  lhv1.bOriginal = 1;
  lhv1.bWriteVBRHeader = 1;
  lhv1.bEnableVBR = 1;
  lhv1.nVBRQuality = 0;
  lhv1.bNoRes = 1;

  BE_ERR code = be.beInitStream(&config, &samples_per_chunk, &buffer_size, &stream);
  if (code != BE_ERR_SUCCESSFUL) {
    std::fprintf(messages.err, "Error opening encoding stream (%lu)", static_cast<unsigned long>(code));
    return Fail(failure, "the MP3 encoder refused its settings " + CodeText(code));
  }

  std::vector<uint8_t> mp3_buffer;
  std::vector<int16_t> samples;
  try {
    mp3_buffer.resize(buffer_size);
    samples.resize(samples_per_chunk);
  } catch (const std::bad_alloc&) {
    be.beCloseStream(stream);
    std::fprintf(messages.out, "Out of memory");
    return Fail(failure, "out of memory for the MP3 encoder's buffers");
  }

  uint32_t produced = 0;
  uint64_t bytes_read = 0;
  const uint64_t length = input->Size();
  const bool has_data = length > kWavHeaderBytes && input->Seek(kWavHeaderBytes);

  auto write_error = [&]() {
    const int error = errno;
    be.beCloseStream(stream);
    std::fprintf(messages.err, "Output file write error");
    return Fail(failure, "cannot write " + mp3_path + ": " + std::strerror(error));
  };

  for (;;) {
    // Whole 16-bit samples only: an odd last byte is no sample.
    const size_t n = has_data ? input->Read(samples.data(), samples.size() * 2) / 2 : 0;
    if (n == 0) break;
    code = be.beEncodeChunk(stream, static_cast<uint32_t>(n), samples.data(), mp3_buffer.data(),
                            &produced);
    if (code == BE_ERR_SUCCESSFUL && produced > mp3_buffer.size()) code = BE_ERR_BUFFER_TOO_SMALL;
    if (code != BE_ERR_SUCCESSFUL) {
      be.beCloseStream(stream);
      std::fprintf(messages.err, "beEncodeChunk() failed (%lu)", static_cast<unsigned long>(code));
      return Fail(failure, "MP3 encoding failed " + CodeText(code));
    }
    if (!WriteAll(output.get(), mp3_buffer.data(), produced)) return write_error();
    bytes_read += 2 * n;
    std::fprintf(messages.out, "Done: %0.2f%%     \r",
                 static_cast<double>(bytes_read) * 100 / static_cast<double>(length));
  }

  code = be.beDeinitStream(stream, mp3_buffer.data(), &produced);
  if (code == BE_ERR_SUCCESSFUL && produced > mp3_buffer.size()) code = BE_ERR_BUFFER_TOO_SMALL;
  if (code != BE_ERR_SUCCESSFUL) {
    be.beCloseStream(stream);
    std::fprintf(messages.err, "beExitStream failed (%lu)", static_cast<unsigned long>(code));
    return Fail(failure, "finishing the MP3 stream failed " + CodeText(code));
  }
  if (!WriteAll(output.get(), mp3_buffer.data(), produced)) return write_error();

  be.beCloseStream(stream);
  input.reset();
  // A full disk often shows only when the last buffered bytes go out.
  errno = 0;
  if (std::fclose(output.release()) != 0) {
    const int error = errno;
    std::fprintf(messages.err, "Output file write error");
    return Fail(failure, "cannot write " + mp3_path + ": " + std::strerror(error));
  }

  if (be.beWriteInfoTag) {
    be.beWriteInfoTag(stream, mp3_path.c_str());
  } else {
    be.beWriteVBRHeader(mp3_path.c_str());
  }
  return 0;
}

}  // namespace tamboro
