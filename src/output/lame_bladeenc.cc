#include "output/lame_bladeenc.h"

#include <lame/lame.h>

#include <cstdio>
#include <cstring>

namespace tamboro {
namespace {

// The layer's own version and release date, reported by beVersion.
constexpr uint8_t kLayerMajor = 1;
constexpr uint8_t kLayerMinor = 0;
constexpr uint8_t kLayerDay = 15;
constexpr uint8_t kLayerMonth = 3;
constexpr uint16_t kLayerYear = 2025;

bool SampleRateFits(uint32_t mpeg_version, uint32_t rate) {
  if (mpeg_version == MPEG1) return rate == 32000 || rate == 44100 || rate == 48000;
  if (mpeg_version == MPEG2) return rate == 16000 || rate == 22050 || rate == 24000;
  return false;
}

}  // namespace

// Only types come from LAME's header: every function is looked up at run time.
struct LameBladeEnc::Lame {
  decltype(&::lame_init) init = nullptr;
  decltype(&::lame_close) close = nullptr;
  decltype(&::lame_init_params) init_params = nullptr;
  decltype(&::lame_set_in_samplerate) set_in_samplerate = nullptr;
  decltype(&::lame_set_out_samplerate) set_out_samplerate = nullptr;
  decltype(&::lame_set_num_channels) set_num_channels = nullptr;
  decltype(&::lame_set_mode) set_mode = nullptr;
  decltype(&::lame_set_brate) set_brate = nullptr;
  decltype(&::lame_set_preset) set_preset = nullptr;
  decltype(&::lame_set_quality) set_quality = nullptr;
  decltype(&::lame_set_VBR) set_vbr = nullptr;
  decltype(&::lame_set_VBR_q) set_vbr_q = nullptr;
  decltype(&::lame_set_VBR_min_bitrate_kbps) set_vbr_min = nullptr;
  decltype(&::lame_set_VBR_max_bitrate_kbps) set_vbr_max = nullptr;
  decltype(&::lame_set_VBR_mean_bitrate_kbps) set_vbr_mean = nullptr;
  decltype(&::lame_set_original) set_original = nullptr;
  decltype(&::lame_set_copyright) set_copyright = nullptr;
  decltype(&::lame_set_error_protection) set_error_protection = nullptr;
  decltype(&::lame_set_extension) set_extension = nullptr;
  decltype(&::lame_set_strict_ISO) set_strict_iso = nullptr;
  decltype(&::lame_set_emphasis) set_emphasis = nullptr;
  decltype(&::lame_set_disable_reservoir) set_disable_reservoir = nullptr;
  decltype(&::lame_set_bWriteVbrTag) set_write_vbr_tag = nullptr;
  decltype(&::lame_get_framesize) get_framesize = nullptr;
  decltype(&::lame_encode_buffer) encode_buffer = nullptr;
  decltype(&::lame_encode_buffer_interleaved) encode_interleaved = nullptr;
  decltype(&::lame_encode_flush) encode_flush = nullptr;
  // Optional: without it there is no tag to write.
  decltype(&::lame_get_lametag_frame) get_lametag_frame = nullptr;
  // Optional: the engine version and home page.
  decltype(&::get_lame_version_numerical) version_numerical = nullptr;
  decltype(&::get_lame_url) url = nullptr;

