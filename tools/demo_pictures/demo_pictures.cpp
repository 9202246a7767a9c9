#include "demo_pictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <numbers>
#include <string_view>

// The picture writers of the tests are the project's only encoders.
#include "../../tests/core/avi_writer.h"
#include "../../tests/core/fixtures.h"
#include "core/media/movie_writer.h"

namespace glintora::demo {
namespace {

constexpr double kPi = std::numbers::pi;

struct Rgb {
  double r, g, b;  // 0 to 1
};

Rgb Mix(Rgb a, Rgb b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Rgb Times(Rgb a, double k) { return {a.r * k, a.g * k, a.b * k}; }
double Smooth(double edge0, double edge1, double x) {
  const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}
// A saturated colour `turns` of the way round the colour wheel from red.
Rgb Hue(double turns) {
  const double h = 6 * (turns - std::floor(turns));
  return {std::clamp(std::fabs(h - 3) - 1, 0.0, 1.0), std::clamp(2 - std::fabs(h - 2), 0.0, 1.0),
          std::clamp(2 - std::fabs(h - 4), 0.0, 1.0)};
}
CvxColor8 ToPixel(Rgb c) {
  auto channel = [](double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
  return CvxColor8(channel(c.b), channel(c.g), channel(c.r));
}
// A fixed scatter of values in [0, 1) for stars and sparkle.
double Hash(int x, int y) {
  uint32_t v = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u;
  v ^= v >> 13;
  v *= 0x5bd1e995u;
  v ^= v >> 15;
  return (v & 0xFFFFFF) / double(0x1000000);
}

// A picture whose every pixel is the shader's colour at the pixel's centre.
std::unique_ptr<CvxImageColor8> Shade(int width, int height, const std::function<Rgb(double, double)>& shader) {
  auto image = NewImage<CvxColor8>(width, height, false);
  if (!image) return nullptr;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) image->At(x, y) = ToPixel(shader(x + 0.5, y + 0.5));
  }
  return image;
}

void FillBlock(CvxImageColor8& image, int left, int top, int width, int height, Rgb colour, double opacity = 1) {
  for (int y = std::max(top, 0); y < std::min(top + height, image.m_height); ++y) {
    for (int x = std::max(left, 0); x < std::min(left + width, image.m_width); ++x) {
      CvxColor8& p = image.At(x, y);
      p = ToPixel(Mix({p.Red() / 255.0, p.Green() / 255.0, p.Blue() / 255.0}, colour, opacity));
    }
  }
}

// A 5 × 7 block font with just the characters the pictures use.
constexpr std::string_view kGlyphNames = "GLINTORA12345678";
constexpr uint8_t kGlyphs[][7] = {
    {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0E}, {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F},
    {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}, {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11},
    {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}, {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E},
    {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}, {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11},
    {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}, {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F},
    {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}, {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02},
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}, {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E},
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}, {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E},
};

// Text in the block font, each dot a `cell`-pixel square, the first letter's top-left at
// (left, top); letters are six cells apart.
void DrawText(CvxImageColor8& image, std::string_view text, int left, int top, int cell, Rgb colour) {
  for (size_t i = 0; i < text.size(); ++i) {
    const size_t glyph = kGlyphNames.find(text[i]);
    if (glyph == std::string_view::npos) continue;
    for (int row = 0; row < 7; ++row) {
      for (int column = 0; column < 5; ++column) {
        if ((kGlyphs[glyph][row] >> (4 - column)) & 1) {
          FillBlock(image, left + (static_cast<int>(i) * 6 + column) * cell, top + row * cell, cell, cell, colour);
        }
      }
    }
  }
}

// The picture's place in the show, as a numbered badge in its top-left corner.
void DrawBadge(CvxImageColor8& image, int number) {
  const int cell = std::max(3, std::min(image.m_width, image.m_height) / 60);
  FillBlock(image, 2 * cell, 2 * cell, 9 * cell, 11 * cell, {0, 0, 0}, 0.55);
  DrawText(image, std::string(1, static_cast<char>('0' + number)), 4 * cell, 4 * cell, cell, {1, 1, 1});
}

