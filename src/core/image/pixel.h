#pragma once
// Pixel types and the codes that name them. Channels lie in memory in the order of `c`:
// grey; blue, green, red; blue, green, red, alpha. 16-bit channels are little-endian.

#include <cstdint>
#include <type_traits>

namespace glintora {

// Pixel type codes.
enum CvxImageType : int32_t {
  Gray8 = 1,
  Gray16 = 2,
  Color8 = 3,
  Color16 = 4,
  Alpha8 = 5,
  Alpha16 = 6,
};

// File format codes, set by the loader that made an image; 0 for an image made by an
// operation.
enum CvxFileFormat : int32_t {
  Bmp = 1,
  Jpeg = 2,
  Png = 3,
  Tiff = 4,
  Gif = 5,
  Raw = 6,
  Pnm = 7,
  Psd = 8,
  WebP = 9,
  Heif = 10,
};

// The type code for a channel count and channel width; 0 for any other combination.
constexpr int32_t ImageTypeFor(int channels, int bytesPerChannel) {
  if (bytesPerChannel != 1 && bytesPerChannel != 2) return 0;
  switch (channels) {
    case 1: return bytesPerChannel == 1 ? Gray8 : Gray16;
    case 3: return bytesPerChannel == 1 ? Color8 : Color16;
    case 4: return bytesPerChannel == 1 ? Alpha8 : Alpha16;
    default: return 0;
  }
}

template <typename T>
struct CvxGrayT {
  using Channel = T;
  static constexpr int kChannels = 1;
  T c[1] = {};
};

template <typename T>
struct CvxColorT {
  using Channel = T;
  static constexpr int kChannels = 3;
  T c[3] = {};  // blue, green, red

  CvxColorT() = default;
  CvxColorT(T blue, T green, T red) : c{blue, green, red} {}
  // From a COLORREF: red in bits 0-7, green in 8-15, blue in 16-23.
  explicit CvxColorT(uint32_t colorRef)
    requires std::is_same_v<T, uint8_t>
      : c{static_cast<T>(colorRef >> 16), static_cast<T>(colorRef >> 8), static_cast<T>(colorRef)} {}
  T Blue() const { return c[0]; }
  T Green() const { return c[1]; }
  T Red() const { return c[2]; }
};

template <typename T>
struct CvxAlphaT {
  using Channel = T;
  static constexpr int kChannels = 4;
  T c[4] = {};  // blue, green, red, alpha

  CvxAlphaT() = default;
  CvxAlphaT(T blue, T green, T red, T alpha) : c{blue, green, red, alpha} {}
  T Blue() const { return c[0]; }
  T Green() const { return c[1]; }
  T Red() const { return c[2]; }
  T Alpha() const { return c[3]; }
};

using CvxGray8 = CvxGrayT<uint8_t>;
using CvxGray16 = CvxGrayT<uint16_t>;
using CvxColor8 = CvxColorT<uint8_t>;
using CvxColor16 = CvxColorT<uint16_t>;
using CvxAlpha8 = CvxAlphaT<uint8_t>;
using CvxAlpha16 = CvxAlphaT<uint16_t>;

static_assert(sizeof(CvxColor8) == 3 && sizeof(CvxColor16) == 6 && sizeof(CvxAlpha16) == 8 &&
              sizeof(CvxGray16) == 2);

// What the image code needs to know of a pixel type.
template <typename P>
struct PixelTraits {
  using Channel = typename P::Channel;
  static constexpr int kChannels = P::kChannels;
  static constexpr int kBytesPerChannel = static_cast<int>(sizeof(Channel));
  static constexpr int kBytesPerPixel = kChannels * kBytesPerChannel;
  static constexpr int kMax = (1 << (8 * kBytesPerChannel)) - 1;  // channel maximum
  static constexpr bool kHasAlpha = kChannels == 4;
  static constexpr bool kIsGray = kChannels == 1;
  // Bits per pixel of the bitmap form; 0 for the 16-bit types, which have none.
  static constexpr int kBitmapBits = kBytesPerChannel == 1 ? 8 * kChannels : 0;
  static constexpr int32_t kType = ImageTypeFor(kChannels, kBytesPerChannel);
};

}  // namespace glintora
