#pragma once
// Images: a rectangle of pixels of one of six pixel types, kept in the memory layout of a
// bottom-up device-independent bitmap and reached top-down through a row table.
//
// Ownership: operations that make a new image return it as a std::unique_ptr; the caller
// owns it. An image whose pixel memory could not be allocated has no bits (HasPixels() is
// false); operations never return such an image, they return null instead.

#include <cstdint>
#include <memory>

#include "core/image/bitmap_info.h"
#include "core/image/pixel.h"

namespace glintora {

class DrawingDevice;

// Rectangle in floating-point picture coordinates, y growing downwards.
struct RectF {
  float left = 0, top = 0, right = 0, bottom = 0;
};

// Largest pixel buffer an image may have, in bytes: the bitmap header counts its size in a
// signed 32-bit field's range, and no picture of this program comes near it.
inline constexpr int64_t kMaxImageBytes = INT32_MAX;

// A picture's size in pixels.
struct ImageSize {
  int width = 0;
  int height = 0;
  bool operator==(const ImageSize&) const = default;
};

// True when an image of width × height pixels of `bytesPerPixel` bytes, its rows padded to
// whole 32-bit words, stays within kMaxImageBytes. Image creation refuses any other; the
// loaders ask right after reading a header, before they allocate anything for the picture.
constexpr bool FitsImageLimit(int64_t width, int64_t height, int bytesPerPixel) {
  if (width < 0 || height < 0 || bytesPerPixel <= 0 || width > INT32_MAX || height > INT32_MAX) return false;
  const int64_t stride = (width * bytesPerPixel + 3) & ~int64_t{3};
  return height == 0 || stride <= kMaxImageBytes / height;
}

// The codes Orient takes.
enum OrientCode : int {
  kTurnClockwise = 1,
  kTurnCounterClockwise = 2,
  kHalfTurn = 3,
  kMirrorLeftRight = 4,
  kMirrorTopBottom = 5,
};

// Resampling methods of Resize, RenderFrom and the operations built on them.
enum ResampleMethod : int {
  kNearest = 0,
  kBilinear = 1,
  kBicubic = 2,
  kHermite = 3,
  kBox = 4,
  kTriangle = 5,
  kBell = 6,
  kBSpline = 7,
  kLanczos3 = 8,
  kMitchell = 9,
};

// A picture's description without its pixels; loaders return one from their information
// call.
class CvxImageHeader {
 public:
  CvxImageHeader() = default;
  CvxImageHeader(int32_t width, int32_t height, int32_t format, int32_t type)
      : m_width(width), m_height(height), m_format(format), m_type(type) {}
  CvxImageHeader(const CvxImageHeader&) = default;
  CvxImageHeader& operator=(const CvxImageHeader&) = default;
  virtual ~CvxImageHeader() = default;

  virtual int GetType() const { return m_type; }

  int32_t m_width = 0;
  int32_t m_height = 0;
  int32_t m_format = 0;  // CvxFileFormat, 0 when made by an operation
  int32_t m_type = 0;    // CvxImageType, 0 when none of the six
};

class CvxImage : public CvxImageHeader {
 public:
  CvxImage(const CvxImage&) = delete;
  CvxImage& operator=(const CvxImage&) = delete;
  ~CvxImage() override = default;

