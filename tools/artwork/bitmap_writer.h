#pragma once
// Writes Windows bitmap files (.bmp) for the picture resources: 8-bit grey and 24-bit colour.
//
// File layout, all numbers little-endian:
//   BITMAPFILEHEADER  'B' 'M', file bytes u32, reserved u16 × 2 = 0, offset of the rows u32
//   BITMAPINFOHEADER  size u32 = 40, width i32, height i32 (positive: rows bottom-up),
//                     planes u16 = 1, bits u16 = 8 or 24, compression u32 = 0, row bytes u32,
//                     x and y pixels per metre i32 = 2835, colours used u32 = 256 or 0,
//                     important u32 = 0
//   palette           8-bit only: 256 × (blue, green, red, 0) with entry i = (i, i, i)
//   rows              bottom row first, each padded to 4 bytes; 24-bit pixels are
//                     (blue, green, red)

#include <cstdint>
#include <string>
#include <vector>

namespace glintora::artwork {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
};

// Writes a width × height grey picture (`grey` holds its rows top first) to `path`;
// false when the file cannot be written or the sizes do not match.
bool WriteGreyBitmap(const std::string& path, int width, int height, const std::vector<uint8_t>& grey);
// The same for a colour picture.
bool WriteColourBitmap(const std::string& path, int width, int height, const std::vector<Rgb>& pixels);

}  // namespace glintora::artwork
