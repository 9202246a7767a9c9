// Converting construction: any image into any of the six pixel types.
//   widening 8 → 16 bits: v × 257; narrowing 16 → 8 bits: v >> 8
//   grey → colour: the grey value in blue, green and red
//   colour → grey: luminance 9798 R + 19235 G + 3736 B (+ 16384) over 2^15, in unsigned
//     32-bit arithmetic, limited to the channel maximum
//   alpha is never carried over: it is dropped, or set to 0 in an alpha target

#include <algorithm>
#include <array>
#include <cstring>

#include "core/image/image.h"

namespace glintora {
namespace {

template <typename To, typename From>
To Depth(From v) {
  if constexpr (sizeof(To) == sizeof(From)) {
    return static_cast<To>(v);
  } else if constexpr (sizeof(To) > sizeof(From)) {
    return static_cast<To>(v * 257u);
  } else {
    return static_cast<To>(v >> 8);
  }
}

// Luminance of an 8-bit source into an 8-bit grey, through three tables built once per
// conversion (blue's carries the rounding term).
struct LumaTables8 {
  LumaTables8() {
    for (uint32_t v = 0; v < 256; ++v) {
      red[v] = 9798u * v;
      green[v] = 19235u * v;
      blue[v] = 3736u * v + 16384u;
    }
  }
  uint8_t operator()(uint8_t b, uint8_t g, uint8_t r) const {
    return static_cast<uint8_t>(std::min<uint32_t>((red[r] + green[g] + blue[b]) >> 15, 255u));
  }
  std::array<uint32_t, 256> red, green, blue;
};

template <typename To, typename From>
To Luma(From b, From g, From r) {
  uint32_t sum;
  int shift = 15;
  if constexpr (sizeof(From) == 1 && sizeof(To) == 2) {
    sum = 9798u * 257u * r + 19235u * 257u * g + 3736u * 257u * b + 16384u;
  } else {
    sum = 9798u * r + 19235u * g + 3736u * b + 16384u;
    if constexpr (sizeof(From) == 2 && sizeof(To) == 1) shift = 23;
  }
  constexpr uint32_t kMax = sizeof(To) == 1 ? 255u : 65535u;
  return static_cast<To>(std::min(sum >> shift, kMax));
}

}  // namespace

template <typename P>
template <typename S>
void CvxImageT<P>::ConvertFrom(const CvxImageT<S>& source) {
  using To = typename PixelTraits<P>::Channel;
  using From = typename PixelTraits<S>::Channel;
  constexpr int kTo = PixelTraits<P>::kChannels;
  constexpr int kFrom = PixelTraits<S>::kChannels;
  [[maybe_unused]] const LumaTables8 tables{};  // used only for 8-bit colour into Gray8
  for (int i = 0; i < m_height; ++i) {
    const S* in = source.Row(i);
    P* out = m_rows[i];
    for (int j = 0; j < m_width; ++j) {
      const From* s = in[j].c;
      To* d = out[j].c;
      if constexpr (kTo == 1 && kFrom == 1) {
        d[0] = Depth<To>(s[0]);
      } else if constexpr (kTo == 1) {
        if constexpr (sizeof(From) == 1 && sizeof(To) == 1) {
          d[0] = tables(s[0], s[1], s[2]);
        } else {
          d[0] = Luma<To>(s[0], s[1], s[2]);
        }
      } else if constexpr (kFrom == 1) {
        d[0] = d[1] = d[2] = Depth<To>(s[0]);
      } else {
        d[0] = Depth<To>(s[0]);
        d[1] = Depth<To>(s[1]);
        d[2] = Depth<To>(s[2]);
      }
      if constexpr (kTo == 4) d[3] = 0;
    }
  }
}

template <typename P>
CvxImageT<P>::CvxImageT(const CvxImage& source) {
  m_width = source.m_width;
  m_height = source.m_height;
  Allocate(false);
  if (!m_bits || !source.HasPixels()) return;
  if (source.GetType() == Traits::kType) {
    std::memcpy(m_bits, source.GetBits(), static_cast<size_t>(m_stride) * m_height);
    return;
  }
  VisitPixelType(source.GetType(), [&](auto pixel) {
    using S = decltype(pixel);
    ConvertFrom(static_cast<const CvxImageT<S>&>(source));
  });
}

#define GLINTORA_INSTANTIATE(P) template CvxImageT<P>::CvxImageT(const CvxImage&);
GLINTORA_FOR_EACH_PIXEL(GLINTORA_INSTANTIATE)
#undef GLINTORA_INSTANTIATE

}  // namespace glintora