  // A copy; null when it cannot be allocated.
  virtual std::unique_ptr<CvxImage> Clone() const = 0;
  virtual int GetChannels() const = 0;
  virtual int GetBytesPerChannel() const = 0;
  virtual int GetStride() const = 0;
  // Copies a same-type image in with its top-left pixel at (x, y); only the part that falls
  // inside this image is written.
  virtual void Paste(const CvxImage* source, int x, int y) = 0;
  // Stretches the whole source over this whole image, producing only the rectangle given
  // (method 0 nearest, 1 bilinear, 2 bicubic).
  virtual void RenderFrom(const CvxImage* source, float x, float y, float w, float h, int method) = 0;
  // Fill the destination rectangle of this image from a rectangle of the source.
  virtual void SampleNearest(const CvxImage* source, float sx, float sy, float sw, float sh, int dx, int dy, int dw,
                             int dh) = 0;
  virtual void SampleBilinear(const CvxImage* source, float sx, float sy, float sw, float sh, int dx, int dy,
                              int dw, int dh) = 0;
  virtual void SampleBicubic(const CvxImage* source, float sx, float sy, float sw, float sh, int dx, int dy, int dw,
                             int dh) = 0;
  // A copy of the rectangle; null unless it lies within the image.
  virtual std::unique_ptr<CvxImage> Crop(int x, int y, int w, int h) const = 0;
  // A turned or mirrored copy by OrientCode; any other code copies.
  virtual std::unique_ptr<CvxImage> Orient(int code) const = 0;
  // New image of the given size by one of the ResampleMethod methods; null for another.
  virtual std::unique_ptr<CvxImage> Resize(int width, int height, int method) const = 0;
  // New image whose longer side is `size` (unscaled copy when it fits and `enlarge` is off).
  virtual std::unique_ptr<CvxImage> FitWithin(int size, bool enlarge, int method) const = 0;
  virtual std::unique_ptr<CvxImage> Scale(float factorX, float factorY, int method) const = 0;
  // Box blur of the rectangle (right and bottom exclusive; all 0: the whole image).
  virtual std::unique_ptr<CvxImage> BoxBlur(int radius, int left, int top, int right, int bottom) const = 0;
  virtual void FlipVertical() = 0;
  virtual void SwapRedBlue() = 0;
  virtual uint8_t* GetBits() const = 0;
  // The DIB section that owns the bits, or null when they are on the heap.
  virtual void* GetBitmap() const = 0;
  virtual void Invert() = 0;
  // Writes `pixel` (a pixel of this image's type) into row y from column x, then copies the
  // whole of row y into the rows below up to y + h.
  virtual void FillRect(int x, int y, int w, int h, const void* pixel) = 0;
  // Row pointers, top row first.
  virtual uint8_t* const* GetRows() const = 0;

  // Draws the source rectangle of the picture into the destination rectangle of a device,
  // with the system's stretch (mirrored where the destination is reversed). 8-bit types only.
  void Draw(DrawingDevice& device, const RectF& source, const RectF& destination) const;

  // The bitmap header block; null for the 16-bit types.
  const BitmapInfo* GetBitmapInfo() const { return m_bitmapInfo.get(); }
  bool HasPixels() const { return GetBits() != nullptr; }

 protected:
  CvxImage() = default;
  BitmapInfoPtr m_bitmapInfo;
};

template <typename P>
class CvxImageT final : public CvxImage {
 public:
  using Pixel = P;
  using Traits = PixelTraits<P>;
  using Channel = typename Traits::Channel;

  // Width or height not above 0 gives a 0 × 0 image. `clear` zero-fills the pixels.
  CvxImageT(int width, int height, bool clear);
  CvxImageT(const CvxImageT& other);
  // Converts any image into this pixel type.
  explicit CvxImageT(const CvxImage& source);
  ~CvxImageT() override;

  int GetType() const override { return Traits::kType; }
  std::unique_ptr<CvxImage> Clone() const override;
  int GetChannels() const override { return Traits::kChannels; }
  int GetBytesPerChannel() const override { return Traits::kBytesPerChannel; }
  int GetStride() const override { return m_stride; }
  void Paste(const CvxImage* source, int x, int y) override;
  void RenderFrom(const CvxImage* source, float x, float y, float w, float h, int method) override;
  void SampleNearest(const CvxImage* source, float sx, float sy, float sw, float sh, int dx, int dy, int dw,
                     int dh) override;
  void SampleBilinear(const CvxImage* source, float sx, float sy, float sw, float sh, int dx, int dy, int dw,
                      int dh) override;
  void SampleBicubic(const CvxImage* source, float sx, float sy, float sw, float sh, int dx, int dy, int dw,
                     int dh) override;
  std::unique_ptr<CvxImage> Crop(int x, int y, int w, int h) const override;
  std::unique_ptr<CvxImage> Orient(int code) const override;
  std::unique_ptr<CvxImage> Resize(int width, int height, int method) const override;
  std::unique_ptr<CvxImage> FitWithin(int size, bool enlarge, int method) const override;
  std::unique_ptr<CvxImage> Scale(float factorX, float factorY, int method) const override;
  std::unique_ptr<CvxImage> BoxBlur(int radius, int left, int top, int right, int bottom) const override;
  void FlipVertical() override;
  void SwapRedBlue() override;
  uint8_t* GetBits() const override { return reinterpret_cast<uint8_t*>(m_bits); }
  void* GetBitmap() const override { return m_bitmap; }
  void Invert() override;
  void FillRect(int x, int y, int w, int h, const void* pixel) override;
  uint8_t* const* GetRows() const override { return reinterpret_cast<uint8_t* const*>(m_rows.get()); }

