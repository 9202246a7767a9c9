#include "core/show/movie_placement.h"

#include <algorithm>
#include <cstdlib>

#include "core/base/saturating.h"

namespace glintora {

double MovieZoom(const std::string& movieZoom, double previewScale) {
  double zoom = std::strtod(movieZoom.c_str(), nullptr);
  if (zoom == 0) zoom = 1000;
  return zoom * previewScale;
}

IntRect FitMovieRect(int width, int height, const IntRect& target, bool enlarge, bool withControls) {
  if (width == 0 || height == 0) return {};
  // In 64 bits: the bar under the largest heights, the extent of the widest targets and the
  // centred edges can all pass the int range; only the final edges are brought back into it.
  int64_t fitWidth = width;
  int64_t fullHeight = withControls ? int64_t{height} + kControlBarHeight : height;
  const int64_t targetWidth = int64_t{target.right} - target.left;
  const int64_t targetHeight = int64_t{target.bottom} - target.top;
  if (fitWidth > targetWidth || fullHeight > targetHeight ||
      (fitWidth < targetWidth && fullHeight < targetHeight && enlarge)) {
    const double widthShare = static_cast<double>(fitWidth) / static_cast<double>(targetWidth);
    const double heightShare = static_cast<double>(fullHeight) / static_cast<double>(targetHeight);
    // The side with the larger share spans the target exactly, and the other keeps the aspect,
    // cut toward zero. Both come from the sides themselves: scaling by the reciprocal of a
    // share lands a hair below many a whole number, and the cut then loses a pixel.
    if (widthShare >= heightShare) {
      fullHeight = CutToInt64(static_cast<double>(fullHeight) * static_cast<double>(targetWidth) /
                              static_cast<double>(fitWidth));
      fitWidth = targetWidth;
    } else {
      fitWidth = CutToInt64(static_cast<double>(fitWidth) * static_cast<double>(targetHeight) /
                            static_cast<double>(fullHeight));
      fullHeight = targetHeight;
    }
  }
  const int64_t left = target.left + SubSaturated(targetWidth, fitWidth) / 2;
  const int64_t top = target.top + SubSaturated(targetHeight, fullHeight) / 2;
  return {ClampToInt(left), ClampToInt(top), ClampToInt(AddSaturated(left, fitWidth)),
          ClampToInt(AddSaturated(top, fullHeight))};
}

int ZoomMovieSide(int side, double zoom) {
  const double zoomed = side * zoom;
  if (!(zoomed > 0)) return 0;  // NaN too
  if (zoomed >= 2147483647.0) return 2147483647;
  return static_cast<int>(zoomed);
}

uint32_t SlideTimerPeriod(double delaySeconds) {
  const double ms = delaySeconds * 1000;
  // Out-of-range delays are clamped rather than converted with undefined behaviour.
  if (!(ms > 0)) return 0;
  if (ms >= 4294967295.0) return 4294967295u;
  return static_cast<uint32_t>(ms);
}

uint32_t MovieLimitPeriod(uint32_t limitSeconds) {
  return static_cast<uint32_t>(std::min<uint64_t>(uint64_t{limitSeconds} * 1000, 4294967295u));
}

}  // namespace glintora