Rgb Sunset(double x, double y, double w, double h) {
  const double horizon = 0.62 * h, sunX = 0.5 * w, sunY = horizon - 0.07 * h, radius = 0.11 * h;
  const double hill = horizon - 0.16 * h * std::exp(-std::pow((x - 0.12 * w) / (0.2 * w), 2)) -
                      0.09 * h * std::exp(-std::pow((x - 0.9 * w) / (0.15 * w), 2));
  if (y < horizon && y > hill) return {0.13, 0.06, 0.16};
  if (y < horizon) {
    const double t = y / horizon, d = std::hypot(x - sunX, y - sunY);
    Rgb sky = t < 0.6 ? Mix({0.16, 0.10, 0.35}, {0.85, 0.35, 0.45}, t / 0.6)
                      : Mix({0.85, 0.35, 0.45}, {1.0, 0.70, 0.30}, (t - 0.6) / 0.4);
    sky = Mix(sky, {1.0, 0.80, 0.45}, 0.5 * std::exp(-std::max(d - radius, 0.0) / (0.2 * h)));
    return Mix(sky, {1.0, 0.96, 0.75}, 1 - Smooth(radius - 1.5, radius + 1.5, d));
  }
  const double t = (y - horizon) / (h - horizon), spread = radius * (1 + 2.5 * t);
  const Rgb sea = Mix({0.50, 0.22, 0.30}, {0.04, 0.06, 0.18}, 1.3 * t);
  const double glitter = std::sin(y * 0.45 + 4 * std::sin(x * 0.013)) > 0.1 ? 1 : 0.25;
  return Mix(sea, {1.0, 0.78, 0.45}, glitter * (1 - t) * (1 - Smooth(0, spread, std::fabs(x - sunX))));
}

Rgb Stripes(double x, double y, double w, double h) {
  const double s = (x + 0.6 * y) / 70, band = std::floor(s), d = std::hypot(x - 0.5 * w, y - 0.42 * h);
  Rgb colour = Times(Mix(Hue(0.55 + 0.11 * band), {1, 1, 1}, 0.3), 0.8 + 0.2 * std::sin((s - band) * kPi));
  colour = Mix(colour, {1, 1, 1}, 1 - Smooth(4, 7, std::fabs(d - 0.3 * w)));
  return Mix(colour, {0.98, 0.96, 0.90}, 1 - Smooth(0.22 * w - 1.5, 0.22 * w + 1.5, d));
}

Rgb Ridges(double x, double y, double w, double h) {
  for (int k = 3; k >= 0; --k) {  // the nearest ridge first
    const double ridge = (0.42 + 0.13 * k) * h - (0.07 + 0.03 * k) * h *
        (0.5 * std::sin(x / w * (5 + 3 * k) + k) + 0.3 * std::sin(x / w * (13 + 5 * k) + 2 * k) +
         0.2 * std::sin(x / w * (31 + 7 * k)));
    if (y > ridge) return Times(Mix({0.62, 0.70, 0.84}, {0.08, 0.20, 0.17}, k / 3.0), 1 - 0.25 * (y - ridge) / h);
  }
  return Mix({0.20, 0.45, 0.78}, {0.99, 0.86, 0.66}, y / (0.7 * h));
}

Rgb Shapes(double x, double y, double w, double h) {
  if (std::hypot(x - 0.3 * w, y - 0.48 * h) < 0.3 * h) return {0.90, 0.18, 0.20};
  const double ax = 0.55 * w, bx = 0.9 * w, topX = 0.725 * w, base = 0.78 * h, top = 0.2 * h;
  const bool inTriangle = y < base && (y - top) * (topX - ax) >= (base - top) * (topX - x) &&
                          (y - top) * (bx - topX) >= (base - top) * (x - topX);
  if (inTriangle) return {0.15, 0.35, 0.85};
  return y > 0.86 * h ? Rgb{0.10, 0.60, 0.35} : Mix({1.0, 0.95, 0.70}, {1.0, 0.85, 0.55}, y / h);
}

Rgb Rings(double x, double y, double w, double h) {
  const double d = std::hypot(x - 0.5 * w, y - 0.5 * h), angle = std::atan2(y - 0.5 * h, x - 0.5 * w);
  const double ring = d / 30 + 0.25 * std::sin(6 * angle) * std::min(1.0, d / (0.2 * h));
  const double edge = std::min(ring - std::floor(ring), std::ceil(ring) - ring);
  return Mix({0.04, 0.03, 0.10}, Hue(0.07 * std::floor(ring)), Smooth(0.02, 0.14, edge));
}

Rgb Checker(double x, double y, double, double) {
  const int column = static_cast<int>(x / 100), row = static_cast<int>(y / 100);
  if (std::fmod(x, 100) < 3 || std::fmod(y, 100) < 3) return {0.96, 0.96, 0.96};
  return Times(Mix(Hue(column / 8.0), {1, 1, 1}, 0.08 * row), (column + row) % 2 ? 0.72 : 1.0);
}

