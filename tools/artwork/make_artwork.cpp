// Generates the program's artwork at build time.
//   usage: make_artwork OUTPUT_FOLDER
// Writes glintora.ico: a rounded photo frame holding a sunset over two hills, at 16, 32, 48
// and 256 pixels, drawn with 4×4 supersampling.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "icon_writer.h"

namespace {

using glintora::artwork::IconImage;
using glintora::artwork::Rgba;

struct Colour {
  float r, g, b, a;
};

Colour Mix(Colour a, Colour b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

// Signed distance to a rounded square of half-side h and corner radius r centred at 0.5.
float RoundedSquare(float x, float y, float h, float r) {
  const float qx = std::fabs(x - 0.5f) - h + r;
  const float qy = std::fabs(y - 0.5f) - h + r;
  const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
  return outside + std::min(std::max(qx, qy), 0.0f) - r;
}

// The design in unit coordinates (y down).
Colour Sample(float x, float y) {
  const Colour none{0, 0, 0, 0};
  const Colour frame{0.93f, 0.91f, 0.86f, 1};
  if (RoundedSquare(x, y, 0.47f, 0.12f) > 0) return none;
  if (RoundedSquare(x, y, 0.38f, 0.05f) > 0) return frame;
  // Sky: deep blue above, warm glow at the horizon.
  Colour c = Mix({0.10f, 0.16f, 0.42f, 1}, {0.98f, 0.62f, 0.30f, 1}, std::clamp((y - 0.12f) / 0.55f, 0.0f, 1.0f));
  const float sunX = 0.62f, sunY = 0.50f;
  if (std::hypot(x - sunX, y - sunY) < 0.13f) c = {1.0f, 0.86f, 0.42f, 1};
  const float backHill = 0.70f - 0.10f * std::cos((x - 0.25f) * 5.0f);
  if (y > backHill) c = {0.20f, 0.36f, 0.30f, 1};
  const float frontHill = 0.78f - 0.08f * std::cos((x - 0.75f) * 6.0f);
  if (y > frontHill) c = {0.09f, 0.22f, 0.17f, 1};
  return c;
}

IconImage Render(int size) {
  IconImage image{size, std::vector<Rgba>(static_cast<size_t>(size * size))};
  constexpr int kSub = 4;
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px) {
      Colour sum{0, 0, 0, 0};
      for (int sy = 0; sy < kSub; ++sy) {
        for (int sx = 0; sx < kSub; ++sx) {
          const Colour c = Sample((px + (sx + 0.5f) / kSub) / size, (py + (sy + 0.5f) / kSub) / size);
          sum = {sum.r + c.r * c.a, sum.g + c.g * c.a, sum.b + c.b * c.a, sum.a + c.a};
        }
      }
      Rgba& out = image.pixels[static_cast<size_t>(py * size + px)];
      const float alpha = sum.a / (kSub * kSub);
      if (alpha > 0) {
        out.r = static_cast<uint8_t>(std::lround(255 * sum.r / sum.a));
        out.g = static_cast<uint8_t>(std::lround(255 * sum.g / sum.a));
        out.b = static_cast<uint8_t>(std::lround(255 * sum.b / sum.a));
      }
      out.a = static_cast<uint8_t>(std::lround(255 * alpha));
    }
  }
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_artwork OUTPUT_FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  if (!glintora::artwork::WriteIcon(folder + "/glintora.ico", {Render(16), Render(32), Render(48), Render(256)})) {
    std::fprintf(stderr, "make_artwork: cannot write %s/glintora.ico\n", folder.c_str());
    return 1;
  }
  return 0;
}
