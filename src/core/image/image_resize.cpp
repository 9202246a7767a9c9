// Resize (direct samplers or filtered resampling with seven kernels), FitWithin and Scale.
//
// Filtered resampling runs in two separable passes in double precision through an
// intermediate image of the new width and the old height. Each destination index gets its
// list of contributing source indices once: centre = i / scale, no half-pixel offset; when
// shrinking the kernel is widened by 1 / scale and its weights scaled by scale. Weights are
// not normalised. Indices outside the source are reflected at the edges. Sums are limited
// to the channel's range and cut to whole numbers.

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "core/image/image.h"

namespace glintora {
namespace {

struct Kernel {
  double support;
  double (*value)(double t);
};

double Hermite(double t) {
  const double a = std::fabs(t);
  return a < 1 ? 2 * a * a * a - 3 * a * a + 1 : 0;
}
double Box(double t) { return (t > -0.5 && t <= 0.5) ? 1 : 0; }
double Triangle(double t) {
  const double a = std::fabs(t);
  return a < 1 ? 1 - a : 0;
}
double Bell(double t) {
  const double a = std::fabs(t);
  if (a < 0.5) return 0.75 - a * a;
  if (a < 1.5) return (a - 1.5) * (a - 1.5) / 2;
  return 0;
}
double BSpline(double t) {
  const double a = std::fabs(t);
  if (a < 1) return a * a * a / 2 - a * a + 2.0 / 3.0;
  if (a < 2) return (2 - a) * (2 - a) * (2 - a) / 6;
  return 0;
}
double Sinc(double x) {
  if (x == 0) return 1;
  const double px = std::numbers::pi * x;
  return std::sin(px) / px;
}
double Lanczos3(double t) { return std::fabs(t) < 3 ? Sinc(t) * Sinc(t / 3) : 0; }
double Mitchell(double t) {
  const double a = std::fabs(t);
  if (a < 1) return (7 * a * a * a - 12 * a * a + 16.0 / 3.0) / 6;
  if (a < 2) return (-(7.0 / 3.0) * a * a * a + 12 * a * a - 20 * a + 32.0 / 3.0) / 6;
  return 0;
}

const Kernel* KernelFor(int method) {
  static const Kernel kernels[] = {{1.0, Hermite}, {0.5, Box},      {1.0, Triangle}, {1.5, Bell},
                                   {2.0, BSpline}, {3.0, Lanczos3}, {2.0, Mitchell}};
  return method >= kHermite && method <= kMitchell ? &kernels[method - kHermite] : nullptr;
}

struct Contributor {
  int index;
  double weight;
};

// Contributor lists for every destination index, flattened: list i is
// contributors[begin[i] .. begin[i + 1]).
struct Contributions {
  std::vector<int> begin;
  std::vector<Contributor> contributors;
};

Contributions Contribute(int newSize, int oldSize, const Kernel& kernel) {
  Contributions result;
  result.begin.reserve(static_cast<size_t>(newSize) + 1);
  const double scale = static_cast<double>(newSize) / static_cast<double>(oldSize);
  const bool shrinking = scale < 1;
  const double width = shrinking ? kernel.support / scale : kernel.support;
  for (int i = 0; i < newSize; ++i) {
    result.begin.push_back(static_cast<int>(result.contributors.size()));
    const double centre = i / scale;
    const int left = static_cast<int>(std::ceil(centre - width));
    const int right = static_cast<int>(std::floor(centre + width));
    for (int j = left; j <= right; ++j) {
      const double weight = shrinking ? scale * kernel.value((centre - j) * scale) : kernel.value(centre - j);
      int n = j < 0 ? -j : j >= oldSize ? 2 * oldSize - j - 1 : j;
      n = std::clamp(n, 0, oldSize - 1);  // a tiny source reflects past its other edge
      result.contributors.push_back({n, weight});
    }
  }
  result.begin.push_back(static_cast<int>(result.contributors.size()));
  return result;
}

// Weights whose exact sum is a whole number can add up a hair short of it in floating point
// (a flat 100 comes out as 99.99999999999999); cutting that would take a level off flat
// areas on every pass. A sum this close below a whole number counts as that number.
constexpr double kRoundOffTolerance = 1e-7;

template <typename T>
T Limit(double v, int max) {
  v += kRoundOffTolerance;
  if (!(v > 0)) return 0;
  if (v >= max) return static_cast<T>(max);
  return static_cast<T>(v);
}

template <typename P>
std::unique_ptr<CvxImage> FilteredResize(const CvxImageT<P>& source, int width, int height, const Kernel& kernel) {
  using Traits = PixelTraits<P>;
  using Channel = typename Traits::Channel;
  constexpr int kChannels = Traits::kChannels;
  auto result = NewImage<P>(width, height, true);
  auto middle = NewImage<P>(width, source.m_height, true);
  if (!result || !middle) return nullptr;
  if (result->m_width == 0 || result->m_height == 0 || source.m_width == 0 || source.m_height == 0) return result;
  width = result->m_width;
  height = result->m_height;

  // Horizontal pass: every source row into the intermediate image.
  const Contributions across = Contribute(width, source.m_width, kernel);
  for (int y = 0; y < source.m_height; ++y) {
    const P* in = source.Row(y);
    P* out = middle->Row(y);
    for (int i = 0; i < width; ++i) {
      double sum[kChannels] = {};
      for (int k = across.begin[static_cast<size_t>(i)]; k < across.begin[static_cast<size_t>(i) + 1]; ++k) {
        const Contributor& c = across.contributors[static_cast<size_t>(k)];
        const Channel* s = in[c.index].c;
        for (int ch = 0; ch < kChannels; ++ch) sum[ch] += c.weight * s[ch];
      }
      for (int ch = 0; ch < kChannels; ++ch) out[i].c[ch] = Limit<Channel>(sum[ch], Traits::kMax);
    }
  }

  // Vertical pass: each result row sums its contributing intermediate rows, in order, so
  // every pixel adds its terms in the same sequence as a column-by-column walk.
  const Contributions down = Contribute(height, source.m_height, kernel);
  std::vector<double> sums(static_cast<size_t>(width) * kChannels);
  for (int j = 0; j < height; ++j) {
    std::fill(sums.begin(), sums.end(), 0.0);
    for (int k = down.begin[static_cast<size_t>(j)]; k < down.begin[static_cast<size_t>(j) + 1]; ++k) {
      const Contributor& c = down.contributors[static_cast<size_t>(k)];
      const Channel* in = middle->Row(c.index)->c;
      const double w = c.weight;
      double* s = sums.data();
      for (int n = 0; n < width * kChannels; ++n) s[n] += w * in[n];
    }
    Channel* out = result->Row(j)->c;
    for (int n = 0; n < width * kChannels; ++n) out[n] = Limit<Channel>(sums[static_cast<size_t>(n)], Traits::kMax);
  }
  return result;
}

}  // namespace

template <typename P>
std::unique_ptr<CvxImage> CvxImageT<P>::Resize(int width, int height, int method) const {
  if (method >= kNearest && method <= kBicubic) {
    auto result = NewImage<P>(width, height, m_width == 0 || m_height == 0);
    if (result) result->RenderFrom(this, 0, 0, static_cast<float>(result->m_width),
                                   static_cast<float>(result->m_height), method);
    return result;
  }
  const Kernel* kernel = KernelFor(method);
  if (!kernel || !HasPixels()) return nullptr;
  return FilteredResize(*this, width, height, *kernel);
}

template <typename P>
std::unique_ptr<CvxImage> CvxImageT<P>::FitWithin(int size, bool enlarge, int method) const {
  if ((!enlarge && size >= m_width && size >= m_height) || m_width <= 0 || m_height <= 0) return Clone();
  const double aspect = static_cast<double>(m_width) / static_cast<double>(m_height);
  int width;
  int height;
  if (aspect > 1) {
    width = size;
    height = static_cast<int>(size / aspect);
  } else {
    width = static_cast<int>(aspect * size);
    height = size;
  }
  return Resize(std::max(width, 1), std::max(height, 1), method);
}

template <typename P>
std::unique_ptr<CvxImage> CvxImageT<P>::Scale(float factorX, float factorY, int method) const {
  if (factorX == 1.0f && factorY == 1.0f) return Clone();
  return Resize(static_cast<int>(factorX * static_cast<float>(m_width)),
                static_cast<int>(factorY * static_cast<float>(m_height)), method);
}

#define GLINTORA_INSTANTIATE(P)                                                          \
  template std::unique_ptr<CvxImage> CvxImageT<P>::Resize(int, int, int) const;          \
  template std::unique_ptr<CvxImage> CvxImageT<P>::FitWithin(int, bool, int) const;      \
  template std::unique_ptr<CvxImage> CvxImageT<P>::Scale(float, float, int) const;
GLINTORA_FOR_EACH_PIXEL(GLINTORA_INSTANTIATE)
#undef GLINTORA_INSTANTIATE

}  // namespace glintora