  void FillRect(int x, int y, int w, int h, const P& pixel) { FillRect(x, y, w, h, static_cast<const void*>(&pixel)); }
  P* Row(int y) const { return m_rows[y]; }
  P& At(int x, int y) const { return m_rows[y][x]; }

 private:
  void Allocate(bool clear);
  void Release();
  template <typename S>
  void ConvertFrom(const CvxImageT<S>& source);

  P* m_bits = nullptr;             // pixel memory: the DIB section's or a heap block
  std::unique_ptr<P*[]> m_rows;    // row pointers, top row first
  int m_stride = 0;                // bytes from one row to the next
  void* m_bitmap = nullptr;        // DIB section owning m_bits, or null for the heap
};

using CvxImageGray8 = CvxImageT<CvxGray8>;
using CvxImageGray16 = CvxImageT<CvxGray16>;
using CvxImageColor8 = CvxImageT<CvxColor8>;
using CvxImageColor16 = CvxImageT<CvxColor16>;
using CvxImageAlpha8 = CvxImageT<CvxAlpha8>;
using CvxImageAlpha16 = CvxImageT<CvxAlpha16>;

// A new image of the given type code; null for another code or when it cannot be
// allocated.
std::unique_ptr<CvxImage> CreateImage(int type, int width, int height, bool clear);

// A new image of pixel type P; null when the object or its pixels cannot be allocated.
template <typename P>
std::unique_ptr<CvxImageT<P>> NewImage(int width, int height, bool clear);

// Converts `image` to the type code in place. False for a null image. True, unchanged, when
// it already has the type or the code is not 1 to 6. When the new image cannot be
// allocated the old one is destroyed all the same and `image` becomes null.
bool ConvertImage(std::unique_ptr<CvxImage>& image, int type);

// The image as pixel type P, or null when it is of another type.
template <typename P>
const CvxImageT<P>* As(const CvxImage* image) {
  return image && image->GetType() == PixelTraits<P>::kType ? static_cast<const CvxImageT<P>*>(image) : nullptr;
}

// Calls f(P{}) with a default pixel of the type the code names; false for another code.
template <typename F>
bool VisitPixelType(int type, F&& f) {
  switch (type) {
    case Gray8: f(CvxGray8{}); return true;
    case Gray16: f(CvxGray16{}); return true;
    case Color8: f(CvxColor8{}); return true;
    case Color16: f(CvxColor16{}); return true;
    case Alpha8: f(CvxAlpha8{}); return true;
    case Alpha16: f(CvxAlpha16{}); return true;
    default: return false;
  }
}

// FitsImageLimit for an image of pixel type `type`; false for an unknown type.
inline bool ImageOfTypeFits(int32_t type, int64_t width, int64_t height) {
  int bytesPerPixel = 0;
  VisitPixelType(type, [&](auto pixel) { bytesPerPixel = static_cast<int>(sizeof pixel); });
  return FitsImageLimit(width, height, bytesPerPixel);
}

// Instantiates a macro for each of the six pixel types.
#define GLINTORA_FOR_EACH_PIXEL(X) \
  X(CvxGray8) X(CvxGray16) X(CvxColor8) X(CvxColor16) X(CvxAlpha8) X(CvxAlpha16)

}  // namespace glintora
