#pragma once
// Frame pacing of every transition: progress p runs from 0 to 1 in steps that adapt after
// each frame so the animation ends close to the requested duration D, whatever the frame
// rate. With D = 0, or a D that is not a finite number, the step stays 1/30.

#include "core/base/stopwatch.h"

namespace glintora {

class FramePacer {
 public:
  // `seconds` is the requested duration; the blend stops before rendering p = 1 itself.
  FramePacer(float seconds, const Clock& clock, bool stopOnReachingOne);

  // Restarts the stopwatch (Reset, Init, Reset, Start) right before the first frame.
  void Start();
  // The time since Start counts against the duration, if there is one, and timing starts
  // again (the OpenGL family's texture uploads). When that leaves no time, one frame is
  // rendered and the animation ends.
  void DeductElapsed();
  float Progress() const { return m_progress; }
  // After a frame is on the screen: counts it and moves p on. False when the animation is
  // over (time is up, or p has reached its end).
  bool Advance();
  int Frames() const { return static_cast<int>(m_frames); }

 private:
  float m_duration;  // milliseconds
  float m_progress = 0.0f;
  float m_step = 1.0f / 30.0f;
  float m_frames = 0.0f;
  bool m_stopOnReachingOne;
  bool m_timeIsUp = false;  // the preparation took the whole duration
  Stopwatch m_watch;
};

}  // namespace glintora
