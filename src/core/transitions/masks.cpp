#include "core/transitions/masks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "core/base/random.h"
#include "core/transitions/mask_bitmaps.h"

namespace glintora {
namespace {

// π to eleven decimals and 5π to ten, as the sweep recipes have always used them: levels
// that fall on a half (a quarter turn gives 63.75 + 0.5) round by their last digits.
constexpr double kPi = 3.14159265358;
constexpr double kFivePi = 15.7079632679;
constexpr double kLevelsPerRadian = 81.16902097711966;  // 255 / π
// The plain speckle scales a random value (0 to 32767) to a level: 255 / 32767, to eight
// decimals.
constexpr double kSpeckleScale = 0.00778222;
// The first identifier of each recipe with variants numbered from it.
constexpr int kFirstBarsId = 55;
constexpr int kFirstCircleId = 75;

using Mask = CvxImageGray8;

uint8_t Level(double v) { return static_cast<uint8_t>(std::clamp(v, 0.0, 255.0)); }

// Bars: alternate bars of B = max(10, H / 40) rows (or columns) sweep at different times.
std::unique_ptr<CvxImage> Bars(int id, int width, int height) {
  auto mask = NewImage<CvxGray8>(width, height, false);
  if (!mask) return nullptr;
  const int bar = std::max(10, height / 40);
  const bool horizontal = id <= 59;
  const int kind = (id - kFirstBarsId) % 5;  // 0 from one side, 1 the other, 2/3 one then the other, 4 both
  const auto value = [kind](int v, bool first) -> uint8_t {
    switch (kind) {
      case 0: return static_cast<uint8_t>(first ? v : v + 127);
      case 1: return static_cast<uint8_t>(first ? 127 - v : 255 - v);
      case 2: return static_cast<uint8_t>(first ? v : 255 - v);
      case 3: return static_cast<uint8_t>(first ? 127 - v : v + 127);
      default: return static_cast<uint8_t>(first ? 2 * v : 255 - 2 * v);
    }
  };
  bool first = true;
  if (horizontal) {
    std::vector<int> ramp(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) ramp[static_cast<size_t>(x)] = static_cast<int>(static_cast<double>(x) / width * 127);
    for (int y = 0; y < height; ++y) {
      CvxGray8* row = mask->Row(y);
      for (int x = 0; x < width; ++x) row[x].c[0] = value(ramp[static_cast<size_t>(x)], first);
      if (y > 0 && y % bar == 0) first = !first;
    }
  } else {
    for (int x = 0; x < width; ++x) {
      for (int y = 0; y < height; ++y) {
        mask->At(x, y).c[0] = value(static_cast<int>(static_cast<double>(y) / height * 127), first);
      }
      if (x > 0 && x % bar == 0) first = !first;
    }
  }
  return mask;
}

std::unique_ptr<CvxImage> Diagonal(int id, int width, int height) {
  auto mask = NewImage<CvxGray8>(width, height, false);
  if (!mask) return nullptr;
  const double span = std::max(width + height - 2, 1);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) mask->At(x, y).c[0] = Level(std::trunc((x + y) / span * 255 + 0.5));
  }
  switch (id) {
    case 66: return mask->Orient(kHalfTurn);
    case 67: return mask->Orient(kTurnCounterClockwise);
    case 68: return mask->Orient(kTurnClockwise);
    default: return mask;
  }
}

std::unique_ptr<CvxImage> Speckle(int id, int width, int height) {
  auto mask = NewImage<CvxGray8>(width, height, false);
  if (!mask) return nullptr;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int m;
      if (id == 69) {
        m = static_cast<int>(NextRandom() * kSpeckleScale);
      } else {
        double ramp;
        switch (id) {
          case 70: ramp = static_cast<double>(x) / width * 255; break;
          case 71: ramp = 255 - static_cast<double>(x) / width * 255; break;
          case 72: ramp = static_cast<double>(y) / height * 255; break;
          default: ramp = 255 - static_cast<double>(y) / height * 255; break;
        }
        m = std::clamp(static_cast<int>(ramp) + NextRandom() % 10 - 5, 0, 255);
      }
      mask->At(x, y).c[0] = static_cast<uint8_t>(m);
    }
  }
  return mask;
}

std::unique_ptr<CvxImage> RandomBlocks(int width, int height) {
  std::array<uint8_t, 256> order{};
  for (int i = 0; i < 256; ++i) order[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
  for (int pass = 0; pass < 2; ++pass) {
    for (size_t i = 0; i < 256; ++i) std::swap(order[i], order[static_cast<size_t>(NextRandom() % 256)]);
  }
  auto blocks = NewImage<CvxGray8>(160, 160, false);
  if (!blocks) return nullptr;
  for (int y = 0; y < 160; ++y) {
    for (int x = 0; x < 160; ++x) blocks->At(x, y).c[0] = order[static_cast<size_t>((y / 10) * 16 + x / 10)];
  }
  return blocks->Resize(width, height, kNearest);
}

std::unique_ptr<CvxImage> Circle(int id, int width, int height) {
  auto mask = NewImage<CvxGray8>(width, height, false);
  if (!mask) return nullptr;
  int cx = 0, cy = 0;
  double radius = std::sqrt(static_cast<double>(height) * height + static_cast<double>(width) * width);
  switch ((id - kFirstCircleId) / 2) {
    case 0:
      cx = width / 2;
      cy = height / 2;
      radius = std::sqrt(static_cast<double>(height * height / 4 + width * width / 4));
      break;
    case 1: break;
    case 2: cx = width; break;
    case 3: cx = width; cy = height; break;
    default: cy = height; break;
  }
  radius = std::max(radius, 1.0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double distance = std::sqrt(static_cast<double>(cy - y) * (cy - y) + static_cast<double>(cx - x) * (cx - x));
      mask->At(x, y).c[0] = Level(std::trunc(distance / radius * 255 + 0.5));
    }
  }
  if (id % 2 == 1) mask->Invert();  // "In": closes towards the centre point
  return mask;
}

