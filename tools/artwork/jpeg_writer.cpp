#include "jpeg_writer.h"

#include <cstdio>
#include <cstring>

#include "core/media/jpeg_encoder.h"

namespace glintora::artwork {

bool WriteJpeg(const std::string& path, int width, int height, const std::vector<Rgb>& pixels, int quality) {
  if (width <= 0 || height <= 0 || pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height)) {
    return false;
  }
  static_assert(sizeof(Rgb) == 3, "rows are copied as packed RGB");
  const auto rows = [&](int y, uint8_t* row) {
    std::memcpy(row, &pixels[static_cast<size_t>(y) * static_cast<size_t>(width)], static_cast<size_t>(width) * 3);
  };
  const std::vector<uint8_t> jpeg = glintora::EncodeJpeg(width, height, rows, quality);
  if (jpeg.empty()) return false;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(jpeg.data(), 1, jpeg.size(), file) == jpeg.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace glintora::artwork
