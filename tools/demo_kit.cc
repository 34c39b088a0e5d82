#include "demo_kit.h"

#include <filesystem>
#include <system_error>

#include "pcm_file.h"

namespace tamboro::tools {

std::string KitSampleName(DrumVoice voice) {
  return "Samples\\" + std::string(DrumVoiceName(voice)) + ".wav";
}

bool WriteKitSamples(const std::string& program_dir, std::string* error) {
  const std::filesystem::path folder = std::filesystem::path(program_dir) / "Samples";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    *error = folder.string() + ": cannot make the folder: " + ec.message();
    return false;
  }
  for (DrumVoice voice : kAllDrumVoices) {
    const std::string path = (folder / (std::string(DrumVoiceName(voice)) + ".wav")).string();
    if (!WritePcm16(path, PcmFileType::kWav, SynthesizeDrum(voice), kSynthRate, error))
      return false;
  }
  return true;
}

}  // namespace tamboro::tools
