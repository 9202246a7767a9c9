#include "bitmap_writer.h"

#include <fstream>

#include "little_endian.h"

namespace glintora::artwork {
namespace {

// Both headers and the palette; `rowBytes` is the padded size of one row.
std::vector<uint8_t> Headers(int width, int height, int bits, uint32_t rowBytes) {
  const uint32_t palette = bits == 8 ? 256 * 4 : 0;
  constexpr uint32_t kHeaders = 14 + 40;
  const uint32_t pixelBytes = rowBytes * static_cast<uint32_t>(height);
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, kHeaders + palette + pixelBytes);
  Put32(out, 0);
  Put32(out, kHeaders + palette);

  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(width));
  Put32(out, static_cast<uint32_t>(height));
  Put16(out, 1);
  Put16(out, static_cast<uint32_t>(bits));
  Put32(out, 0);
  Put32(out, pixelBytes);
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, bits == 8 ? 256 : 0);
  Put32(out, 0);
  if (bits == 8) {
    for (uint32_t i = 0; i < 256; ++i) Put32(out, i | i << 8 | i << 16);
  }
  return out;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

bool SizesMatch(int width, int height, size_t count) {
  return width > 0 && height > 0 && count == static_cast<size_t>(width) * static_cast<size_t>(height);
}

}  // namespace

bool WriteGreyBitmap(const std::string& path, int width, int height, const std::vector<uint8_t>& grey) {
  if (!SizesMatch(width, height, grey.size())) return false;
  const uint32_t stride = (static_cast<uint32_t>(width) + 3) & ~3u;
  std::vector<uint8_t> out = Headers(width, height, 8, stride);
  for (int y = height - 1; y >= 0; --y) {
    const uint8_t* row = grey.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
    out.insert(out.end(), row, row + width);
    out.resize(out.size() + (stride - static_cast<uint32_t>(width)), 0);
  }
  return WriteFile(path, out);
}

bool WriteColourBitmap(const std::string& path, int width, int height, const std::vector<Rgb>& pixels) {
  if (!SizesMatch(width, height, pixels.size())) return false;
  const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  std::vector<uint8_t> out = Headers(width, height, 24, stride);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const Rgb& p = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
      out.insert(out.end(), {p.b, p.g, p.r});
    }
    out.resize(out.size() + (stride - static_cast<uint32_t>(width) * 3), 0);
  }
  return WriteFile(path, out);
}

}  // namespace glintora::artwork
