#include "core/media/video_frame.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace glintora {
namespace {

uint32_t Clamp8(int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); }

// BT.601 video range: luma 16..235, colour differences 16..240 around 128 (fixed point, 8
// fractional bits).
uint32_t YuvToRgb(int y, int u, int v) {
  const int c = (y - 16) * 298;
  const int d = u - 128;
  const int e = v - 128;
  const uint32_t r = Clamp8((c + 409 * e + 128) >> 8);
  const uint32_t g = Clamp8((c - 100 * d - 208 * e + 128) >> 8);
  const uint32_t b = Clamp8((c + 516 * d + 128) >> 8);
  return r << 16 | g << 8 | b;
}

}  // namespace

bool ConvertVideoFrame(ReaderPixelLayout layout, const uint8_t* data, size_t size, int width, int height, int stride,
                       int planeRows, VideoFrame& frame) {
  if (!data || width <= 0 || height <= 0) return false;
  const size_t pitch = static_cast<size_t>(std::abs(stride));
  const size_t w = static_cast<size_t>(width);
  const size_t h = static_cast<size_t>(height);
  std::vector<uint32_t> pixels(w * h);
  if (layout == ReaderPixelLayout::Rgb32) {
    if (pitch < w * 4 || size < pitch * (h - 1) + w * 4) return false;
    for (size_t row = 0; row < h; ++row) {
      const size_t stored = stride < 0 ? h - 1 - row : row;
      const uint8_t* p = data + stored * pitch;
      for (size_t x = 0; x < w; ++x, p += 4) {
        pixels[row * w + x] = static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
      }
    }
  } else {
    const size_t rows = static_cast<size_t>(std::max(planeRows, height));
    const size_t chromaRows = (h + 1) / 2;
    if (pitch < w || size < pitch * rows + pitch * (chromaRows - 1) + ((w + 1) / 2) * 2) return false;
    const uint8_t* chroma = data + pitch * rows;
    for (size_t row = 0; row < h; ++row) {
      const uint8_t* luma = data + row * pitch;
      const uint8_t* uv = chroma + (row / 2) * pitch;
      for (size_t x = 0; x < w; ++x) {
        const uint8_t* pair = uv + (x / 2) * 2;
        pixels[row * w + x] = YuvToRgb(luma[x], pair[0], pair[1]);
      }
    }
  }
  frame.width = width;
  frame.height = height;
  frame.pixels = std::move(pixels);
  return true;
}

}  // namespace glintora
