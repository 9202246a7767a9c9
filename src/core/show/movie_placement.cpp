#include "core/show/movie_placement.h"

#include <algorithm>
#include <cstdlib>

namespace glintora {

double MovieZoom(const std::string& movieZoom, double previewScale) {
  double zoom = std::strtod(movieZoom.c_str(), nullptr);
  if (zoom == 0) zoom = 1000;
  return zoom * previewScale;
}

PlacementRect FitMovieRect(int width, int height, const PlacementRect& target, bool enlarge, bool withControls) {
  if (width == 0 || height == 0) return {};
  int fullHeight = withControls ? height + kControlBarHeight : height;
  const int targetWidth = target.right - target.left;
  const int targetHeight = target.bottom - target.top;
  if (width > targetWidth || fullHeight > targetHeight ||
      (width < targetWidth && fullHeight < targetHeight && enlarge)) {
    const double s = 1.0 / std::max(static_cast<double>(width) / targetWidth,
                                    static_cast<double>(fullHeight) / targetHeight);
    width = static_cast<int>(width * s);
    fullHeight = static_cast<int>(fullHeight * s);
  }
  const int left = target.left + (targetWidth - width) / 2;
  const int top = target.top + (targetHeight - fullHeight) / 2;
  return {left, top, left + width, top + fullHeight};
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

uint32_t UnreportedMoviePeriod(int64_t lengthMs, double delaySeconds) {
  const uint64_t length = lengthMs > 0 ? static_cast<uint64_t>(lengthMs) : 0;
  return static_cast<uint32_t>(std::min<uint64_t>(length + SlideTimerPeriod(delaySeconds), 4294967295u));
}

}  // namespace glintora
