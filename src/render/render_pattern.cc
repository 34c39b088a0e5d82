#include "render/render_pattern.h"

#include "output/deliver.h"
#include "render/beat_placement.h"
#include "render/canvas_stage.h"
#include "render/hit_limit.h"
#include "render/mixdown.h"

namespace tamboro {

int RenderPattern(RenderJob& job, RenderEnv& env) {
  LeaveOutLateHits(job, env);
  PreparedSamples samples;
  // Without the template there is nothing to build on: no audio, no delivery.
  if (!PrepareCanvasAndSamples(job, env, samples)) return 1;
  PlaceBeats(job, env, samples);
  // A failed mix leaves no "final.wav"; delivery finds that and says so.
  MixDownAndCleanUp(job, env);

  DeliveryRequest request;
  request.program_dir = job.program_dir;
  request.output_base = job.output_base;
  request.output_format = job.output_format;
  request.stereo = job.stereo;
  request.start_time = job.start_time;
  DeliveryEnv delivery{env.runner, env.work_dir, env.screen, env.log,
                       env.clock,  env.input,    env.encoder};
  DeliverOutput(request, delivery);
  job.output_base = request.output_base;
  return 1;
}

}  // namespace tamboro
