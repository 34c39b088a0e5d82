#pragma once
// The MP3 step of delivery through LAME: loads the encoder layer once, on
// first use, and keeps it loaded for the encoder's lifetime.

#include <memory>
#include <string>

#include "output/encode_mp3.h"
#include "output/lame_bladeenc.h"
#include "output/mp3_encoder.h"

namespace tamboro {

class WorkDir;

class LameMp3Encoder : public Mp3Encoder {
 public:
  explicit LameMp3Encoder(WorkDir& work_dir, std::string library_name = kLameLibrary,
                          Mp3Messages messages = {});
  ~LameMp3Encoder() override;

  // Removes a partly written output file when encoding fails.
  Mp3Result Encode(const std::string& wav_path, const std::string& output_base,
                   uint8_t stereo) override;

 private:
  WorkDir& work_dir_;
  std::string library_name_;
  Mp3Messages messages_;
  bool load_tried_ = false;
  std::string load_error_;
  std::unique_ptr<LameBladeEnc> layer_;
};

}  // namespace tamboro
