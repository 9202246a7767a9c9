#pragma once
// Where a movie stands in the slide-show window, and how long each item stays.

#include <cstdint>
#include <string>

#include "core/base/int_rect.h"

namespace glintora {

// Height of the player's control bar under the video, when shown.
inline constexpr int kControlBarHeight = 16;

// The zoom a movie is shown at: the "Movie Zoom" text read as a decimal number ("1", "2",
// "3"), 1000 for text that reads as 0 ("Fullscreen": as large as fits), times the window's
// share of the screen width.
double MovieZoom(const std::string& movieZoom, double previewScale);

// Places a movie of width × height (plus the control bar when `withControls`) in `target`:
// shrunk to fit with its aspect kept when too large, enlarged likewise when `enlarge` and it
// is smaller both ways, then centred. An unknown size (0) gives the empty rectangle; edges
// past the int range stop at its ends.
IntRect FitMovieRect(int width, int height, const IntRect& target, bool enlarge, bool withControls);

// A movie side at a zoom, cut toward zero; a zoom that gives no finite positive size gives
// 0, one too large for an int the largest int.
int ZoomMovieSide(int side, double zoom);

// The slide timer's period for a delay in seconds: milliseconds cut toward zero.
uint32_t SlideTimerPeriod(double delaySeconds);

// The most one movie holds the show, "Movie Limit" seconds, in milliseconds within the
// timer's range; 0 (no ceiling) stays 0.
uint32_t MovieLimitPeriod(uint32_t limitSeconds);

}  // namespace glintora
