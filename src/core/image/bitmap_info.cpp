#include "core/image/bitmap_info.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace glintora {

uint32_t BitmapStride(int32_t width, int bitsPerPixel) {
  const uint64_t bytes = (static_cast<uint64_t>(width) * static_cast<uint64_t>(bitsPerPixel) / 8 + 3) & ~uint64_t{3};
  return bytes > UINT32_MAX ? 0 : static_cast<uint32_t>(bytes);
}

void BitmapInfoDeleter::operator()(BitmapInfo* info) const { std::free(info); }

size_t BitmapInfoSize(const BitmapInfo& info) {
  return sizeof(BitmapInfoHeader) + (info.header.biBitCount == 8 ? 256 * sizeof(PaletteEntry) : 0);
}

BitmapInfoPtr MakeBitmapInfo(int32_t width, int32_t height, int bitsPerPixel) {
  const size_t size = sizeof(BitmapInfoHeader) + (bitsPerPixel == 8 ? 256 * sizeof(PaletteEntry) : 0);
  BitmapInfoPtr info(static_cast<BitmapInfo*>(std::calloc(1, size)));
  if (!info) return info;
  BitmapInfoHeader& h = info->header;
  h.biSize = sizeof(BitmapInfoHeader);
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<uint16_t>(bitsPerPixel);
  h.biCompression = 0;
  const uint64_t image = uint64_t{BitmapStride(width, bitsPerPixel)} * static_cast<uint64_t>(height);
  h.biSizeImage = image > UINT32_MAX ? 0 : static_cast<uint32_t>(image);
  if (bitsPerPixel == 8) {
    h.biClrUsed = 256;
    PaletteEntry* palette = Palette(*info);
    for (int i = 0; i < 256; ++i) {
      const auto v = static_cast<uint8_t>(i);
      palette[i] = {v, v, v, 0};
    }
  }
  return info;
}

BitmapInfoPtr CopyBitmapInfo(const BitmapInfo& source) {
  const size_t size = BitmapInfoSize(source);
  BitmapInfoPtr info(static_cast<BitmapInfo*>(std::malloc(size)));
  if (info) std::memcpy(info.get(), &source, size);
  return info;
}

}  // namespace glintora
