#pragma once
// The movie player's arithmetic: seek-bar units against media time, the selection in frames
// against media time, frame positions and rates. Media time is in 100-ns units, always 64 bits
// (a 32-bit count runs out after 214.7 s). Every division by a duration or a frame count is
// guarded: a movie under a second, or of unknown length, gives 0 rather than a fault.

#include <cstdint>

namespace glintora {

// The seek bar runs from 0 to this.
inline constexpr int kSeekBarRange = 10000;
// 100-ns units in a second.
inline constexpr int64_t kMediaTimePerSecond = 10'000'000;

// The media time a seek-bar position stands for: position × duration ÷ 10000, whole units.
int64_t SeekTargetFor(int barPosition, int64_t duration);
// The seek-bar position of a media time: time × 10000 ÷ duration, kept within the bar.
int SeekBarPositionFor(int64_t time, int64_t duration);

// The media times of a frame range: each end is duration × (frame ÷ frame count) cut toward
// zero. Without a frame count the whole movie.
struct MediaSpan {
  int64_t start = 0;
  int64_t stop = 0;
  bool operator==(const MediaSpan&) const = default;
};
MediaSpan SelectionSpan(int64_t duration, int64_t frameCount, int64_t first, int64_t last);

// A frame range as the player keeps it: the two ends in order, both inside the movie when its
// frame count is known, and at least one frame long.
struct FrameRange {
  int first = 0;
  int last = 0;
  bool operator==(const FrameRange&) const = default;
};
FrameRange NormaliseSelection(int first, int last, int64_t frameCount);

// The frame a stopped or paused movie stands at: frame count × time ÷ duration, rounded.
int64_t FrameAtTime(int64_t time, int64_t duration, int64_t frameCount);

// Samples [start, start + length) of a stream in an AVI file, whose sample numbers are 32-bit.
struct StreamSamples {
  int32_t start = 0;
  int32_t length = 0;
  bool operator==(const StreamSamples&) const = default;
};

// The samples a saved selection copies: from the key frame `keyBefore` (at or before its first
// frame; before the stream, or none, means the stream's start) to `keyAfter` (at or after its
// last frame; none, below 0, or past the stream means the stream's end), within the stream of
// `streamLength` samples from `streamStart`. Every number comes from the file, so the sums are
// formed in 64 bits, and the result starts at 0 or later and ends by INT32_MAX, so that a
// sample number inside it plus a count still inside it cannot overflow. Empty when nothing is
// left.
StreamSamples KeyFrameSamples(int32_t streamStart, int32_t streamLength, int32_t keyBefore, int32_t keyAfter);

// Whether a read of `count` samples into a buffer of `bufferBytes` answered within what was
// asked: at least one sample, no more than `count`, and no more bytes than the buffer holds.
// The reader's answers come from the file, so neither a buffer's size nor a position is taken
// from one that fails this.
bool ReadWithinRequest(int32_t count, int32_t bufferBytes, int32_t samples, int32_t bytes);

// Frames per second from a frame count and a duration in media time; 0 when the duration is
// unknown or zero.
double FrameRateOverDuration(int64_t frameCount, int64_t duration);
// Frames per second from a frame count and a length in milliseconds; 0 likewise.
double FrameRateOverMilliseconds(int64_t frameCount, int64_t milliseconds);

// Tells a movie whose engine stopped moving without saying so (a graph that never reports its
// completion, a window past its last real frame): fed the engine's position now and then with
// the clock, it answers true once the position has stood still for `stallMs`. A restart
// (after a pause, a seek, a new movie) begins the wait again.
class ProgressWatch {
 public:
  explicit ProgressWatch(int64_t stallMs) : m_stallMs(stallMs) {}
  void Restart(int64_t nowMs);
  bool Stalled(int64_t position, int64_t nowMs);

 private:
  int64_t m_stallMs;
  bool m_known = false;  // a position has been seen since the restart
  int64_t m_position = 0;
  int64_t m_sinceMs = 0;  // when the position last changed (or the restart)
};

}  // namespace glintora
