#include "core/media/video_frame.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace glintora {
namespace {

// BT.601 video range: luma 16..235, colour differences 16..240 around 128 (fixed point, 8
// fractional bits). The differences' share of each channel is worked out once for the two
// pixels that share them.
struct Chroma {
  int red;
  int green;
  int blue;
};
Chroma ChromaTerms(int u, int v) {
  const int d = u - 128;
  const int e = v - 128;
  return {409 * e + 128, -100 * d - 208 * e + 128, 516 * d + 128};
}
// Clamping by table: before clamping, a channel lies between (-16 × 298 - 516 × 128 + 128) / 256
// and (239 × 298 + 516 × 127 + 128) / 256, rounded down: -277 to 534.
constexpr int kClampOffset = 384;
constexpr std::array<uint8_t, 1024> kClampTable = [] {
  std::array<uint8_t, 1024> table{};
  for (int i = 0; i < 1024; ++i) {
    table[static_cast<size_t>(i)] = static_cast<uint8_t>(std::clamp(i - kClampOffset, 0, 255));
  }
  return table;
}();
uint32_t ClampByTable(int v) { return kClampTable[static_cast<size_t>(v + kClampOffset)]; }

uint32_t YuvToRgb(int y, const Chroma& chroma) {
  const int c = (y - 16) * 298;
  return ClampByTable((c + chroma.red) >> 8) << 16 | ClampByTable((c + chroma.green) >> 8) << 8 |
         ClampByTable((c + chroma.blue) >> 8);
}

}  // namespace

bool ConvertVideoFrame(ReaderPixelLayout layout, const uint8_t* data, size_t size, int width, int height, int stride,
                       int planeRows, VideoFrame& frame) {
  if (!data || width <= 0 || height <= 0) return false;
  const size_t pitch = static_cast<size_t>(std::abs(stride));
  const size_t w = static_cast<size_t>(width);
  const size_t h = static_cast<size_t>(height);
  if (layout == ReaderPixelLayout::Rgb32) {
    if (pitch < w * 4 || size < pitch * (h - 1) + w * 4) return false;
  } else {
    const size_t rows = static_cast<size_t>(std::max(planeRows, height));
    const size_t chromaRows = (h + 1) / 2;
    if (pitch < w || size < pitch * rows + pitch * (chromaRows - 1) + ((w + 1) / 2) * 2) return false;
  }
  // The frame's own buffer is reused: the movie window converts into the same frames over and over.
  std::vector<uint32_t>& pixels = frame.pixels;
  pixels.resize(w * h);
  if (layout == ReaderPixelLayout::Rgb32) {
    for (size_t row = 0; row < h; ++row) {
      const size_t stored = stride < 0 ? h - 1 - row : row;
      const uint8_t* p = data + stored * pitch;
      for (size_t x = 0; x < w; ++x, p += 4) {
        pixels[row * w + x] = static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
      }
    }
  } else {
    const uint8_t* chroma = data + pitch * static_cast<size_t>(std::max(planeRows, height));
    for (size_t row = 0; row < h; ++row) {
      const uint8_t* luma = data + row * pitch;
      const uint8_t* uv = chroma + (row / 2) * pitch;
      uint32_t* out = &pixels[row * w];
      for (size_t x = 0; x < w; x += 2) {
        const Chroma terms = ChromaTerms(uv[x], uv[x + 1]);
        out[x] = YuvToRgb(luma[x], terms);
        if (x + 1 < w) out[x + 1] = YuvToRgb(luma[x + 1], terms);
      }
    }
  }
  frame.width = width;
  frame.height = height;
  return true;
}

}  // namespace glintora
