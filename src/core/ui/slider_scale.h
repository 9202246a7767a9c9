#pragma once
// How a bitmap slider maps its range onto its channel: the thumb's left edge for a position,
// and the position under a point. The thumb's centre travels between the margins, from
// `margin` + half the thumb to width − `margin` − half the thumb.

namespace glintora {

struct SliderGeometry {
  int minimum = 0;
  int maximum = 100;
  int width = 0;  // the channel's width in pixels
  int thumbWidth = 0;
  int margin = 0;  // at each end, beyond which the thumb's centre never goes
};

// The thumb's left edge for `position` (kept within the range); an empty range puts it at
// the start.
int ThumbLeft(const SliderGeometry& slider, int position);
// The position whose thumb centre is nearest to `x`, kept within the range.
int PositionAt(const SliderGeometry& slider, int x);
// The x of `position` on the thumb centre's track (for marks).
int TrackX(const SliderGeometry& slider, int position);

}  // namespace glintora
