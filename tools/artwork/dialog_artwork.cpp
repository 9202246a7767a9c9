#include "dialog_artwork.h"

#include <algorithm>
#include <cmath>

namespace glintora::artwork {
namespace {

const Colour kNone{0, 0, 0, 0};

// The sunset over two hills, in a picture spanning [x0, x1] × [y0, y1].
Colour Sunset(float x, float y, float x0, float y0, float x1, float y1) {
  const float u = (x - x0) / (x1 - x0);
  const float v = (y - y0) / (y1 - y0);
  Colour c = Mix({0.10f, 0.16f, 0.42f, 1}, {0.98f, 0.62f, 0.30f, 1}, std::clamp(v / 0.75f, 0.0f, 1.0f));
  if (std::hypot(u - 0.62f, v - 0.52f) < 0.17f) c = {1.0f, 0.86f, 0.42f, 1};
  if (v > 0.72f - 0.12f * std::cos((u - 0.25f) * 5.0f)) c = {0.20f, 0.36f, 0.30f, 1};
  if (v > 0.82f - 0.10f * std::cos((u - 0.75f) * 6.0f)) c = {0.09f, 0.22f, 0.17f, 1};
  return c;
}

// A four-pointed star centred at (cx, cy) with arm length `arm`.
float Glint(float x, float y, float cx, float cy, float arm) {
  const float dx = std::fabs(x - cx) / arm;
  const float dy = std::fabs(y - cy) / arm;
  // Concave star: |x|^0.5 + |y|^0.5 <= 1.
  return std::sqrt(dx) + std::sqrt(dy);
}

}  // namespace

Design AppIconDesign() {
  return [](float x, float y) -> Colour {
    const Colour frame{0.93f, 0.91f, 0.86f, 1};
    if (RoundedBox(x, y, 0.5f, 0.5f, 0.47f, 0.47f, 0.12f) > 0) return kNone;
    if (RoundedBox(x, y, 0.5f, 0.5f, 0.38f, 0.38f, 0.05f) > 0) return frame;
    // Sky: deep blue above, warm glow at the horizon.
    Colour c = Mix({0.10f, 0.16f, 0.42f, 1}, {0.98f, 0.62f, 0.30f, 1}, std::clamp((y - 0.12f) / 0.55f, 0.0f, 1.0f));
    if (std::hypot(x - 0.62f, y - 0.50f) < 0.13f) c = {1.0f, 0.86f, 0.42f, 1};
    if (y > 0.70f - 0.10f * std::cos((x - 0.25f) * 5.0f)) c = {0.20f, 0.36f, 0.30f, 1};
    if (y > 0.78f - 0.08f * std::cos((x - 0.75f) * 6.0f)) c = {0.09f, 0.22f, 0.17f, 1};
    return c;
  };
}

IconImage RenderLogo() {
  const Design logo = [](float x, float y) -> Colour {
    Colour c = kNone;
    // A framed photo, a little lower left, with a soft shadow under it.
    if (RoundedBox(x, y, 0.47f, 0.55f, 0.40f, 0.36f, 0.06f) <= 0) c = {0.35f, 0.35f, 0.35f, 0.5f};
    if (RoundedBox(x, y, 0.44f, 0.52f, 0.40f, 0.36f, 0.06f) <= 0) c = {0.97f, 0.96f, 0.93f, 1};
    if (RoundedBox(x, y, 0.44f, 0.52f, 0.33f, 0.29f, 0.02f) <= 0) c = Sunset(x, y, 0.11f, 0.23f, 0.77f, 0.81f);
    // The glint at its upper right corner, with a faint halo.
    const float star = Glint(x, y, 0.80f, 0.20f, 0.20f);
    if (star <= 1.0f) c = Over({1.0f, 0.97f, 0.70f, 1}, c);
    const float halo = std::hypot(x - 0.80f, y - 0.20f);
    if (halo < 0.09f) c = Over({1.0f, 1.0f, 1.0f, 0.8f}, c);
    return c;
  };
  IconImage image = Render(kLogoSize, logo);
  // Opaque over a dialog's light grey at the edges; the rest takes the transparent colour.
  const Colour face{0.94f, 0.94f, 0.94f, 1};
  for (Rgba& p : image.pixels) {
    if (p.a < 128) {
      p = kLogoTransparent;
      continue;
    }
    const Colour c = Over({p.r / 255.0f, p.g / 255.0f, p.b / 255.0f, p.a / 255.0f}, face);
    p = {static_cast<uint8_t>(std::lround(255 * c.r)), static_cast<uint8_t>(std::lround(255 * c.g)),
         static_cast<uint8_t>(std::lround(255 * c.b)), 255};
    if (p.r == kLogoTransparent.r && p.g == kLogoTransparent.g && p.b == kLogoTransparent.b) p.b = 127;
  }
  return image;
}

Design BannerIconDesign() {
  return [](float x, float y) -> Colour {
    if (RoundedBox(x, y, 0.5f, 0.5f, 0.46f, 0.46f, 0.16f) > 0) return kNone;
    Colour c = Mix({0.36f, 0.20f, 0.72f, 1}, {0.10f, 0.62f, 0.78f, 1}, std::clamp((x + y) / 2, 0.0f, 1.0f));
    const float r = std::hypot(x - 0.5f, y - 0.5f);
    if (r < 0.33f) c = {0.95f, 0.96f, 1.0f, 1};  // the lens's ring
    if (r < 0.26f) {
      // Glass: dark blue with a light reflection.
      c = Mix({0.05f, 0.08f, 0.22f, 1}, {0.20f, 0.35f, 0.65f, 1}, std::clamp((0.5f - y) * 2 + 0.5f, 0.0f, 1.0f));
      if (std::hypot(x - 0.42f, y - 0.42f) < 0.07f) c = {0.85f, 0.92f, 1.0f, 1};
    }
    return c;
  };
}

Design BrowseIconDesign() {
  return [](float x, float y) -> Colour {
    const Colour back{0.85f, 0.62f, 0.12f, 1};
    const Colour front{0.99f, 0.80f, 0.30f, 1};
    Colour c = kNone;
    if (RoundedBox(x, y, 0.30f, 0.22f, 0.20f, 0.08f, 0.04f) <= 0) c = back;  // the tab
    if (RoundedBox(x, y, 0.5f, 0.52f, 0.44f, 0.32f, 0.05f) <= 0) c = back;
    if (RoundedBox(x, y, 0.5f, 0.58f, 0.44f, 0.26f, 0.05f) <= 0)
      c = Mix(front, back, std::clamp((y - 0.4f) * 1.2f, 0.0f, 0.5f));
    return c;
  };
}

}  // namespace glintora::artwork
