#include "icon_writer.h"

#include <fstream>

#include "little_endian.h"

namespace glintora::artwork {
namespace {

std::vector<uint8_t> EncodeImage(const IconImage& image) {
  const int n = image.size;
  std::vector<uint8_t> out;
  // BITMAPINFOHEADER
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(n));
  Put32(out, static_cast<uint32_t>(2 * n));  // colour rows and mask rows
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, 0);  // BI_RGB
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = n - 1; y >= 0; --y) {
    for (int x = 0; x < n; ++x) {
      const Rgba& p = image.pixels[static_cast<size_t>(y * n + x)];
      out.insert(out.end(), {p.b, p.g, p.r, p.a});
    }
  }
  const int maskStride = ((n + 31) / 32) * 4;
  for (int y = n - 1; y >= 0; --y) {
    std::vector<uint8_t> row(static_cast<size_t>(maskStride), 0);
    for (int x = 0; x < n; ++x) {
      if (image.pixels[static_cast<size_t>(y * n + x)].a == 0) row[static_cast<size_t>(x / 8)] |= 0x80 >> (x % 8);
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace

bool WriteIcon(const std::string& path, const std::vector<IconImage>& images) {
  std::vector<uint8_t> file;
  Put16(file, 0);
  Put16(file, 1);
  Put16(file, static_cast<uint32_t>(images.size()));
  std::vector<std::vector<uint8_t>> encoded;
  for (const IconImage& image : images) encoded.push_back(EncodeImage(image));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    const uint8_t side = images[i].size >= 256 ? 0 : static_cast<uint8_t>(images[i].size);
    file.insert(file.end(), {side, side, 0, 0});
    Put16(file, 1);
    Put16(file, 32);
    Put32(file, static_cast<uint32_t>(encoded[i].size()));
    Put32(file, offset);
    offset += static_cast<uint32_t>(encoded[i].size());
  }
  for (const auto& bytes : encoded) file.insert(file.end(), bytes.begin(), bytes.end());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  return static_cast<bool>(out);
}

}  // namespace glintora::artwork