  // True when everything a stream needs from start to end is there.
  bool CanEncode() const {
    return init && close && init_params && set_in_samplerate && set_out_samplerate &&
           set_num_channels && set_mode && set_brate && set_preset && set_quality && set_vbr &&
           set_vbr_q && set_vbr_min && set_vbr_max && set_vbr_mean && set_original &&
           set_copyright && set_error_protection && set_extension && set_strict_iso &&
           set_emphasis && set_disable_reservoir && set_write_vbr_tag && get_framesize &&
           encode_buffer && encode_interleaved && encode_flush;
  }
};

struct LameBladeEnc::Stream {
  lame_global_flags* flags = nullptr;  // null once closed
  int channels = 2;
  uint32_t chunk_samples = 0;
  uint32_t buffer_size = 0;
  std::vector<uint8_t> tag;  // the VBR/info frame, kept from close until written
};

std::unique_ptr<LameBladeEnc> LameBladeEnc::Load(const std::string& library_name,
                                                 std::string* error) {
  std::optional<DynamicLibrary> library = DynamicLibrary::Open(library_name, error);
  if (!library) return nullptr;
  auto lame = std::make_unique<Lame>();
  auto find = [&](auto& fn, const char* name) {
    fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(library->Symbol(name));
  };
  find(lame->init, "lame_init");
  find(lame->close, "lame_close");
  find(lame->init_params, "lame_init_params");
  find(lame->set_in_samplerate, "lame_set_in_samplerate");
  find(lame->set_out_samplerate, "lame_set_out_samplerate");
  find(lame->set_num_channels, "lame_set_num_channels");
  find(lame->set_mode, "lame_set_mode");
  find(lame->set_brate, "lame_set_brate");
  find(lame->set_preset, "lame_set_preset");
  find(lame->set_quality, "lame_set_quality");
  find(lame->set_vbr, "lame_set_VBR");
  find(lame->set_vbr_q, "lame_set_VBR_q");
  find(lame->set_vbr_min, "lame_set_VBR_min_bitrate_kbps");
  find(lame->set_vbr_max, "lame_set_VBR_max_bitrate_kbps");
  find(lame->set_vbr_mean, "lame_set_VBR_mean_bitrate_kbps");
  find(lame->set_original, "lame_set_original");
  find(lame->set_copyright, "lame_set_copyright");
  find(lame->set_error_protection, "lame_set_error_protection");
  find(lame->set_extension, "lame_set_extension");
  find(lame->set_strict_iso, "lame_set_strict_ISO");
  find(lame->set_emphasis, "lame_set_emphasis");
  find(lame->set_disable_reservoir, "lame_set_disable_reservoir");
  find(lame->set_write_vbr_tag, "lame_set_bWriteVbrTag");
  find(lame->get_framesize, "lame_get_framesize");
  find(lame->encode_buffer, "lame_encode_buffer");
  find(lame->encode_interleaved, "lame_encode_buffer_interleaved");
  find(lame->encode_flush, "lame_encode_flush");
  find(lame->get_lametag_frame, "lame_get_lametag_frame");
  find(lame->version_numerical, "get_lame_version_numerical");
  find(lame->url, "get_lame_url");
  return std::unique_ptr<LameBladeEnc>(new LameBladeEnc(std::move(*library), std::move(lame)));
}

LameBladeEnc::LameBladeEnc(DynamicLibrary library, std::unique_ptr<Lame> lame)
    : library_(std::move(library)), lame_(std::move(lame)) {
  table_.beVersion = [this](BE_VERSION* v) { Version(v); };
  if (lame_->CanEncode()) {
    table_.beInitStream = [this](BE_CONFIG* c, uint32_t* s, uint32_t* b, HBE_STREAM* h) {
      return InitStream(c, s, b, h);
    };
    table_.beEncodeChunk = [this](HBE_STREAM h, uint32_t n, const int16_t* p, uint8_t* o,
                                  uint32_t* w) { return EncodeChunk(h, n, p, o, w); };
    table_.beDeinitStream = [this](HBE_STREAM h, uint8_t* o, uint32_t* w) {
      return DeinitStream(h, o, w);
    };
    table_.beCloseStream = [this](HBE_STREAM h) { return CloseStream(h); };
  }
  if (lame_->get_lametag_frame != nullptr) {
    table_.beWriteVBRHeader = [this](const char* path) { return WriteVbrHeader(path); };
    table_.beWriteInfoTag = [this](HBE_STREAM h, const char* path) {
      return WriteInfoTag(h, path);
    };
  }
}

LameBladeEnc::~LameBladeEnc() {
  for (auto& stream : streams_) {
    if (stream && stream->flags != nullptr) lame_->close(stream->flags);
  }
}

LameBladeEnc::Stream* LameBladeEnc::Find(HBE_STREAM handle, bool open) {
  if (handle == 0 || handle > streams_.size()) return nullptr;
  Stream* stream = streams_[handle - 1].get();
  if (stream == nullptr || (open && stream->flags == nullptr)) return nullptr;
  return stream;
}

void LameBladeEnc::Release(HBE_STREAM handle) {
  if (Stream* stream = Find(handle, false)) {
    if (stream->flags != nullptr) lame_->close(stream->flags);
    streams_[handle - 1].reset();
  }
  if (last_closed_ == handle) last_closed_.reset();
}

BE_ERR LameBladeEnc::InitStream(BE_CONFIG* config, uint32_t* samples, uint32_t* buffer_size,
                                HBE_STREAM* handle) {
  if (config == nullptr || samples == nullptr || buffer_size == nullptr || handle == nullptr) {
    return BE_ERR_INVALID_FORMAT_PARAMETERS;
  }
  if (config->dwConfig != BE_CONFIG_LAME) return BE_ERR_INVALID_FORMAT;
  const auto& c = config->format.LHV1;
  if (c.dwStructVersion < 1 || c.dwStructSize != sizeof(BE_CONFIG)) return BE_ERR_INVALID_FORMAT;

  const uint32_t out_rate = c.dwReSampleRate != 0 ? c.dwReSampleRate : c.dwSampleRate;
  if (c.dwSampleRate == 0 || !SampleRateFits(c.dwMpegVersion, out_rate)) {
    return BE_ERR_INVALID_FORMAT_PARAMETERS;
  }
  MPEG_mode mode;
  switch (c.nMode) {
    case BE_MP3_MODE_STEREO: mode = STEREO; break;
    case BE_MP3_MODE_JSTEREO: mode = JOINT_STEREO; break;
    case BE_MP3_MODE_DUALCHANNEL: mode = STEREO; break;  // LAME has no dual channel
    case BE_MP3_MODE_MONO: mode = MONO; break;
    default: return BE_ERR_INVALID_FORMAT_PARAMETERS;
  }
  int preset = 0;  // a LAME preset, 0 for none
  int quality = -1;
  switch (c.nPreset) {
    case LQP_NOPRESET: break;
    case LQP_NORMAL_QUALITY: quality = 5; break;
    case LQP_LOW_QUALITY: quality = 9; break;
    case LQP_HIGH_QUALITY: quality = 2; break;
    case LQP_VERYHIGH_QUALITY: quality = 0; break;
    case LQP_R3MIX: preset = R3MIX; break;
    case LQP_STANDARD: preset = STANDARD; break;
    case LQP_FAST_STANDARD: preset = STANDARD_FAST; break;
    case LQP_EXTREME: preset = EXTREME; break;
    case LQP_FAST_EXTREME: preset = EXTREME_FAST; break;
    case LQP_INSANE: preset = INSANE; break;
    case LQP_MEDIUM: preset = MEDIUM; break;
    case LQP_FAST_MEDIUM: preset = MEDIUM_FAST; break;
    default: return BE_ERR_INVALID_FORMAT_PARAMETERS;
  }
  // A quality given in nQuality counts only with its complement beside it.
  if ((c.nQuality >> 8) == (~c.nQuality & 0xff)) quality = c.nQuality & 0xff;

  lame_global_flags* flags = lame_->init();
  if (flags == nullptr) return BE_ERR_NO_MORE_HANDLES;
  const int channels = mode == MONO ? 1 : 2;
  // The preset first, so that the explicit settings below refine it.
  if (preset != 0) lame_->set_preset(flags, preset);
  lame_->set_in_samplerate(flags, static_cast<int>(c.dwSampleRate));
  lame_->set_out_samplerate(flags, static_cast<int>(out_rate));
  lame_->set_num_channels(flags, channels);
  lame_->set_mode(flags, mode);
  if (quality >= 0) lame_->set_quality(flags, quality);
  if (c.bEnableVBR != 0) {
    switch (c.nVbrMethod) {
      case VBR_METHOD_NONE:
      case VBR_METHOD_CONSTANT: lame_->set_vbr(flags, vbr_off); break;
      case VBR_METHOD_OLD: lame_->set_vbr(flags, vbr_rh); break;
      case VBR_METHOD_ABR:
        lame_->set_vbr(flags, vbr_abr);
        lame_->set_vbr_mean(flags, static_cast<int>(c.dwVbrAbr_bps / 1000));
        break;
      default: lame_->set_vbr(flags, vbr_default); break;
    }
    lame_->set_vbr_q(flags, c.nVBRQuality);
    if (c.dwBitrate != 0) lame_->set_vbr_min(flags, static_cast<int>(c.dwBitrate));
    if (c.dwMaxBitrate != 0) lame_->set_vbr_max(flags, static_cast<int>(c.dwMaxBitrate));
  } else {
    lame_->set_vbr(flags, vbr_off);
    if (c.dwBitrate != 0) lame_->set_brate(flags, static_cast<int>(c.dwBitrate));
  }
  lame_->set_emphasis(flags, static_cast<int>(c.dwEmphasis));
  lame_->set_extension(flags, c.bPrivate != 0);
  lame_->set_error_protection(flags, c.bCRC != 0);
  lame_->set_copyright(flags, c.bCopyright != 0);
  lame_->set_original(flags, c.bOriginal != 0);
  lame_->set_write_vbr_tag(flags, c.bWriteVBRHeader != 0);
  lame_->set_disable_reservoir(flags, c.bNoRes != 0);
  lame_->set_strict_iso(flags, c.bStrictIso != 0);
  if (lame_->init_params(flags) < 0) {
    lame_->close(flags);
    return BE_ERR_INVALID_FORMAT_PARAMETERS;
  }

  auto stream = std::make_unique<Stream>();
  stream->flags = flags;
  stream->channels = channels;
  const uint32_t frame = static_cast<uint32_t>(lame_->get_framesize(flags));
  stream->chunk_samples = frame * static_cast<uint32_t>(channels);
  // LAME's own worst case for one call's output.
  stream->buffer_size = frame + frame / 4 + 7200;

  size_t slot = 0;
  while (slot < streams_.size() && streams_[slot] != nullptr) ++slot;
  if (slot == streams_.size()) streams_.push_back(nullptr);
  *samples = stream->chunk_samples;
  *buffer_size = stream->buffer_size;
  *handle = static_cast<HBE_STREAM>(slot + 1);
  streams_[slot] = std::move(stream);
  return BE_ERR_SUCCESSFUL;
}

BE_ERR LameBladeEnc::EncodeChunk(HBE_STREAM handle, uint32_t samples, const int16_t* pcm,
                                 uint8_t* output, uint32_t* output_bytes) {
  Stream* stream = Find(handle, true);
  if (stream == nullptr) return BE_ERR_INVALID_HANDLE;
  if (output_bytes == nullptr || output == nullptr || (samples > 0 && pcm == nullptr)) {
    return BE_ERR_INVALID_FORMAT_PARAMETERS;
  }
  // The output buffer is sized for one chunk at most.
  if (samples > stream->chunk_samples) return BE_ERR_BUFFER_TOO_SMALL;
  const int frames = static_cast<int>(samples) / stream->channels;
  const int size = static_cast<int>(stream->buffer_size);
  int written = 0;
  if (stream->channels == 1) {
    written = lame_->encode_buffer(stream->flags, pcm, pcm, frames, output, size);
  } else {
    // LAME does not write to the samples; its declaration merely lacks const.
    written = lame_->encode_interleaved(stream->flags, const_cast<int16_t*>(pcm), frames, output,
                                        size);
  }
  if (written < 0) return written == -1 ? BE_ERR_BUFFER_TOO_SMALL : BE_ERR_INVALID_FORMAT;
  *output_bytes = static_cast<uint32_t>(written);
  return BE_ERR_SUCCESSFUL;
}

BE_ERR LameBladeEnc::DeinitStream(HBE_STREAM handle, uint8_t* output, uint32_t* output_bytes) {
  Stream* stream = Find(handle, true);
  if (stream == nullptr) return BE_ERR_INVALID_HANDLE;
  if (output == nullptr || output_bytes == nullptr) return BE_ERR_INVALID_FORMAT_PARAMETERS;
  const int written =
      lame_->encode_flush(stream->flags, output, static_cast<int>(stream->buffer_size));
  if (written < 0) return written == -1 ? BE_ERR_BUFFER_TOO_SMALL : BE_ERR_INVALID_FORMAT;
  *output_bytes = static_cast<uint32_t>(written);
  return BE_ERR_SUCCESSFUL;
}

BE_ERR LameBladeEnc::CloseStream(HBE_STREAM handle) {
  Stream* stream = Find(handle, true);
  if (stream == nullptr) return BE_ERR_INVALID_HANDLE;
  if (lame_->get_lametag_frame != nullptr) {
    // The tag is taken before LAME lets go of the stream's statistics.
    const size_t needed = lame_->get_lametag_frame(stream->flags, nullptr, 0);
    if (needed > 0) {
      stream->tag.resize(needed);
      if (lame_->get_lametag_frame(stream->flags, stream->tag.data(), needed) != needed) {
        stream->tag.clear();
      }
    }
  }
  lame_->close(stream->flags);
  stream->flags = nullptr;
  if (stream->tag.empty()) {
    Release(handle);
  } else {
    last_closed_ = handle;
  }
  return BE_ERR_SUCCESSFUL;
}

void LameBladeEnc::Version(BE_VERSION* version) const {
  if (version == nullptr) return;
  std::memset(version, 0, sizeof *version);
  version->byDLLMajorVersion = kLayerMajor;
  version->byDLLMinorVersion = kLayerMinor;
  version->byDay = kLayerDay;
  version->byMonth = kLayerMonth;
  version->wYear = kLayerYear;
  if (lame_->version_numerical != nullptr) {
    lame_version_t engine{};
    lame_->version_numerical(&engine);
    version->byMajorVersion = static_cast<uint8_t>(engine.major);
    version->byMinorVersion = static_cast<uint8_t>(engine.minor);
    version->byAlphaLevel = static_cast<uint8_t>(engine.alpha);
    version->byBetaLevel = static_cast<uint8_t>(engine.beta);
  }
  const char* url = lame_->url != nullptr ? lame_->url() : nullptr;
  if (url != nullptr) {
    std::snprintf(version->zHomepage, sizeof version->zHomepage, "%s", url);
  }
}

BE_ERR LameBladeEnc::WriteInfoTag(HBE_STREAM handle, const char* path) {
  if (Find(handle, true) != nullptr) CloseStream(handle);
  Stream* stream = Find(handle, false);
  if (stream == nullptr) return BE_ERR_INVALID_HANDLE;
  BE_ERR result = BE_ERR_SUCCESSFUL;
  // LAME left an empty frame at the start of the stream for the tag.
  std::FILE* file = path != nullptr ? std::fopen(path, "r+b") : nullptr;
  if (file == nullptr) {
    result = BE_ERR_INVALID_FORMAT_PARAMETERS;
  } else {
    if (std::fwrite(stream->tag.data(), 1, stream->tag.size(), file) != stream->tag.size()) {
      result = BE_ERR_BUFFER_TOO_SMALL;
    }
    if (std::fclose(file) != 0) result = BE_ERR_BUFFER_TOO_SMALL;
  }
  Release(handle);
  return result;
}

BE_ERR LameBladeEnc::WriteVbrHeader(const char* path) {
  if (!last_closed_) return BE_ERR_INVALID_HANDLE;
  return WriteInfoTag(*last_closed_, path);
}

}  // namespace tamboro
