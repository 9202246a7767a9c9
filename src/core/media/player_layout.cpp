#include "core/media/player_layout.h"

#include <algorithm>

namespace glintora {

ControlBarLayout LayOutControlBar(int width, int height) {
  width = std::max(width, 0);
  const int top = height - kBarHeight;
  const int bottom = height;
  // Each piece starts where the previous ends; only the seek bar shrinks, and whatever does
  // not fit is cut at the right border.
  auto piece = [&](int left, int pieceWidth) {
    const int l = std::min(left, width);
    return IntRect{l, top, std::min(left + pieceWidth, width), bottom};
  };
  const int fixed = kPlayButtonWidth + 2 * kBarEdgeWidth + kMuteButtonWidth;
  const int seekWidth = std::max(width - fixed, 0);
  ControlBarLayout bar;
  bar.play = piece(0, kPlayButtonWidth);
  bar.leftEdge = piece(bar.play.right, kBarEdgeWidth);
  bar.seekBar = piece(kPlayButtonWidth + kBarEdgeWidth, seekWidth);
  bar.rightEdge = piece(kPlayButtonWidth + kBarEdgeWidth + seekWidth, kBarEdgeWidth);
  bar.mute = piece(kPlayButtonWidth + 2 * kBarEdgeWidth + seekWidth, kMuteButtonWidth);
  return bar;
}

IntRect VideoRect(int width, int height, bool controlsVisible) {
  width = std::max(width, 0);
  const int videoHeight = std::max(controlsVisible ? height - kBarHeight : height, 0);
  return {0, 0, width, videoHeight};
}

}  // namespace glintora
