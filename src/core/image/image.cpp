// Construction, copying and the in-place and copying operations of images that do not
// resample.

#include "core/image/image.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "core/image/dib_section.h"

namespace glintora {

template <typename P>
CvxImageT<P>::CvxImageT(int width, int height, bool clear) {
  m_width = width;
  m_height = height;
  Allocate(clear);
}

template <typename P>
CvxImageT<P>::CvxImageT(const CvxImageT& other) : CvxImage() {
  m_width = other.m_width;
  m_height = other.m_height;
  Allocate(false);
  if (m_bits && other.m_bits) std::memcpy(m_bits, other.m_bits, static_cast<size_t>(m_stride) * m_height);
}

template <typename P>
CvxImageT<P>::~CvxImageT() {
  Release();
}

template <typename P>
void CvxImageT<P>::Allocate(bool clear) {
  if (m_width <= 0 || m_height <= 0) m_width = m_height = 0;
  m_type = Traits::kType;
  m_format = 0;
  if (!FitsImageLimit(m_width, m_height, Traits::kBytesPerPixel)) return;  // refused: no pixel memory
  // Rows of whole 32-bit words, except Alpha16 whose pixels are 8 bytes anyway.
  const int64_t stride = (int64_t{m_width} * Traits::kBytesPerPixel + 3) & ~int64_t{3};
  const int64_t bytes = stride * m_height;
  m_stride = static_cast<int>(stride);
  if constexpr (Traits::kBitmapBits != 0) {
    m_bitmapInfo = MakeBitmapInfo(m_width, m_height, Traits::kBitmapBits);
    if (!m_bitmapInfo) return;
  }

  if (m_bitmapInfo) {
    const DibSection section = CreateDibSection(*m_bitmapInfo);
    m_bits = static_cast<P*>(section.bits);
    m_bitmap = section.handle;
  }
  if (!m_bits) {
    // The heap layout matches the bitmap's, with one spare pixel.
    const size_t size = (static_cast<size_t>(bytes) / Traits::kBytesPerPixel + 1) * sizeof(P);
    m_bits = static_cast<P*>(clear ? std::calloc(1, size) : std::malloc(size));
    if (!m_bits) return;
  }
  m_rows.reset(new (std::nothrow) P*[static_cast<size_t>(std::max(m_height, 1))]);
  if (!m_rows) {
    Release();
    return;
  }
  auto* base = reinterpret_cast<uint8_t*>(m_bits);
  for (int i = 0; i < m_height; ++i) {
    m_rows[i] = reinterpret_cast<P*>(base + static_cast<size_t>(m_height - 1 - i) * m_stride);
  }
  if (clear && m_bitmap) std::memset(GetBits(), 0, static_cast<size_t>(bytes));
}

template <typename P>
void CvxImageT<P>::Release() {
  m_rows.reset();
  if (m_bitmap) {
    DeleteDibSection(m_bitmap);
  } else {
    std::free(m_bits);
  }
  m_bits = nullptr;
  m_bitmap = nullptr;
}

template <typename P>
std::unique_ptr<CvxImageT<P>> NewImage(int width, int height, bool clear) {
  std::unique_ptr<CvxImageT<P>> image(new (std::nothrow) CvxImageT<P>(width, height, clear));
  if (!image || !image->HasPixels()) return nullptr;
  return image;
}

template <typename P>
std::unique_ptr<CvxImage> CvxImageT<P>::Clone() const {
  std::unique_ptr<CvxImageT<P>> copy(new (std::nothrow) CvxImageT<P>(*this));
  if (!copy || (m_bits && !copy->HasPixels())) return nullptr;
  return copy;
}

template <typename P>
void CvxImageT<P>::Paste(const CvxImage* source, int x, int y) {
  const CvxImageT<P>* src = As<P>(source);
  if (!src || src == this || !m_bits || !src->m_bits) return;
  const int left = std::max(0, -x);
  const int right = std::min(src->m_width, m_width - x);
  const int top = std::max(0, -y);
  const int bottom = std::min(src->m_height, m_height - y);
  if (left >= right || top >= bottom) return;
  const size_t bytes = static_cast<size_t>(right - left) * sizeof(P);
  for (int row = top; row < bottom; ++row) std::memcpy(m_rows[y + row] + x + left, src->m_rows[row] + left, bytes);
}

template <typename P>
std::unique_ptr<CvxImage> CvxImageT<P>::Crop(int x, int y, int w, int h) const {
  if (x < 0 || x > m_width || y < 0 || y > m_height || w < 0 || h < 0 || x + w > m_width || y + h > m_height) {
    return nullptr;
  }
  auto crop = NewImage<P>(w, h, false);
  if (!crop) return nullptr;
  for (int i = 0; i < crop->m_height; ++i) {
    std::memcpy(crop->m_rows[i], m_rows[y + i] + x, static_cast<size_t>(crop->m_width) * sizeof(P));
  }
  return crop;
}

template <typename P>
std::unique_ptr<CvxImage> CvxImageT<P>::Orient(int code) const {
  const int w = m_width;
  const int h = m_height;
  const bool turned = code == kTurnClockwise || code == kTurnCounterClockwise;
  auto result = NewImage<P>(turned ? h : w, turned ? w : h, false);
  if (!result) return nullptr;
  result->m_format = m_format;
  const int rows = result->m_height;
  const int columns = result->m_width;
  for (int i = 0; i < rows; ++i) {
    P* out = result->m_rows[i];
    switch (code) {
      case kTurnClockwise:  // row H-1-j, column i
        for (int j = 0; j < columns; ++j) out[j] = m_rows[h - 1 - j][i];
        break;
      case kTurnCounterClockwise:  // row j, column W-1-i
        for (int j = 0; j < columns; ++j) out[j] = m_rows[j][w - 1 - i];
        break;
      case kHalfTurn:
        for (int j = 0; j < columns; ++j) out[j] = m_rows[h - 1 - i][w - 1 - j];
        break;
      case kMirrorLeftRight:
        for (int j = 0; j < columns; ++j) out[j] = m_rows[i][w - 1 - j];
        break;
      case kMirrorTopBottom:
        std::memcpy(out, m_rows[h - 1 - i], static_cast<size_t>(columns) * sizeof(P));
        break;
      default:
        std::memcpy(out, m_rows[i], static_cast<size_t>(columns) * sizeof(P));
        break;
    }
  }
  return result;
}

template <typename P>
void CvxImageT<P>::FlipVertical() {
  if (!m_bits) return;
  std::vector<uint8_t> temporary(static_cast<size_t>(m_stride));
  for (int i = 0; i < m_height / 2; ++i) {
    auto* a = reinterpret_cast<uint8_t*>(m_rows[i]);
    auto* b = reinterpret_cast<uint8_t*>(m_rows[m_height - 1 - i]);
    std::memcpy(temporary.data(), a, temporary.size());
    std::memcpy(a, b, temporary.size());
    std::memcpy(b, temporary.data(), temporary.size());
  }
}

template <typename P>
void CvxImageT<P>::SwapRedBlue() {
  if constexpr (Traits::kChannels >= 3) {
    for (int i = 0; m_bits && i < m_height; ++i) {
      P* row = m_rows[i];
      for (int j = 0; j < m_width; ++j) std::swap(row[j].c[0], row[j].c[2]);
    }
  }
}

template <typename P>
void CvxImageT<P>::Invert() {
  for (int i = 0; m_bits && i < m_height; ++i) {
    P* row = m_rows[i];
    for (int j = 0; j < m_width; ++j) {
      for (auto& channel : row[j].c) channel = static_cast<Channel>(Traits::kMax - channel);
    }
  }
}

template <typename P>
void CvxImageT<P>::FillRect(int x, int y, int w, int h, const void* pixel) {
  // Rows below y receive the whole of row y; the rectangle is exact only at full width.
  // A row outside the image, or columns left of it, are not written.
  if (!m_bits || !pixel || y < 0 || y >= m_height) return;
  const P value = *static_cast<const P*>(pixel);
  P* row = m_rows[y];
  const int end = std::min(x + w, m_width);
  for (int j = std::max(x, 0); j < end; ++j) row[j] = value;
  const int last = std::min(y + h, m_height);
  for (int i = y + 1; i < last; ++i) std::memcpy(m_rows[i], row, static_cast<size_t>(m_stride));
}

std::unique_ptr<CvxImage> CreateImage(int type, int width, int height, bool clear) {
  std::unique_ptr<CvxImage> image;
  VisitPixelType(type, [&](auto pixel) { image = NewImage<decltype(pixel)>(width, height, clear); });
  return image;
}

bool ConvertImage(std::unique_ptr<CvxImage>& image, int type) {
  if (!image) return false;
  if (image->GetType() == type || type < Gray8 || type > Alpha16) return true;
  std::unique_ptr<CvxImage> converted;
  VisitPixelType(type, [&](auto pixel) {
    using P = decltype(pixel);
    std::unique_ptr<CvxImageT<P>> result(new (std::nothrow) CvxImageT<P>(*image));
    if (result && result->HasPixels()) converted = std::move(result);
  });
  image = std::move(converted);
  return true;
}

#define GLINTORA_INSTANTIATE(P)                                                                     \
  template CvxImageT<P>::CvxImageT(int, int, bool);                                                 \
  template CvxImageT<P>::CvxImageT(const CvxImageT&);                                               \
  template CvxImageT<P>::~CvxImageT();                                                              \
  template void CvxImageT<P>::Allocate(bool);                                                       \
  template std::unique_ptr<CvxImageT<P>> NewImage<P>(int, int, bool);                               \
  template std::unique_ptr<CvxImage> CvxImageT<P>::Clone() const;                                   \
  template void CvxImageT<P>::Paste(const CvxImage*, int, int);                                     \
  template std::unique_ptr<CvxImage> CvxImageT<P>::Crop(int, int, int, int) const;                  \
  template std::unique_ptr<CvxImage> CvxImageT<P>::Orient(int) const;                               \
  template void CvxImageT<P>::FlipVertical();                                                       \
  template void CvxImageT<P>::SwapRedBlue();                                                        \
  template void CvxImageT<P>::Invert();                                                             \
  template void CvxImageT<P>::FillRect(int, int, int, int, const void*);
GLINTORA_FOR_EACH_PIXEL(GLINTORA_INSTANTIATE)
#undef GLINTORA_INSTANTIATE

}  // namespace glintora
