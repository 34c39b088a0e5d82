#include "output/lame_mp3_encoder.h"

#include <cstdio>

#include "audio/work_dir.h"
#include "output/lame_bladeenc.h"

namespace tamboro {

LameMp3Encoder::LameMp3Encoder(WorkDir& work_dir, std::string library_name, Mp3Messages messages)
    : work_dir_(work_dir), library_name_(std::move(library_name)), messages_(messages) {}

LameMp3Encoder::~LameMp3Encoder() = default;

Mp3Result LameMp3Encoder::Encode(const std::string& wav_path, const std::string& output_base,
                                 uint8_t stereo) {
  LoadBladeEnc load = [this](std::string* error) -> const BladeEncTable* {
    if (!load_tried_) {
      load_tried_ = true;
      layer_ = LameBladeEnc::Load(library_name_, &load_error_);
    }
    if (layer_ == nullptr) {
      *error = load_error_;
      return nullptr;
    }
    return &layer_->table();
  };
  Mp3Failure failure;
  Mp3Result result;
  result.code = EncodeMp3(load, work_dir_, wav_path, output_base, stereo, messages_, &failure);
  if (result.code != 0) {
    result.reason = failure.reason;
    // A half-written MP3 would pass for the song; better none at all.
    if (failure.output_created) std::remove((output_base + ".mp3").c_str());
  }
  std::fflush(messages_.out);
  std::fflush(messages_.err);
  return result;
}

}  // namespace tamboro
