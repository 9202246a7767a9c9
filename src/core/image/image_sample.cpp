// Direct resampling of a source rectangle into a destination rectangle: nearest neighbour,
// bilinear (integer weights for Color8, floating point for the other types) and bicubic
// (Catmull-Rom weights from a 1000-step table).
//
// The source position starts at (sx, sy) and moves by sw / dw per destination column and
// sh / dh per destination row, as an integer index and a fraction below 1; indices never
// pass the last column or row, nor the first.

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "core/image/image.h"

namespace glintora {
namespace {

// A source position along one axis.
struct Position {
  int index;
  float fraction;
};

Position Start(float at) {
  const float whole = std::floor(at);
  if (whole < 0) return {0, 0.0f};
  return {static_cast<int>(whole), at - whole};
}

void Step(Position& p, float step, int last) {
  p.fraction += step;
  const int whole = static_cast<int>(p.fraction);
  p.index += whole;
  p.fraction -= static_cast<float>(whole);
  if (p.fraction < 0) {  // only with a backward step
    p.fraction += 1.0f;
    p.index -= 1;
  }
  p.index = std::clamp(p.index, 0, last);
}

template <typename T>
T Limit(float v, int max) {
  if (!(v > 0)) return 0;
  if (v >= static_cast<float>(max)) return static_cast<T>(max);
  return static_cast<T>(v);
}

// The common walk: clips the destination, lists the column positions once and calls
// `fill(outRow, rowPosition, columns)` for each destination row.
template <typename P, typename Fill>
void Walk(CvxImageT<P>& dst, const CvxImageT<P>& src, float sx, float sy, float sw, float sh, int dx, int dy, int dw,
          int dh, Fill&& fill) {
  dw = std::min(dw, dst.m_width - dx);
  dh = std::min(dh, dst.m_height - dy);
  if (dx < 0 || dy < 0 || dw <= 0 || dh <= 0 || src.m_width <= 0 || src.m_height <= 0) return;
  if (!dst.HasPixels() || !src.HasPixels()) return;
  const float stepX = sw / static_cast<float>(dw);
  const float stepY = sh / static_cast<float>(dh);
  const int lastX = src.m_width - 1;
  const int lastY = src.m_height - 1;
  std::vector<Position> columns(static_cast<size_t>(dw));
  Position x = Start(sx);
  x.index = std::min(x.index, lastX);
  for (int j = 0; j < dw; ++j) {
    columns[static_cast<size_t>(j)] = x;
    Step(x, stepX, lastX);
  }
  Position y = Start(sy);
  y.index = std::min(y.index, lastY);
  for (int i = 0; i < dh; ++i) {
    fill(dst.Row(dy + i) + dx, y, columns);
    Step(y, stepY, lastY);
  }
}

// Catmull-Rom weights (parameter -0.5) for taps -1, 0, +1, +2 at t = k / 1000.
using BicubicTable = std::vector<std::array<float, 4>>;
BicubicTable MakeBicubicTable() {
  BicubicTable table(1000);
  for (int k = 0; k < 1000; ++k) {
    const float t = static_cast<float>(k) / 1000.0f;
    const float t2 = t * t;
    const float t3 = t2 * t;
    table[static_cast<size_t>(k)] = {(-t3 + 2 * t2 - t) / 2, (3 * t3 - 5 * t2 + 2) / 2, (-3 * t3 + 4 * t2 + t) / 2,
                                     (t3 - t2) / 2};
  }
  return table;
}

}  // namespace

template <typename P>
void CvxImageT<P>::RenderFrom(const CvxImage* source, float x, float y, float w, float h, int method) {
  if (!source || m_width <= 0 || m_height <= 0) return;
  if (source->GetType() == GetType() && x == 0 && y == 0 && source->m_width == m_width &&
      source->m_height == m_height) {
    Paste(source, 0, 0);
    return;
  }
  const float rx = static_cast<float>(source->m_width) / static_cast<float>(m_width);
  const float ry = static_cast<float>(source->m_height) / static_cast<float>(m_height);
  const int dx = static_cast<int>(x), dy = static_cast<int>(y), dw = static_cast<int>(w), dh = static_cast<int>(h);
  switch (method) {
    case kNearest: SampleNearest(source, x * rx, y * ry, w * rx, h * ry, dx, dy, dw, dh); break;
    case kBilinear: SampleBilinear(source, x * rx, y * ry, w * rx, h * ry, dx, dy, dw, dh); break;
    case kBicubic: SampleBicubic(source, x * rx, y * ry, w * rx, h * ry, dx, dy, dw, dh); break;
    default: break;
  }
}

template <typename P>
void CvxImageT<P>::SampleNearest(const CvxImage* source, float sx, float sy, float sw, float sh, int dx, int dy,
                                 int dw, int dh) {
  const CvxImageT<P>* src = As<P>(source);
  if (!src) return;
  Walk(*this, *src, sx, sy, sw, sh, dx, dy, dw, dh,
       [&](P* out, Position y, const std::vector<Position>& columns) {
         const P* in = src->Row(y.index);
         for (const Position& x : columns) *out++ = in[x.index];
       });
}

template <typename P>
void CvxImageT<P>::SampleBilinear(const CvxImage* source, float sx, float sy, float sw, float sh, int dx, int dy,
                                  int dw, int dh) {
  const CvxImageT<P>* src = As<P>(source);
  if (!src) return;
  const int lastX = src->m_width - 1;
  const int lastY = src->m_height - 1;
  constexpr int kChannels = Traits::kChannels;
  Walk(*this, *src, sx, sy, sw, sh, dx, dy, dw, dh, [&](P* out, Position y, const std::vector<Position>& columns) {
    const P* top = src->Row(y.index);
    const P* bottom = src->Row(y.index < lastY ? y.index + 1 : y.index);
    if constexpr (Traits::kType == Color8) {
      const int wy = static_cast<int>(y.fraction * 256.0f + 0.5f);
      for (const Position& x : columns) {
        const int k2 = x.index < lastX ? x.index + 1 : x.index;
        const int wx = static_cast<int>(x.fraction * 256.0f + 0.5f);
        const uint8_t* a = top[x.index].c;
        const uint8_t* b = top[k2].c;
        const uint8_t* c = bottom[x.index].c;
        const uint8_t* d = bottom[k2].c;
        for (int ch = 0; ch < kChannels; ++ch) {
          out->c[ch] = static_cast<uint8_t>(((256 - wy) * ((256 - wx) * a[ch] + wx * b[ch]) +
                                             wy * ((256 - wx) * c[ch] + wx * d[ch])) >> 16);
        }
        ++out;
      }
    } else {
      const float fy = y.fraction;
      for (const Position& x : columns) {
        if (x.fraction == 0.0f && fy == 0.0f) {
          *out++ = top[x.index];
          continue;
        }
        const int k2 = x.index < lastX ? x.index + 1 : x.index;
        const float fx = x.fraction;
        for (int ch = 0; ch < kChannels; ++ch) {
          const float v = (1 - fy) * ((1 - fx) * top[x.index].c[ch] + fx * top[k2].c[ch]) +
                          fy * ((1 - fx) * bottom[x.index].c[ch] + fx * bottom[k2].c[ch]);
          out->c[ch] = Limit<Channel>(v, Traits::kMax);
        }
        ++out;
      }
    }
  });
}

template <typename P>
void CvxImageT<P>::SampleBicubic(const CvxImage* source, float sx, float sy, float sw, float sh, int dx, int dy,
                                 int dw, int dh) {
  const CvxImageT<P>* src = As<P>(source);
  if (!src) return;
  const BicubicTable table = MakeBicubicTable();  // per call, so threads never share it
  const int lastX = src->m_width - 1;
  const int lastY = src->m_height - 1;
  Walk(*this, *src, sx, sy, sw, sh, dx, dy, dw, dh, [&](P* out, Position y, const std::vector<Position>& columns) {
    const auto& wy = table[static_cast<size_t>(std::min(static_cast<int>(y.fraction * 1000.0f), 999))];
    const P* rows[4];
    for (int m = 0; m < 4; ++m) rows[m] = src->Row(std::clamp(y.index - 1 + m, 0, lastY));
    for (const Position& x : columns) {
      const auto& wx = table[static_cast<size_t>(std::min(static_cast<int>(x.fraction * 1000.0f), 999))];
      int k[4];
      for (int n = 0; n < 4; ++n) k[n] = std::clamp(x.index - 1 + n, 0, lastX);
      for (int ch = 0; ch < Traits::kChannels; ++ch) {
        float sum = 0.0f;
        for (int m = 0; m < 4; ++m) {
          for (int n = 0; n < 4; ++n) sum += wx[static_cast<size_t>(n)] * wy[static_cast<size_t>(m)] * rows[m][k[n]].c[ch];
        }
        out->c[ch] = Limit<Channel>(sum, Traits::kMax);
      }
      ++out;
    }
  });
}

#define GLINTORA_INSTANTIATE(P)                                                                                   \
  template void CvxImageT<P>::RenderFrom(const CvxImage*, float, float, float, float, int);                      \
  template void CvxImageT<P>::SampleNearest(const CvxImage*, float, float, float, float, int, int, int, int);    \
  template void CvxImageT<P>::SampleBilinear(const CvxImage*, float, float, float, float, int, int, int, int);   \
  template void CvxImageT<P>::SampleBicubic(const CvxImage*, float, float, float, float, int, int, int, int);
GLINTORA_FOR_EACH_PIXEL(GLINTORA_INSTANTIATE)
#undef GLINTORA_INSTANTIATE

}  // namespace glintora