Rgb Moon(double x, double y, double w, double h) {
  for (const auto [cx, cy, r] : {std::array{0.42 * w, 0.5 * h, 0.33 * h}, std::array{0.8 * w, 0.24 * h, 0.08 * h}}) {
    const double dx = (x - cx) / r, dy = (y - cy) / r, rr = dx * dx + dy * dy;
    if (rr >= 1) continue;
    const double light = std::max(0.0, -0.55 * dx - 0.45 * dy + 0.70 * std::sqrt(1 - rr));
    const double crater = std::sin(dx * 9 + 1) * std::sin(dy * 7 + 2) > 0.55 ? 0.8 : 1.0;
    const double grey = (0.08 + 0.85 * light) * crater;
    return {grey, grey, grey};
  }
  const double star = Hash(static_cast<int>(x), static_cast<int>(y)) > 0.9985 ? 0.9 : 0.0;
  const double grey = std::max(star, 0.16 * (1 - y / h));
  return {grey, grey, grey};
}

Rgb CaptionBackground(double x, double y, double w, double h) {
  return Mix({0.05, 0.08, 0.28}, {0.30, 0.05, 0.30}, (x / w + y / h) / 2);
}

}  // namespace

std::vector<DemoPicture> DrawDemoPictures() {
  struct Recipe {
    const char* name;
    DemoFormat format;
    int width, height;
    Rgb (*shader)(double, double, double, double);
    bool takenTurned = false;
  };
  static const Recipe kRecipes[] = {
      {"01-sunset-turned.jpg", DemoFormat::Jpeg, 1600, 1200, Sunset, true},
      {"02-stripes-portrait.tif", DemoFormat::Tiff, 640, 960, Stripes},
      {"03-ridges-panorama.jpg", DemoFormat::Jpeg, 2400, 1000, Ridges},
      {"04-shapes-small.png", DemoFormat::Png, 300, 200, Shapes},
      {"05-rings.png", DemoFormat::Png, 800, 600, Rings},
      {"06-checker.bmp", DemoFormat::Bmp, 800, 600, Checker},
      {"07-moon-grey.jpg", DemoFormat::GrayJpeg, 1024, 768, Moon},
      {"08-caption.tif", DemoFormat::Tiff, 1280, 720, CaptionBackground},
  };
  std::vector<DemoPicture> pictures;
  for (const Recipe& recipe : kRecipes) {
    const double w = recipe.width, h = recipe.height;
    auto image = Shade(recipe.width, recipe.height, [&](double x, double y) { return recipe.shader(x, y, w, h); });
    if (!image) return {};
    const int number = static_cast<int>(pictures.size()) + 1;
    if (recipe.shader == CaptionBackground) {
      const int cell = 22, left = (recipe.width - 47 * cell) / 2, top = recipe.height / 2 - 5 * cell;
      DrawText(*image, "GLINTORA", left + cell / 3, top + cell / 3, cell, {0, 0, 0});
      DrawText(*image, "GLINTORA", left, top, cell, {1.0, 0.82, 0.35});
      for (int i = 0; i < 8; ++i) FillBlock(*image, left + i * 6 * cell, top + 9 * cell, 5 * cell, cell, Hue(i / 8.0));
    }
    DrawBadge(*image, number);
    pictures.push_back({recipe.name, recipe.format, std::move(image), recipe.takenTurned});
  }
  return pictures;
}

uint32_t DemoMoviePixel(int frame, int x, int y) {
  const double w = kMovieWidth, h = kMovieHeight, turn = double(frame) / kMovieFrames;
  const double cx = 0.5 * w, cy = 0.5 * h, dx = x + 0.5 - cx, dy = y + 0.5 - cy;
  const double d = std::hypot(dx, dy), radius = 0.42 * h, angle = std::atan2(dy, dx) / (2 * kPi);
  Rgb colour = Mix({0.05, 0.05, 0.12}, {0.15, 0.10, 0.30}, (y + 0.5) / h);
  if (d < radius) colour = Mix(Hue(angle - turn), {1, 1, 1}, 0.25 * (1 - d / radius));
  const double spotX = cx + 0.7 * radius * std::cos(2 * kPi * turn), spotY = cy + 0.7 * radius * std::sin(2 * kPi * turn);
  colour = Mix(colour, {1, 1, 1}, 1 - Smooth(0.08 * h, 0.1 * h, std::hypot(x + 0.5 - spotX, y + 0.5 - spotY)));
  const CvxColor8 p = ToPixel(colour);
  return uint32_t{p.Red()} << 16 | uint32_t{p.Green()} << 8 | p.Blue();
}

