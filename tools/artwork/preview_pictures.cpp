#include "preview_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace glintora::artwork {
namespace {

Colour Opaque(float r, float g, float b) { return {r, g, b, 1}; }

// A value in [0, 1) that looks random but is fixed for a grid cell.
float CellNoise(int x, int y, int seed) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
               static_cast<uint32_t>(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return static_cast<float>(h & 0xFFFFFF) / 16777216.0f;
}

// ---- Picture A --------------------------------------------------------------------------

constexpr float kLakeLine = 0.62f;

float FarRidge(float x) { return 0.46f + 0.045f * std::sin(x * 9.0f + 1.0f) + 0.025f * std::sin(x * 23.0f); }
float NearRidge(float x) {
  return 0.58f - 0.16f * std::max(0.0f, 1.0f - std::fabs(x - 0.27f) * 3.4f) -
         0.07f * std::max(0.0f, 1.0f - std::fabs(x - 0.86f) * 5.0f) + 0.012f * std::sin(x * 37.0f);
}

// A pine's silhouette at `cx` standing on `base` with height `h`.
bool Pine(float x, float y, float cx, float base, float h) {
  if (y > base || y < base - h) return false;
  const float t = (y - (base - h)) / h;  // 0 at the tip
  const float tiers = 0.35f + 0.65f * std::fmod(t * 3.0f, 1.0f);
  return std::fabs(x - cx) < 0.035f * t * tiers + 0.002f;
}

// The scene above the water line, also what the lake mirrors.
Colour DuskAbove(float x, float y) {
  const float v = std::clamp(y / kLakeLine, 0.0f, 1.0f);
  Colour c = v < 0.55f ? Mix(Opaque(0.22f, 0.17f, 0.45f), Opaque(0.84f, 0.42f, 0.55f), v / 0.55f)
                       : Mix(Opaque(0.84f, 0.42f, 0.55f), Opaque(1.0f, 0.66f, 0.34f), (v - 0.55f) / 0.45f);
  const float sun = std::hypot((x - 0.66f) * 1.33f, y - 0.47f);
  c = Mix(c, Opaque(1.0f, 0.86f, 0.58f), 0.55f * std::exp(-sun * 9.0f));
  if (sun < 0.075f) c = Opaque(1.0f, 0.93f, 0.66f);
  if (y > FarRidge(x)) c = Mix(Opaque(0.52f, 0.32f, 0.52f), Opaque(0.62f, 0.40f, 0.55f), (y - FarRidge(x)) * 6.0f);
  if (y > NearRidge(x)) c = Opaque(0.25f, 0.16f, 0.32f);
  for (const float pine : {0.04f, 0.085f, 0.12f, 0.16f, 0.80f, 0.845f, 0.90f, 0.95f}) {
    const float height = 0.09f + 0.06f * CellNoise(static_cast<int>(pine * 100), 1, 7);
    if (Pine(x, y, pine, kLakeLine + 0.01f, height)) c = Opaque(0.09f, 0.08f, 0.15f);
  }
  return c;
}

// ---- Picture B --------------------------------------------------------------------------

constexpr float kSeaLine = 0.45f;

float BackHill(float x) { return 0.58f + 0.05f * std::cos((x - 0.72f) * 4.0f); }
float FrontHill(float x) { return 0.70f + 0.09f * std::cos((x - 0.25f) * 3.2f); }

bool Cloud(float x, float y, float cx, float cy, float size) {
  const float dx = (x - cx) / size;
  const float dy = (y - cy) / size;
  if (dy > 0.25f) return false;  // flat bottoms
  return std::hypot(dx, dy) < 0.5f || std::hypot(dx - 0.45f, dy - 0.1f) < 0.35f ||
         std::hypot(dx + 0.48f, dy - 0.12f) < 0.32f || std::hypot(dx - 0.15f, dy + 0.3f) < 0.33f;
}

}  // namespace

Design LakeAtDuskDesign() {
  return [](float x, float y) -> Colour {
    if (y <= kLakeLine) return DuskAbove(x, y);
    // The lake mirrors the dusk, darker and bluer, broken by ripples that grow nearer.
    const float depth = (y - kLakeLine) / (1.0f - kLakeLine);
    const float ripple = (0.002f + 0.012f * depth) * std::sin(y * 420.0f + std::sin(x * 13.0f) * 2.0f);
    Colour c = DuskAbove(x + ripple, 2 * kLakeLine - y + 0.01f);
    c = Mix(c, Opaque(0.16f, 0.14f, 0.34f), 0.28f + 0.35f * depth);
    if (std::fabs(std::sin(y * 260.0f + x * 3.0f)) > 0.985f && std::fabs(x - 0.66f) < 0.12f * (1 - depth) + 0.02f) {
      c = Mix(c, Opaque(1.0f, 0.88f, 0.60f), 0.7f);  // the sun's glitter
    }
    if (y > 0.93f - 0.025f * std::sin(x * 7.0f + 0.5f)) c = Opaque(0.11f, 0.09f, 0.13f);  // the near shore
    return c;
  };
}

