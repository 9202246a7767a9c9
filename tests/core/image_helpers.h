#pragma once
// Helpers for image tests: seeded pixel patterns and pixel-exact comparison.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/image/image.h"

namespace glintora::testing {

// Fills every channel with a value from a small seeded generator.
template <typename P>
void FillPattern(CvxImageT<P>& image, uint32_t seed) {
  for (int y = 0; y < image.m_height; ++y) {
    for (int x = 0; x < image.m_width; ++x) {
      for (auto& channel : image.At(x, y).c) {
        seed = seed * 1664525u + 1013904223u;
        channel = static_cast<typename PixelTraits<P>::Channel>(seed >> 16);
      }
    }
  }
}

template <typename P>
std::unique_ptr<CvxImageT<P>> Pattern(int width, int height, uint32_t seed) {
  auto image = NewImage<P>(width, height, true);
  FillPattern(*image, seed);
  return image;
}

// True when both images have the same type, size and pixels (padding ignored).
inline ::testing::AssertionResult SamePixels(const CvxImage& a, const CvxImage& b) {
  if (a.GetType() != b.GetType() || a.m_width != b.m_width || a.m_height != b.m_height) {
    return ::testing::AssertionFailure() << "type/size " << a.GetType() << " " << a.m_width << "x" << a.m_height
                                         << " vs " << b.GetType() << " " << b.m_width << "x" << b.m_height;
  }
  const size_t rowBytes = static_cast<size_t>(a.m_width) * a.GetChannels() * a.GetBytesPerChannel();
  for (int y = 0; y < a.m_height; ++y) {
    if (std::memcmp(a.GetRows()[y], b.GetRows()[y], rowBytes) != 0) {
      return ::testing::AssertionFailure() << "row " << y << " differs";
    }
  }
  return ::testing::AssertionSuccess();
}

// Smooth ramps, red across and green down, with one blue level: resampling changes them
// little, while a mirrored or upside-down copy differs everywhere.
inline std::unique_ptr<CvxImageColor8> Ramps(int width, int height, uint8_t blue) {
  auto image = NewImage<CvxColor8>(width, height, false);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image->At(x, y) = CvxColor8(blue, static_cast<uint8_t>(40 + 160 * y / std::max(height - 1, 1)),
                                  static_cast<uint8_t>(40 + 160 * x / std::max(width - 1, 1)));
    }
  }
  return image;
}

// The largest channel difference between `expected` and its place at (x, y) on `screen`,
// leaving out `margin` pixels along its edges.
inline int LargestDifference(const CvxImageColor8& screen, int x, int y, const CvxImageColor8& expected, int margin) {
  int largest = 0;
  for (int j = margin; j < expected.m_height - margin; ++j) {
    for (int i = margin; i < expected.m_width - margin; ++i) {
      for (int c = 0; c < 3; ++c) {
        largest = std::max(largest, std::abs(screen.At(x + i, y + j).c[c] - expected.At(i, j).c[c]));
      }
    }
  }
  return largest;
}

}  // namespace glintora::testing
