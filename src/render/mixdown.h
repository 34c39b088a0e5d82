#pragma once
// The third stage of a render: every track to WAV (panned, or at .7 in
// mono), the drums with hits mixed into "final.wav" (optionally with
// reverb), and the scratch files of the earlier stages removed.

namespace tamboro {

struct RenderJob;
struct RenderEnv;

// False when the mix could not be made (a message says why); delivery then
// finds no "final.wav" and reports the failure.
bool MixDownAndCleanUp(const RenderJob& job, RenderEnv& env);

}  // namespace tamboro
