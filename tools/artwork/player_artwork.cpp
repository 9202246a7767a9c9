#include "player_artwork.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "shapes.h"

namespace glintora::artwork {
namespace {

// A design in pixel coordinates (y down): colour and coverage at a point.
using PixelDesign = std::function<Colour(float x, float y)>;

constexpr Colour kBar{40 / 255.0f, 40 / 255.0f, 44 / 255.0f, 1};
constexpr Colour kGroove{0.33f, 0.33f, 0.36f, 1};
constexpr Colour kGrooveActive{0.45f, 0.65f, 0.92f, 1};
constexpr Colour kKnob{0.78f, 0.78f, 0.80f, 1};
constexpr Colour kKnobActive{1, 1, 1, 1};
constexpr Colour kKnobRim{0.45f, 0.65f, 0.92f, 1};
constexpr Colour kSymbol{0.88f, 0.88f, 0.90f, 1};

Colour Fill(Colour c, float distance) {
  // Coverage from a signed distance: a one-pixel soft edge.
  c.a *= std::clamp(0.5f - distance, 0.0f, 1.0f);
  return c;
}

// Renders with 4 × 4 samples. Opaque pictures are composed over the bar's colour; the
// others keep pixels that the design covers less than half as the transparent colour and
// compose the rest over the bar's colour.
std::vector<Rgb> RenderPixels(int width, int height, const PixelDesign& design, bool transparent) {
  std::vector<Rgb> pixels;
  for (int py = 0; py < height; ++py) {
    for (int px = 0; px < width; ++px) {
      const Colour mean = SamplePixel(design, px, py, 1.0f, 1.0f);
      if (transparent && mean.a < 0.5f) {
        pixels.push_back(kPlayerTransparent);
        continue;
      }
      const Colour c = Over(mean, kBar);
      auto channel = [](float v) { return static_cast<uint8_t>(std::lround(255 * std::clamp(v, 0.0f, 1.0f))); };
      Rgb out{channel(c.r), channel(c.g), channel(c.b)};
      // A blended pixel must never come out as the transparent colour itself.
      if (out.r == kPlayerTransparent.r && out.g == kPlayerTransparent.g && out.b == kPlayerTransparent.b) --out.r;
      pixels.push_back(out);
    }
  }
  return pixels;
}

// The channel: a rounded groove along the middle, from end to end.
PixelDesign Channel(int width, Colour groove) {
  return [=](float x, float y) { return Fill(groove, RoundedBox(x, y, width / 2.0f, 8, width / 2.0f - 1, 2, 2)); };
}

// The thumb: a rounded knob with a rim.
PixelDesign Thumb(Colour knob, Colour rim) {
  return [=](float x, float y) {
    const float d = RoundedBox(x, y, 5.5f, 8, 4.5f, 6.5f, 2.5f);
    return Over(Fill(knob, d + 1.2f), Fill(rim, d));
  };
}

float Triangle(float x, float y) {
  // Pointing right, centred in the 17 × 16 button: the largest of three half-plane distances.
  const float left = 5.5f - x;
  const float upper = (0.447f * (x - 5.5f) + 0.894f * (3.5f - y)) + 0.0f;
  const float lower = (0.447f * (x - 5.5f) + 0.894f * (y - 12.5f));
  return std::max({left, upper, lower});
}

Colour Play(float x, float y) { return Fill(kSymbol, Triangle(x, y)); }

Colour Pause(float x, float y) {
  const float d = std::min(RoundedBox(x, y, 6, 8, 1.5f, 4.5f, 0.5f), RoundedBox(x, y, 11, 8, 1.5f, 4.5f, 0.5f));
  return Fill(kSymbol, d);
}

// A loudspeaker: a box and the cone flaring from it to the right.
float Speaker(float x, float y) {
  const float box = RoundedBox(x, y, 3.5f, 8, 1.5f, 2.5f, 0.3f);
  const float cone = std::max({5 - x, x - 9, std::fabs(y - 8) - (2.5f + (x - 5) * 0.8f)});
  return std::min(box, cone);
}

Colour SoundOn(float x, float y) {
  const float r = std::hypot(x - 9, y - 8);
  const float wave = std::max(std::min(std::fabs(r - 2.5f), std::fabs(r - 5)) - 0.6f, 10 - x);
  const float arc = std::max(wave, std::fabs(y - 8) - (x - 9) * 1.3f);
  return Fill(kSymbol, std::min(Speaker(x, y), arc));
}

Colour SoundOff(float x, float y) {
  // The speaker and a cross beside it.
  const float u = x - 13, v = y - 8;
  const float cross =
      std::max(std::min(std::fabs(u - v), std::fabs(u + v)) * 0.7071f - 0.6f, std::max(std::fabs(u), std::fabs(v)) - 3);
  return Fill(kSymbol, std::min(Speaker(x, y), cross));
}

// The edges: the bar's colour, with a dark line on the side of the button beside them.
PixelDesign Edge(bool left) {
  return [=](float x, float) {
    const bool line = left ? x < 1 : x > 6;
    return line ? Colour{0.08f, 0.08f, 0.09f, 1} : kBar;
  };
}

}  // namespace

std::vector<PlayerPicture> DrawPlayerPictures() {
  struct Recipe {
    int id;
    const char* file;
    int width;
    PixelDesign design;
    bool transparent;
  };
  const Recipe recipes[] = {
      {30000, "seek_channel.bmp", 64, Channel(64, kGroove), false},
      {30001, "seek_channel_active.bmp", 64, Channel(64, kGrooveActive), false},
      {30002, "seek_thumb.bmp", 11, Thumb(kKnob, kKnob), true},
      {30003, "seek_thumb_active.bmp", 11, Thumb(kKnobActive, kKnobRim), true},
      {30004, "play.bmp", 17, Play, true},
      {30005, "pause.bmp", 17, Pause, true},
      {30006, "sound_off.bmp", 17, SoundOff, true},
      {30007, "sound_on.bmp", 17, SoundOn, true},
      {30008, "bar_left.bmp", 7, Edge(true), false},
      {30009, "bar_right.bmp", 7, Edge(false), false},
  };
  std::vector<PlayerPicture> pictures;
  for (const Recipe& r : recipes) {
    pictures.push_back({r.id, r.file, r.width, 16, RenderPixels(r.width, 16, r.design, r.transparent)});
  }
  return pictures;
}

}  // namespace glintora::artwork