namespace {

bool WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  testing::WriteBytes(path.string(), bytes);
  std::error_code error;
  return std::filesystem::file_size(path, error) == bytes.size() && !error;
}

bool WritePicture(const DemoPicture& picture, const std::filesystem::path& path) {
  const CvxImageColor8& image = *picture.image;
  switch (picture.format) {
    case DemoFormat::Jpeg:
    case DemoFormat::GrayJpeg: {
      testing::JpegRecipe recipe{.quality = 92, .gray = picture.format == DemoFormat::GrayJpeg};
      if (picture.takenTurned) {
        // Orientation 6: the stored first row is the scene's right-hand side, so a quarter
        // turn clockwise stands it upright.
        const auto stored = image.Orient(kTurnCounterClockwise);
        const auto* storedColour = As<CvxColor8>(stored.get());
        if (!storedColour) return false;
        recipe.app1.push_back(testing::ExifOrientationBlock(6));
        return WriteFile(path, testing::EncodeJpeg(*storedColour, recipe));
      }
      return WriteFile(path, testing::EncodeJpeg(image, recipe));
    }
    case DemoFormat::Png: return testing::WritePng(image, path.string());
    case DemoFormat::Tiff: return testing::WriteTiff(image, path.string());
    case DemoFormat::Bmp: {
      testing::BmpRecipe recipe{image.m_width, image.m_height, 24};
      for (int y = 0; y < image.m_height; ++y) {
        std::vector<uint32_t>& row = recipe.rows.emplace_back();
        for (int x = 0; x < image.m_width; ++x) {
          const CvxColor8 p = image.At(x, y);
          row.push_back(uint32_t{p.Red()} << 16 | uint32_t{p.Green()} << 8 | p.Blue());
        }
      }
      return WriteFile(path, testing::EncodeBmp(recipe));
    }
  }
  return false;
}

// The wheel turning back, frame by frame into the movie container (600 units a second).
bool WriteMovMovie(const std::filesystem::path& path) {
  MovieWriter writer;
  if (!writer.Begin(path.string(), kMovieWidth, kMovieHeight, 600)) return false;
  for (int frame = 0; frame < kMovMovieFrames; ++frame) {
    VideoFrame pixels{kMovieWidth, kMovieHeight, {}};
    for (int y = 0; y < kMovieHeight; ++y) {
      for (int x = 0; x < kMovieWidth; ++x) {
        pixels.pixels.push_back(DemoMoviePixel(kMovieFrames - frame, kMovieWidth - 1 - x, y));
      }
    }
    if (!writer.AddFrame(EncodeJpegFrame(pixels, 90), 600 / kMovieFramesPerSecond)) return false;
  }
  return writer.Finish();
}

}  // namespace

std::vector<std::string> WriteDemoPictures(const std::string& folder) {
  std::vector<std::string> names;
  for (const DemoPicture& picture : DrawDemoPictures()) {
    if (!WritePicture(picture, std::filesystem::path(folder) / picture.name)) return {};
    names.push_back(picture.name);
  }
  if (names.empty()) return {};
  const testing::AviRecipe movie{kMovieWidth, kMovieHeight, kMovieFramesPerSecond, kMovieFrames, DemoMoviePixel};
  if (!WriteFile(std::filesystem::path(folder) / kMovieName, testing::EncodeAvi(movie))) return {};
  names.insert(std::upper_bound(names.begin(), names.end(), std::string(kMovieName)), kMovieName);
  if (!WriteMovMovie(std::filesystem::path(folder) / kMovMovieName)) return {};
  names.insert(std::upper_bound(names.begin(), names.end(), std::string(kMovMovieName)), kMovMovieName);
  // A JPEG's start marker and then noise: taken for a JPEG, then failing to decode.
  std::vector<uint8_t> junk = {0xFF, 0xD8, 0xFF};
  uint32_t seed = 12345;
  for (int i = 0; i < 600; ++i) junk.push_back(static_cast<uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24));
  if (!WriteFile(std::filesystem::path(folder) / kBrokenName, junk)) return {};
  names.push_back(kBrokenName);
  return names;
}

}  // namespace glintora::demo
