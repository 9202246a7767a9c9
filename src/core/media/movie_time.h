#pragma once
// Time in the movie window: the movie's own units (600 a second, the scale its callers
// count durations, selections and frame times in) against the reader's 100-ns media time,
// the selection in frames against movie time, and the play position that the window paces
// its frames and tells the end by. The position comes from a clock the caller reads, so it
// runs the same with a scripted clock.

#include <cstdint>

namespace glintora {

// Movie time units in a second.
inline constexpr int64_t kMovieTimeScale = 600;

// 100-ns media time to movie units, cut toward zero, and back; exact, except that a media
// time past the 64-bit range stops at its nearer end.
int64_t MovieUnits(int64_t mediaTime);
int64_t MediaTimeOfUnits(int64_t movieUnits);

// The selection of frames [first, last) of a movie of `duration` units and `frameCount`
// frames: begin = duration × first ÷ count + 0.5 and end likewise, each cut toward zero, the
// length being end − begin. The whole movie when the count is not positive. Ends and lengths
// past the 64-bit range stop at its nearer end.
struct MovieSpan {
  int64_t begin = 0;
  int64_t length = 0;
  bool operator==(const MovieSpan&) const = default;
};
MovieSpan MovieSelection(int64_t duration, int64_t frameCount, int64_t first, int64_t last);

// The frame of a movie time: frame count ÷ duration × time + 0.5, cut (at the ends of the
// 64-bit range when past them); 0 without a duration.
int64_t FrameAtMovieTime(int64_t time, int64_t duration, int64_t frameCount);
// Frames a second with 600 units a second; 0 without a duration.
double MovieFrameRate(int64_t frameCount, int64_t duration);

// The play position of a movie between `begin` and `end` (movie units), read against a
// millisecond clock: it runs from `begin` while started, holds while stopped, and at `end`
// either stays there (done) or, looping, starts again from `begin`.
class PlayPosition {
 public:
  void SetSpan(int64_t begin, int64_t end);
  void SetLooping(bool looping) { m_looping = looping; }
  bool Looping() const { return m_looping; }
  // Starts (or resumes) at clock time `nowMs`.
  void Start(int64_t nowMs);
  // Holds the position reached at `nowMs`.
  void Stop(int64_t nowMs);
  // Back to the beginning of the span, keeping the running state.
  void Rewind(int64_t nowMs);
  bool Running() const { return m_running; }
  // The position at `nowMs`, in movie units.
  int64_t At(int64_t nowMs) const;
  // True once a position that does not loop has reached the end.
  bool Done(int64_t nowMs) const;
  int64_t Begin() const { return m_begin; }
  int64_t End() const { return m_end; }

 private:
  // Movie units played since the span's beginning, unwrapped.
  int64_t Played(int64_t nowMs) const;

  int64_t m_begin = 0;
  int64_t m_end = 0;
  bool m_looping = false;
  bool m_running = false;
  int64_t m_startMs = 0;   // clock time the running stretch began
  int64_t m_heldUnits = 0;  // units played before it
};

// A movie ends by its frames, not by the duration its file claims: once the reader has no
// more frames, the last one stays as long as the gap before it (a lone frame: the most),
// never longer than kLastFrameHoldMax. Media time (100 ns); `previous` below 0 when the last
// frame was the only one.
inline constexpr int64_t kLastFrameHoldMax = 20'000'000;  // two seconds
int64_t LastFrameHold(int64_t last, int64_t previous);
// A reader that has not given the next frame for this much of play past the last one (a
// decoder that never comes back) has ended its movie. Media time.
inline constexpr int64_t kFrameStallMax = 40'000'000;  // four seconds

// Whether a button release at (x, y) and `timeMs` completes a double click begun by one at
// (firstX, firstY) and `firstTimeMs`: within the system's double-click rectangle (`width` ×
// `height`, centred on the first click) and its double-click time.
bool IsSecondClick(int firstX, int firstY, int64_t firstTimeMs, int x, int y, int64_t timeMs, int width, int height,
                   int64_t doubleClickMs);

}  // namespace glintora
