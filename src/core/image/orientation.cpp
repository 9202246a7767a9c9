#include "core/image/orientation.h"

#include <array>

namespace glintora {
namespace {

// What stands a picture of each code upright, as up to two of Orient's steps, in order.
// The tag names the scene's sides that the stored first row and first column show:
//   1 top, left      nothing
//   2 top, right     mirror left to right
//   3 bottom, right  half turn
//   4 bottom, left   mirror top to bottom
//   5 left, top      the transpose: turn clockwise, then mirror left to right
//   6 right, top     turn clockwise
//   7 right, bottom  the other diagonal: turn clockwise, then mirror top to bottom
//   8 left, bottom   turn counter-clockwise
constexpr int kNoStep = 0;
constexpr std::array<std::array<int, 2>, kOrientationLast + 1> kSteps = {{
    {kNoStep, kNoStep},
    {kNoStep, kNoStep},
    {kMirrorLeftRight, kNoStep},
    {kHalfTurn, kNoStep},
    {kMirrorTopBottom, kNoStep},
    {kTurnClockwise, kMirrorLeftRight},
    {kTurnClockwise, kNoStep},
    {kTurnClockwise, kMirrorTopBottom},
    {kTurnCounterClockwise, kNoStep},
}};

}  // namespace

std::unique_ptr<CvxImage> StandUpright(std::unique_ptr<CvxImage> picture, int orientation) {
  if (!picture || !IsOrientationCode(orientation)) return picture;
  std::unique_ptr<CvxImage> result;
  for (const int step : kSteps[static_cast<size_t>(orientation)]) {
    if (step == kNoStep) break;
    std::unique_ptr<CvxImage> next = (result ? *result : *picture).Orient(step);
    // Without memory for the copy the picture is shown as it was stored, rather than not at all.
    if (!next) return picture;
    result = std::move(next);
  }
  return result ? std::move(result) : std::move(picture);
}

}  // namespace glintora
