#include "core/transitions/mask_bitmaps.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace glintora {

MaskPicture DrawDiamondMaskPicture() {
  MaskPicture picture{};
  for (int y = 0; y < kMaskBitmapSize; ++y) {
    for (int x = 0; x < kMaskBitmapSize; ++x) {
      const double d = std::abs(x - 50) + std::abs(y - 50);
      const double grey = 3 + 1.78 * d + 0.0152 * d * d;
      picture[static_cast<size_t>(y * kMaskBitmapSize + x)] = static_cast<uint8_t>(std::clamp(std::lround(grey), 0L, 255L));
    }
  }
  return picture;
}

MaskPicture DrawTwirlMaskPicture() {
  MaskPicture picture{};
  for (int y = 0; y < kMaskBitmapSize; ++y) {
    for (int x = 0; x < kMaskBitmapSize; ++x) {
      const double dx = x - 49.5;
      const double dy = 49.5 - y;  // counter-clockwise angles with y up
      const double turn = (std::atan2(dy, dx) + std::numbers::pi) / (2 * std::numbers::pi);  // 0 to 1
      const double radius = std::hypot(dx, dy);
      double phase = 3 * turn + radius / 35.0;
      phase -= std::floor(phase);
      picture[static_cast<size_t>(y * kMaskBitmapSize + x)] = static_cast<uint8_t>(46 + std::lround(209 * phase));
    }
  }
  return picture;
}

}  // namespace glintora