// The hand of a clock (k = 0) or the k blades of a propeller sweeping clockwise.
std::unique_ptr<CvxImage> Sweep(int width, int height, int blades) {
  auto mask = NewImage<CvxGray8>(width, height, false);
  if (!mask) return nullptr;
  const int halfWidth = width / 2;
  const int halfHeight = height / 2;
  const double h = blades * 0.5;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double theta = std::atan2(static_cast<double>(halfWidth - x), static_cast<double>(y - halfHeight));
      double v;
      if (blades == 0) {
        v = (theta + kPi) * 0.5 * kLevelsPerRadian + 0.5;
      } else {
        v = std::fmod(theta + (1 / h) * kFivePi, (1 / h) * kPi) * h * kLevelsPerRadian + 0.5;
      }
      mask->At(x, y).c[0] = Level(std::trunc(v));
    }
  }
  return mask;
}

// Soft clouds: 400 random paraboloids summed on a 256 × 256 grid.
std::unique_ptr<CvxImage> Dissolve() {
  std::vector<float> cells(256 * 256, 0.0f);
  float highest = 0.0f;
  for (int n = 0; n < 400; ++n) {
    const float r = RandomBetween(0, 40);
    const float a = RandomBetween(-r, 256 + r);
    const float b = RandomBetween(-r, 256 + r);
    const int iFrom = std::max(static_cast<int>(a - r - 1), 0);
    const int iTo = std::min(static_cast<int>(a + r + 1), 255);
    const int jFrom = std::max(static_cast<int>(b - r - 1), 0);
    const int jTo = std::min(static_cast<int>(b + r + 1), 255);
    for (int i = iFrom; i <= iTo; ++i) {
      for (int j = jFrom; j <= jTo; ++j) {
        const float d = r * r - ((b - j) * (b - j) + (a - i) * (a - i));
        if (d <= 0) continue;
        float& cell = cells[static_cast<size_t>(i) * 256 + static_cast<size_t>(j)];
        cell += d;
        highest = std::max(highest, cell);
      }
    }
  }
  auto mask = NewImage<CvxGray8>(256, 256, false);
  if (!mask) return nullptr;
  for (int i = 0; i < 256; ++i) {
    for (int j = 0; j < 256; ++j) {
      const float cell = cells[static_cast<size_t>(i) * 256 + static_cast<size_t>(j)];
      mask->At(j, i).c[0] = highest > 0 ? Level(std::trunc(cell / highest * 255)) : 0;
    }
  }
  return mask;
}

}  // namespace

std::unique_ptr<CvxImage> GeneratedMaskBitmap(int bitmapId) {
  if (bitmapId != kDiamondBitmapId && bitmapId != kTwirlBitmapId) return nullptr;
  const MaskPicture picture = bitmapId == kDiamondBitmapId ? DrawDiamondMaskPicture() : DrawTwirlMaskPicture();
  auto image = NewImage<CvxGray8>(kMaskBitmapSize, kMaskBitmapSize, false);
  if (!image) return nullptr;
  for (int y = 0; y < kMaskBitmapSize; ++y) {
    for (int x = 0; x < kMaskBitmapSize; ++x) image->At(x, y).c[0] = picture[static_cast<size_t>(y * kMaskBitmapSize + x)];
  }
  return image;
}

std::unique_ptr<CvxImage> BuildTransitionMask(int id, int width, int height, MaskBitmapSource bitmaps) {
  if (id >= 55 && id <= 64) return Bars(id, width, height);
  if (id >= 65 && id <= 68) return Diagonal(id, width, height);
  if (id >= 69 && id <= 73) return Speckle(id, width, height);
  if (id == 74) return RandomBlocks(width, height);
  if (id >= 75 && id <= 84) return Circle(id, width, height);
  if (id == 85 || id == 86 || id == 90) {
    std::unique_ptr<CvxImage> mask = bitmaps ? bitmaps(id == 90 ? kTwirlBitmapId : kDiamondBitmapId) : nullptr;
    if (!mask || !ConvertImage(mask, Gray8) || !mask) return nullptr;
    if (id == 85) mask->Invert();
    return mask;
  }
  if (id == 87) return Sweep(width, height, 0);
  if (id == 88) return Sweep(width, height, NextRandom() % 8 + 3);
  if (id == 89) return Dissolve();
  return nullptr;
}

}  // namespace glintora
