// Box blur of a rectangle: a horizontal then a vertical moving average over 2 × radius + 1
// samples, leaving out samples beyond the image (the divisor counts those inside).

#include <algorithm>

#include "core/image/image.h"

namespace glintora {
namespace {

// One moving average along a line of `length` samples, reading through `at(n)` and writing
// positions [from, to) through `put(n, pixel)`.
template <typename P, typename Read, typename Write>
void Average(int length, int from, int to, int radius, Read at, Write put) {
  using Traits = PixelTraits<P>;
  constexpr int kChannels = Traits::kChannels;
  int64_t sum[kChannels] = {};
  int count = 0;
  const auto add = [&](int n, int sign) {
    const auto& p = at(n);
    for (int ch = 0; ch < kChannels; ++ch) sum[ch] += sign * static_cast<int64_t>(p.c[ch]);
    count += sign;
  };
  for (int n = from - radius - 1; n <= from + radius - 1; ++n) {
    if (n >= 0 && n < length) add(n, 1);
  }
  for (int c = from; c < to; ++c) {
    const int leaving = c - radius - 1;
    if (leaving >= 0 && leaving < length) add(leaving, -1);
    const int entering = c + radius;
    if (entering >= 0 && entering < length) add(entering, 1);
    P pixel;
    for (int ch = 0; ch < kChannels; ++ch) {
      const double v = static_cast<double>(sum[ch]) / count;
      pixel.c[ch] = static_cast<typename Traits::Channel>(std::clamp(v, 0.0, static_cast<double>(Traits::kMax)));
    }
    put(c, pixel);
  }
}

}  // namespace

template <typename P>
std::unique_ptr<CvxImage> CvxImageT<P>::BoxBlur(int radius, int left, int top, int right, int bottom) const {
  if (left == 0 && top == 0 && right == 0 && bottom == 0) {
    right = m_width;
    bottom = m_height;
  }
  // A rectangle reaching outside the image is cut to it; a negative radius counts as 0.
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, m_width);
  bottom = std::min(bottom, m_height);
  radius = std::max(radius, 0);

  std::unique_ptr<CvxImage> across = Clone();
  if (!across) return nullptr;
  auto& horizontal = static_cast<CvxImageT<P>&>(*across);
  for (int y = top; y < bottom; ++y) {
    const P* in = Row(y);
    P* out = horizontal.Row(y);
    Average<P>(m_width, left, right, radius, [&](int n) -> const P& { return in[n]; },
               [&](int n, const P& p) { out[n] = p; });
  }
  std::unique_ptr<CvxImage> down = across->Clone();
  if (!down) return nullptr;
  auto& vertical = static_cast<CvxImageT<P>&>(*down);
  for (int x = left; x < right; ++x) {
    Average<P>(m_height, top, bottom, radius, [&](int n) -> const P& { return horizontal.At(x, n); },
               [&](int n, const P& p) { vertical.At(x, n) = p; });
  }
  return down;
}

#define GLINTORA_INSTANTIATE(P) \
  template std::unique_ptr<CvxImage> CvxImageT<P>::BoxBlur(int, int, int, int, int) const;
GLINTORA_FOR_EACH_PIXEL(GLINTORA_INSTANTIATE)
#undef GLINTORA_INSTANTIATE

}  // namespace glintora
