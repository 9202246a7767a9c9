#include "core/transitions/blend.h"

#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace glintora {

bool ProcessorHasVectorBlend() {
#if defined(__SSE2__)
  return true;  // every x86-64 processor has SSE2
#else
  return false;
#endif
}

void BlendFrameVector(const CvxImageColor8& oldFrame, const CvxImageColor8& newFrame, int a, CvxImageColor8& out,
                      int firstRow, int endRow) {
  const int weight = a >= 256 ? 255 : a;
  const int rowBytes = 3 * out.m_width;
  if (endRow < 0) endRow = out.m_height;
  for (int y = firstRow; y < endRow; ++y) {
    const auto* o = reinterpret_cast<const uint8_t*>(oldFrame.Row(y));
    const auto* n = reinterpret_cast<const uint8_t*>(newFrame.Row(y));
    auto* d = reinterpret_cast<uint8_t*>(out.Row(y));
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i wNew = _mm_set1_epi16(static_cast<short>(weight));
    const __m128i wOld = _mm_set1_epi16(static_cast<short>(256 - weight));
    for (; i + 16 <= rowBytes; i += 16) {
      const __m128i vo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(o + i));
      const __m128i vn = _mm_loadu_si128(reinterpret_cast<const __m128i*>(n + i));
      const __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(vn, zero), wNew),
                                                       _mm_mullo_epi16(_mm_unpacklo_epi8(vo, zero), wOld)),
                                        8);
      const __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(vn, zero), wNew),
                                                       _mm_mullo_epi16(_mm_unpackhi_epi8(vo, zero), wOld)),
                                        8);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; i < rowBytes; ++i) d[i] = static_cast<uint8_t>((weight * n[i] + (256 - weight) * o[i]) >> 8);
  }
}

void BlendFrameTable(const CvxImageColor8& oldFrame, const CvxImageColor8& newFrame, int a, CvxImageColor8& out,
                     int firstRow, int endRow) {
  std::array<uint8_t, 256> fromNew{};
  std::array<uint8_t, 256> fromOld{};
  for (int i = 0; i < 256; ++i) {
    fromNew[static_cast<size_t>(i)] = static_cast<uint8_t>((i * a) >> 8);
    fromOld[static_cast<size_t>(i)] = static_cast<uint8_t>((256 * i - i * a) >> 8);
  }
  const int rowBytes = 3 * out.m_width;
  if (endRow < 0) endRow = out.m_height;
  for (int y = firstRow; y < endRow; ++y) {
    const auto* o = reinterpret_cast<const uint8_t*>(oldFrame.Row(y));
    const auto* n = reinterpret_cast<const uint8_t*>(newFrame.Row(y));
    auto* d = reinterpret_cast<uint8_t*>(out.Row(y));
    for (int i = 0; i < rowBytes; ++i) d[i] = static_cast<uint8_t>(fromNew[n[i]] + fromOld[o[i]]);
  }
}

}  // namespace glintora
