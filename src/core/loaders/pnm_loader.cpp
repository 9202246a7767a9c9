// File layout: the magic "P5" (grey) or "P6" (red-green-blue), then three decimal numbers
// (width, height, maximum sample value) separated by whitespace and "#" comments that run
// to the end of their line, one whitespace byte, and the raster: rows top first, samples of
// one byte, or two bytes big-endian when the maximum value is 256 or more.

#include "core/loaders/pnm_loader.h"

#include <cstring>
#include <utility>

#include "core/base/byte_source.h"

namespace glintora {
namespace {

constexpr size_t kMagicSize = 2;
constexpr int kLargestSample = 65535;

struct PnmHeader {
  bool colour = false;
  int32_t width = 0;
  int32_t height = 0;
  int32_t maximum = 0;
};

// 'P' and '5' or '6'; the colour flag tells them apart.
bool IsMagic(const uint8_t* bytes, bool& colour) {
  if (bytes[0] != 'P' || (bytes[1] != '5' && bytes[1] != '6')) return false;
  colour = bytes[1] == '6';
  return true;
}

// After a "#": skips to the line feed or carriage return that ends the comment and returns
// it (EOF when the file ends first).
int SkipComment(ByteSource& source) {
  int c = 0;
  do {
    c = source.Get();
  } while (c != '\n' && c != '\r' && c != EOF);
  return c;
}

bool IsDigit(int c) { return c >= '0' && c <= '9'; }

// One header number: whitespace and comments before it are skipped, a comment inside it
// ends it, and the byte after its last digit is consumed. -1 when something else comes
// first, or when the number does not fit in 31 bits.
int32_t ReadNumber(ByteSource& source) {
  int c = source.Get();
  for (;;) {
    if (c == '#') c = SkipComment(source);
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') break;
    c = source.Get();
  }
  if (!IsDigit(c)) return -1;
  int64_t value = 0;
  while (IsDigit(c)) {
    value = value * 10 + (c - '0');
    if (value > INT32_MAX) return -1;
    c = source.Get();
    if (c == '#') c = SkipComment(source);
  }
  return static_cast<int32_t>(value);
}

// The magic and the three numbers from the start of the source; false for anything else.
// The source is left at the first raster byte.
bool ReadHeader(ByteSource& source, PnmHeader& h) {
  uint8_t magic[kMagicSize];
  if (!source.Seek(0) || source.Read(magic, sizeof magic) != sizeof magic || !IsMagic(magic, h.colour)) return false;
  h.width = ReadNumber(source);
  h.height = ReadNumber(source);
  h.maximum = ReadNumber(source);
  return h.width >= 0 && h.height >= 0 && h.maximum >= 1 && h.maximum <= kLargestSample;
}

int32_t ResultType(const PnmHeader& h) { return ImageTypeFor(h.colour ? 3 : 1, h.maximum < 256 ? 1 : 2); }

template <typename P>
std::unique_ptr<CvxImage> ReadRaster(ByteSource& source, const PnmHeader& h) {
  using Traits = PixelTraits<P>;
  const size_t rowBytes = static_cast<size_t>(h.width) * Traits::kBytesPerPixel;
  // The whole raster must be in the file before its pixels are allocated; the caller has
  // checked that the picture's size is one an image may hold.
  const int64_t left = source.Left();
  if (left < 0 || static_cast<uint64_t>(left) < uint64_t{rowBytes} * static_cast<uint64_t>(h.height)) return nullptr;
  auto image = NewImage<P>(h.width, h.height, true);
  if (!image) return nullptr;
  for (int y = 0; y < h.height; ++y) {
    auto* row = reinterpret_cast<uint8_t*>(image->Row(y));
    if (source.Read(row, rowBytes) != rowBytes) return nullptr;
    if constexpr (Traits::kBytesPerChannel == 2) {
      for (size_t i = 0; i < rowBytes; i += 2) std::swap(row[i], row[i + 1]);
    }
  }
  image->SwapRedBlue();  // the file's red-green-blue into blue-green-red
  return image;
}

}  // namespace

bool CvxLoaderPNM::Recognises(std::span<const uint8_t> head) {
  bool colour = false;
  return head.size() >= kMagicSize && IsMagic(head.data(), colour);
}

CvxImageHeader CvxLoaderPNM::ReadInfo(ByteSource& source) {
  PnmHeader h;
  if (!ReadHeader(source, h)) return {};
  return CvxImageHeader(h.width, h.height, Pnm, ResultType(h));
}

std::unique_ptr<CvxImage> CvxLoaderPNM::Decode(ByteSource& source, const LoadOptions& /*options*/) {
  PnmHeader h;
  if (!ReadHeader(source, h) || h.width == 0 || h.height == 0) return nullptr;
  const int32_t type = ResultType(h);
  if (!ImageOfTypeFits(type, h.width, h.height)) return nullptr;
  std::unique_ptr<CvxImage> image;
  VisitPixelType(type, [&](auto pixel) { image = ReadRaster<decltype(pixel)>(source, h); });
  if (image) image->m_format = Pnm;
  return image;
}

}  // namespace glintora