Design MeadowBySeaDesign() {
  return [](float x, float y) -> Colour {
    Colour c;
    if (y < kSeaLine) {
      c = Mix(Opaque(0.22f, 0.48f, 0.86f), Opaque(0.70f, 0.86f, 0.98f), y / kSeaLine);
      if (Cloud(x, y, 0.24f, 0.16f, 0.16f) || Cloud(x, y, 0.70f, 0.10f, 0.12f) || Cloud(x, y, 0.93f, 0.27f, 0.09f)) {
        c = Mix(Opaque(1.0f, 1.0f, 1.0f), Opaque(0.84f, 0.88f, 0.94f), std::clamp((y - 0.08f) * 4.0f, 0.0f, 1.0f));
      }
    } else {
      const float v = (y - kSeaLine) / 0.2f;
      c = Mix(Opaque(0.12f, 0.42f, 0.68f), Opaque(0.18f, 0.62f, 0.72f), std::clamp(v, 0.0f, 1.0f));
      if (std::fabs(std::sin(x * 90.0f + y * 400.0f)) > 0.97f) c = Mix(c, Opaque(0.9f, 0.97f, 1.0f), 0.6f);
      // A sail on the sea.
      const float boat = 0.33f;
      if (y > 0.47f && y < 0.49f && std::fabs(x - boat) < 0.03f - (y - 0.47f)) c = Opaque(0.45f, 0.18f, 0.12f);
      if (y > 0.39f && y <= 0.47f && x > boat - 0.001f && x < boat + (y - 0.39f) * 0.35f) {
        c = Opaque(0.98f, 0.96f, 0.90f);
      }
    }
    if (y > BackHill(x)) c = Mix(Opaque(0.50f, 0.74f, 0.32f), Opaque(0.40f, 0.64f, 0.26f), (y - BackHill(x)) * 8.0f);
    // The tree stands on the back hill.
    const float tx = 0.72f;
    const float ground = BackHill(tx);
    if (std::fabs(x - tx) < 0.012f && y > ground - 0.14f && y < ground + 0.01f) c = Opaque(0.36f, 0.24f, 0.14f);
    const float crown = std::min({std::hypot((x - tx) * 1.33f, y - (ground - 0.20f)) / 0.09f,
                                  std::hypot((x - tx + 0.05f) * 1.33f, y - (ground - 0.15f)) / 0.065f,
                                  std::hypot((x - tx - 0.05f) * 1.33f, y - (ground - 0.15f)) / 0.065f});
    if (crown < 1.0f) {
      const float light = std::clamp(0.5f - (y - (ground - 0.24f)) * 3.0f - (x - tx) * 2.0f, 0.0f, 1.0f);
      c = Mix(Opaque(0.12f, 0.36f, 0.14f), Opaque(0.30f, 0.58f, 0.22f), light);
    }
    if (y > FrontHill(x)) {
      const float v = (y - FrontHill(x)) / (1.0f - FrontHill(x));
      c = Mix(Opaque(0.36f, 0.66f, 0.24f), Opaque(0.20f, 0.46f, 0.16f), std::clamp(v, 0.0f, 1.0f));
      // Flowers, one or none per small cell.
      constexpr float kCell = 0.028f;
      const int cx = static_cast<int>(std::floor(x / kCell));
      const int cy = static_cast<int>(std::floor(y / kCell));
      if (CellNoise(cx, cy, 1) < 0.45f) {
        const float fx = (cx + 0.2f + 0.6f * CellNoise(cx, cy, 2)) * kCell;
        const float fy = (cy + 0.2f + 0.6f * CellNoise(cx, cy, 3)) * kCell;
        if (std::hypot((x - fx) * 1.33f, y - fy) < 0.006f + 0.004f * v) {
          const float kind = CellNoise(cx, cy, 4);
          c = kind < 0.4f ? Opaque(0.92f, 0.20f, 0.22f) : kind < 0.75f ? Opaque(1.0f, 0.85f, 0.20f)
                                                          : Opaque(0.98f, 0.97f, 0.95f);
        }
      }
    }
    return c;
  };
}

std::vector<Rgb> RenderPicture(int width, int height, const Design& design) {
  std::vector<Rgb> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  constexpr int kSub = 3;
  for (int py = 0; py < height; ++py) {
    for (int px = 0; px < width; ++px) {
      float r = 0, g = 0, b = 0;
      for (int sy = 0; sy < kSub; ++sy) {
        for (int sx = 0; sx < kSub; ++sx) {
          const Colour c = design((px + (sx + 0.5f) / kSub) / width, (py + (sy + 0.5f) / kSub) / height);
          r += c.r;
          g += c.g;
          b += c.b;
        }
      }
      const auto level = [](float sum) {
        return static_cast<uint8_t>(std::lround(255 * std::clamp(sum / (kSub * kSub), 0.0f, 1.0f)));
      };
      pixels[static_cast<size_t>(py) * width + px] = {level(r), level(g), level(b)};
    }
  }
  return pixels;
}

}  // namespace glintora::artwork
