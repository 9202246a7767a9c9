#pragma once
// Writes Windows icon files (.ico) from 32-bit images.
//
// File layout, all numbers little-endian:
//   ICONDIR       reserved u16 = 0, type u16 = 1, count u16
//   ICONDIRENTRY  per image: width u8, height u8 (0 means 256), colours u8 = 0, reserved u8,
//                 planes u16 = 1, bits u16 = 32, bytes u32, offset u32
//   images        per image: BITMAPINFOHEADER (40 bytes, height doubled for the mask),
//                 BGRA rows bottom-up, then the 1-bit AND mask rows bottom-up, each row
//                 padded to 4 bytes

#include <cstdint>
#include <string>
#include <vector>

namespace glintora::artwork {

struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 0;
};

struct IconImage {
  int size = 0;              // width and height, 1..256
  std::vector<Rgba> pixels;  // size × size, top row first
};

// Writes the icons to `path`; false when the file cannot be written.
bool WriteIcon(const std::string& path, const std::vector<IconImage>& images);

}  // namespace glintora::artwork
