#pragma once
// Writes 8-bit grey Windows bitmap files (.bmp) for the picture resources.
//
// File layout, all numbers little-endian:
//   BITMAPFILEHEADER  'B' 'M', file bytes u32, reserved u16 × 2 = 0, offset of the rows u32
//   BITMAPINFOHEADER  size u32 = 40, width i32, height i32 (positive: rows bottom-up),
//                     planes u16 = 1, bits u16 = 8, compression u32 = 0, row bytes u32,
//                     x and y pixels per metre i32 = 2835, colours used u32 = 256,
//                     important u32 = 0
//   palette           256 × (blue, green, red, 0) with entry i = (i, i, i)
//   rows              bottom row first, each padded to 4 bytes

#include <cstdint>
#include <string>
#include <vector>

namespace glintora::artwork {

// Writes a width × height grey picture (`grey` holds its rows top first) to `path`;
// false when the file cannot be written or the sizes do not match.
bool WriteGreyBitmap(const std::string& path, int width, int height, const std::vector<uint8_t>& grey);

}  // namespace glintora::artwork
