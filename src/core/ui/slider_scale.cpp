#include "core/ui/slider_scale.h"

#include <algorithm>
#include <cmath>

namespace glintora {
namespace {

// The thumb centre's track: [start, start + length].
struct Track {
  int start;
  int length;
};

Track TrackOf(const SliderGeometry& slider) {
  const int start = slider.margin + slider.thumbWidth / 2;
  return {start, std::max(slider.width - 2 * slider.margin - slider.thumbWidth, 0)};
}

}  // namespace

int TrackX(const SliderGeometry& slider, int position) {
  const Track track = TrackOf(slider);
  const long long span = static_cast<long long>(slider.maximum) - slider.minimum;
  if (span <= 0) return track.start;
  const long long offset = std::clamp<long long>(static_cast<long long>(position) - slider.minimum, 0, span);
  return track.start + static_cast<int>(std::llround(static_cast<double>(offset) * track.length / span));
}

int ThumbLeft(const SliderGeometry& slider, int position) { return TrackX(slider, position) - slider.thumbWidth / 2; }

int PositionAt(const SliderGeometry& slider, int x) {
  const Track track = TrackOf(slider);
  const long long span = static_cast<long long>(slider.maximum) - slider.minimum;
  if (span <= 0 || track.length <= 0) return slider.minimum;
  const double along = std::clamp(static_cast<double>(x - track.start) / track.length, 0.0, 1.0);
  return slider.minimum + static_cast<int>(std::llround(along * static_cast<double>(span)));
}

}  // namespace glintora
