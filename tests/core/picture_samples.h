#pragma once
// The HEIC, AVIF and WebP pictures made before the tests by Debian's independent encoders, and
// their independent decoders' PNGs of them (tests/make_picture_samples.sh). Under Wine the
// folder's Linux path is on drive Z:.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/image/image.h"
#include "core/loaders/png_loader.h"

namespace glintora::testing {

// The sample's path; the test is skipped when the samples were not made.
inline std::string PictureSample(const std::string& name) {
#ifdef GLINTORA_PICTURE_SAMPLES_DIR
  return std::string(GLINTORA_PICTURE_SAMPLES_DIR) + "/" + name;
#else
  return name;
#endif
}

// A reference decoder's PNG, with its alpha kept.
inline std::unique_ptr<CvxImage> ReferencePng(const std::string& name) {
  CvxLoaderPNG png;
  png.m_keepAlpha = 1;
  return png.Load(PictureSample(name));
}

// Every sample of `a` within `tolerance` of `b`'s after shifting both right by `shift` bits;
// the same type and size.
inline ::testing::AssertionResult CloseTo(const CvxImage& a, const CvxImage& b, int tolerance, int shift = 0) {
  if (a.GetType() != b.GetType() || a.m_width != b.m_width || a.m_height != b.m_height) {
    return ::testing::AssertionFailure() << "type " << a.GetType() << " " << a.m_width << "x" << a.m_height
                                         << " against " << b.GetType() << " " << b.m_width << "x" << b.m_height;
  }
  int worst = 0;
  VisitPixelType(a.GetType(), [&](auto pixel) {
    using P = decltype(pixel);
    const auto& x = static_cast<const CvxImageT<P>&>(a);
    const auto& y = static_cast<const CvxImageT<P>&>(b);
    for (int row = 0; row < a.m_height; ++row) {
      for (int col = 0; col < a.m_width; ++col) {
        for (size_t c = 0; c < std::size(pixel.c); ++c) {
          const int d = std::abs((static_cast<int>(x.At(col, row).c[c]) >> shift) -
                                 (static_cast<int>(y.At(col, row).c[c]) >> shift));
          worst = std::max(worst, d);
        }
      }
    }
  });
  if (worst <= tolerance) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "samples differ by up to " << worst;
}

}  // namespace glintora::testing
