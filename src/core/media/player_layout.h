#pragma once
// Where the player's pieces stand in its client area: the video, and the control bar along
// the bottom (play button, left edge, seek bar, right edge, mute button).

#include "core/base/int_rect.h"

namespace glintora {

// Widths of the bar's fixed pieces; the seek bar takes what is left.
inline constexpr int kBarHeight = 16;
inline constexpr int kPlayButtonWidth = 17;
inline constexpr int kBarEdgeWidth = 7;
inline constexpr int kMuteButtonWidth = 17;

struct ControlBarLayout {
  IntRect play, leftEdge, seekBar, rightEdge, mute;
};

// The bar of a client area `width` × `height`, 16 pixels high at its bottom: play 0..17, left
// edge 17..24, seek bar 24..w-24, right edge w-24..w-17, mute w-17..w. In an area narrower
// than the fixed pieces (48) the seek bar is empty and the pieces after it are cut at the
// right border, so none overlaps another or leaves the area.
ControlBarLayout LayOutControlBar(int width, int height);

// The video's rectangle: the client area above the bar when it is shown, else all of it.
IntRect VideoRect(int width, int height, bool controlsVisible);

}  // namespace glintora
