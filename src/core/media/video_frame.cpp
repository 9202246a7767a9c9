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

void TurnVideoFrame(const VideoFrame& stored, int degrees, VideoFrame& shown) {
  const size_t w = static_cast<size_t>(std::max(stored.width, 0));
  const size_t h = static_cast<size_t>(std::max(stored.height, 0));
  const bool sideways = degrees == 90 || degrees == 270;
  shown.width = sideways ? stored.height : stored.width;
  shown.height = sideways ? stored.width : stored.height;
  shown.time = stored.time;
  shown.pixels.resize(w * h);
  const uint32_t* in = stored.pixels.data();
  uint32_t* out = shown.pixels.data();
  // Row by row of the shown frame; (x, y) is where the shown pixel (column, row) was stored.
  switch (degrees) {
    case 90:  // the stored left column becomes the top row, read bottom-up
      for (size_t row = 0; row < w; ++row) {
        for (size_t column = 0; column < h; ++column) out[row * h + column] = in[(h - 1 - column) * w + row];
      }
      break;
    case 180: std::reverse_copy(in, in + w * h, out); break;
    case 270:  // the stored right column becomes the top row, read top-down
      for (size_t row = 0; row < w; ++row) {
        for (size_t column = 0; column < h; ++column) out[row * h + column] = in[column * w + (w - 1 - row)];
      }
      break;
    default: std::copy(in, in + w * h, out); break;
  }
}

}  // namespace glintora
