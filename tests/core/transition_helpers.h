#pragma once
// Runs a transition on the memory device and reports what the screen showed.

#include "core/image/memory_device.h"
#include "core/transitions/engine.h"
#include "fakes.h"
#include "image_helpers.h"

namespace glintora::testing {

struct WatchedRun {
  bool finished = false;           // RunTransition's result
  int frames = 0;                  // callbacks, one per computed frame
  bool firstFrameWasOld = false;   // the screen after the first presented frame
  bool endedOnNew = false;         // the screen after the call
};

// Runs `id` with D = 0 on a screen that starts black; a scripted clock unless `options`
// names another.
inline WatchedRun RunWatched(int id, const CvxImageColor8& oldFrame, const CvxImageColor8& newFrame,
                             TransitionOptions options = {}) {
  ScriptedClock clock;
  if (options.clock == &SystemClock()) options.clock = &clock;
  CvxImageColor8 screen(oldFrame.m_width, oldFrame.m_height, true);
  MemoryDevice device(screen);
  struct Watch {
    const CvxImageColor8* screen;
    const CvxImageColor8* oldFrame;
    WatchedRun* run;
    static bool Continue(void* context) {
      auto* self = static_cast<Watch*>(context);
      // The second call comes after the first frame was presented.
      if (++self->run->frames == 2) self->run->firstFrameWasOld = SamePixels(*self->screen, *self->oldFrame);
      return true;
    }
  };
  WatchedRun run;
  Watch watch{&screen, &oldFrame, &run};
  run.finished = RunTransition(device, {0, 0, oldFrame.m_width, oldFrame.m_height}, oldFrame, newFrame, id, 0.0f,
                               &Watch::Continue, &watch, options);
  run.endedOnNew = SamePixels(screen, newFrame);
  return run;
}

}  // namespace glintora::testing
