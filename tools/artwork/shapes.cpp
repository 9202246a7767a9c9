#include "shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace glintora::artwork {

Colour Mix(Colour a, Colour b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Colour Over(Colour top, Colour bottom) {
  const float a = top.a + bottom.a * (1 - top.a);
  if (a <= 0) return {0, 0, 0, 0};
  auto channel = [&](float t, float b) { return (t * top.a + b * bottom.a * (1 - top.a)) / a; };
  return {channel(top.r, bottom.r), channel(top.g, bottom.g), channel(top.b, bottom.b), a};
}

float RoundedBox(float x, float y, float cx, float cy, float hx, float hy, float r) {
  const float qx = std::fabs(x - cx) - hx + r;
  const float qy = std::fabs(y - cy) - hy + r;
  const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
  return outside + std::min(std::max(qx, qy), 0.0f) - r;
}

Colour SamplePixel(const Design& design, int px, int py, float scaleX, float scaleY) {
  constexpr int kSub = 4;
  Colour sum{0, 0, 0, 0};
  for (int sy = 0; sy < kSub; ++sy) {
    for (int sx = 0; sx < kSub; ++sx) {
      const Colour c = design((px + (sx + 0.5f) / kSub) / scaleX, (py + (sy + 0.5f) / kSub) / scaleY);
      sum = {sum.r + c.r * c.a, sum.g + c.g * c.a, sum.b + c.b * c.a, sum.a + c.a};
    }
  }
  if (sum.a <= 0) return Colour{0, 0, 0, 0};
  return Colour{sum.r / sum.a, sum.g / sum.a, sum.b / sum.a, sum.a / (kSub * kSub)};
}

IconImage Render(int size, const Design& design) {
  const int width = size;
  const int height = size;
  IconImage image{size, std::vector<Rgba>(static_cast<size_t>(width * height))};
  for (int py = 0; py < height; ++py) {
    for (int px = 0; px < width; ++px) {
      const Colour c = SamplePixel(design, px, py, static_cast<float>(width), static_cast<float>(height));
      Rgba& out = image.pixels[static_cast<size_t>(py * width + px)];
      if (c.a > 0) {
        out.r = static_cast<uint8_t>(std::lround(255 * std::clamp(c.r, 0.0f, 1.0f)));
        out.g = static_cast<uint8_t>(std::lround(255 * std::clamp(c.g, 0.0f, 1.0f)));
        out.b = static_cast<uint8_t>(std::lround(255 * std::clamp(c.b, 0.0f, 1.0f)));
      }
      out.a = static_cast<uint8_t>(std::lround(255 * c.a));
    }
  }
  return image;
}

}  // namespace glintora::artwork
