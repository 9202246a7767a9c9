#include "bitmap_writer.h"

#include <fstream>

#include "little_endian.h"

namespace glintora::artwork {

bool WriteGreyBitmap(const std::string& path, int width, int height, const std::vector<uint8_t>& grey) {
  if (width <= 0 || height <= 0 || grey.size() != static_cast<size_t>(width) * static_cast<size_t>(height)) {
    return false;
  }
  constexpr uint32_t kHeaders = 14 + 40;
  constexpr uint32_t kPalette = 256 * 4;
  const uint32_t stride = (static_cast<uint32_t>(width) + 3) & ~3u;
  const uint32_t rowBytes = stride * static_cast<uint32_t>(height);

  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, kHeaders + kPalette + rowBytes);
  Put32(out, 0);
  Put32(out, kHeaders + kPalette);

  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(width));
  Put32(out, static_cast<uint32_t>(height));
  Put16(out, 1);
  Put16(out, 8);
  Put32(out, 0);
  Put32(out, rowBytes);
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, 256);
  Put32(out, 0);

  for (uint32_t i = 0; i < 256; ++i) Put32(out, i | i << 8 | i << 16);
  for (int y = height - 1; y >= 0; --y) {
    const uint8_t* row = grey.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
    out.insert(out.end(), row, row + width);
    out.resize(out.size() + (stride - static_cast<uint32_t>(width)), 0);
  }

  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return static_cast<bool>(file);
}

}  // namespace glintora::artwork
