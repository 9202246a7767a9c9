#pragma once
// The bitmap info block of an 8-bit image: a device-independent bitmap header, followed for
// 8 bits per pixel by a 256-entry grey palette. The layout is the system's BITMAPINFO:
//   offset  0  biSize u32 = 40            offset 20  biSizeImage u32
//   offset  4  biWidth i32                offset 24  biXPelsPerMeter i32 = 0
//   offset  8  biHeight i32 (> 0: bottom-up)  offset 28  biYPelsPerMeter i32 = 0
//   offset 12  biPlanes u16 = 1           offset 32  biClrUsed u32 (256 for 8 bits)
//   offset 14  biBitCount u16             offset 36  biClrImportant u32 = 0
//   offset 16  biCompression u32 = 0 (BI_RGB)
//   offset 40  palette: 256 × {blue, green, red, reserved} (8 bits per pixel only)

#include <cstdint>
#include <memory>

namespace glintora {

struct BitmapInfoHeader {
  uint32_t biSize;
  int32_t biWidth;
  int32_t biHeight;
  uint16_t biPlanes;
  uint16_t biBitCount;
  uint32_t biCompression;
  uint32_t biSizeImage;
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

struct PaletteEntry {
  uint8_t blue, green, red, reserved;
};

// The header; for 8 bits per pixel 256 palette entries follow it (see Palette).
struct BitmapInfo {
  BitmapInfoHeader header;
};
inline PaletteEntry* Palette(BitmapInfo& info) { return reinterpret_cast<PaletteEntry*>(&info.header + 1); }
inline const PaletteEntry* Palette(const BitmapInfo& info) {
  return reinterpret_cast<const PaletteEntry*>(&info.header + 1);
}

// Bytes per bitmap row: width × bits / 8 rounded up to a multiple of 4. Zero when it does
// not fit the header's 32-bit fields.
uint32_t BitmapStride(int32_t width, int bitsPerPixel);

// An owned bitmap info block for a bottom-up bitmap of `bitsPerPixel` (8, 24 or 32); the
// 8-bit form carries the grey palette. The block is 40 or 40 + 1024 bytes.
struct BitmapInfoDeleter {
  void operator()(BitmapInfo* info) const;
};
using BitmapInfoPtr = std::unique_ptr<BitmapInfo, BitmapInfoDeleter>;
BitmapInfoPtr MakeBitmapInfo(int32_t width, int32_t height, int bitsPerPixel);
size_t BitmapInfoSize(const BitmapInfo& info);
BitmapInfoPtr CopyBitmapInfo(const BitmapInfo& info);

}  // namespace glintora
