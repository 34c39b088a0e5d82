#include "pcm_file.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace tamboro::tools {

namespace {

struct SndfileCloser {
  void operator()(SNDFILE* file) const { sf_close(file); }
};

}  // namespace

bool WritePcm16(const std::string& path, PcmFileType type, std::span<const float> samples,
                int sample_rate, std::string* error) {
  SF_INFO info{};
  info.samplerate = sample_rate;
  info.channels = 1;
  info.format = (type == PcmFileType::kWav ? SF_FORMAT_WAV : SF_FORMAT_AIFF) | SF_FORMAT_PCM_16;
  std::unique_ptr<SNDFILE, SndfileCloser> file(sf_open(path.c_str(), SFM_WRITE, &info));
  if (!file) {
    *error = path + ": cannot write: " + sf_strerror(nullptr);
    return false;
  }
  // Rounded here rather than by libsndfile, so the result does not depend on
  // its float-to-int scaling options.
  std::vector<short> pcm(samples.size());
  std::transform(samples.begin(), samples.end(), pcm.begin(), [](float x) {
    return static_cast<short>(std::lround(std::clamp(x, -1.0f, 1.0f) * 32767.0f));
  });
  if (sf_write_short(file.get(), pcm.data(), static_cast<sf_count_t>(pcm.size())) !=
      static_cast<sf_count_t>(pcm.size())) {
    *error = path + ": write failed: " + sf_strerror(file.get());
    return false;
  }
  if (sf_close(file.release()) != 0) {
    *error = path + ": cannot finish the file";
    return false;
  }
  return true;
}

}  // namespace tamboro::tools
