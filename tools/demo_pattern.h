#pragma once
// The demo pattern: new layout, all ten drums of the synthesised kit, four
// bars and a closing crash at 120 BPM. Drum d plays kAllDrumVoices[d], named
// by KitSampleName; the secondary samples stay blank.

#include "support/ktb_builder.h"

namespace tamboro::tools {

inline constexpr uint32_t kDemoStepMs = 125;  // a sixteenth note at 120 BPM

testing::KtbBuilder DemoPattern();

}  // namespace tamboro::tools
