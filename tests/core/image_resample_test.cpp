#include <gtest/gtest.h>

#include <thread>
#include <utility>
#include <vector>

#include "core/image/drawing_device.h"
#include "core/image/image.h"
#include "image_helpers.h"

namespace glintora {
namespace {

using testing::Pattern;
using testing::SamePixels;

TEST(Resample, SameSizeBilinearIsAnExactCopy) {
  auto src = Pattern<CvxColor8>(31, 17, 7);
  auto copy = src->Resize(31, 17, kBilinear);
  ASSERT_NE(copy, nullptr);
  EXPECT_TRUE(SamePixels(*copy, *src));
  auto copy16 = Pattern<CvxAlpha16>(5, 4, 1)->Resize(5, 4, kBilinear);
  ASSERT_NE(copy16, nullptr);
}

TEST(Resample, NearestPicksTruncatedPositions) {
  // Doubling: every source pixel twice in each direction.
  CvxImageGray8 src(3, 2, true);
  for (int x = 0; x < 3; ++x) {
    src.At(x, 0).c[0] = static_cast<uint8_t>(x);
    src.At(x, 1).c[0] = static_cast<uint8_t>(10 + x);
  }
  auto big = src.Resize(6, 4, kNearest);
  const auto& b = static_cast<const CvxImageGray8&>(*big);
  const int expected[4][6] = {{0, 0, 1, 1, 2, 2}, {0, 0, 1, 1, 2, 2}, {10, 10, 11, 11, 12, 12}, {10, 10, 11, 11, 12, 12}};
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) EXPECT_EQ(b.At(x, y).c[0], expected[y][x]) << x << "," << y;
  }
  // Halving steps two source columns at a time.
  auto small = Pattern<CvxColor8>(8, 8, 3);
  auto half = small->Resize(4, 4, kNearest);
  const auto& h = static_cast<const CvxImageColor8&>(*half);
  EXPECT_EQ(std::memcmp(&h.At(3, 2), &small->At(6, 4), 3), 0);
}

TEST(Resample, BilinearColor8UsesIntegerWeights) {
  // One row 0, 100: at a quarter step the integer kernel gives (192·0 + 64·100) >> 8.
  CvxImageColor8 src(2, 1, true);
  src.At(1, 0) = CvxColor8(100, 200, 255);
  CvxImageColor8 dst(4, 1, true);
  dst.SampleBilinear(&src, 0, 0, 1, 1, 0, 0, 4, 1);
  EXPECT_EQ(dst.At(0, 0).c[0], 0);
  EXPECT_EQ(dst.At(1, 0).c[0], 25);
  EXPECT_EQ(dst.At(2, 0).c[0], 50);
  EXPECT_EQ(dst.At(3, 0).c[0], 75);
  EXPECT_EQ(dst.At(3, 0).c[2], (64 * 0 + 192 * 255) >> 8);

  // The floating-point kernel of the other types truncates.
  CvxImageGray16 src16(2, 1, true);
  src16.At(1, 0).c[0] = 1000;
  CvxImageGray16 dst16(3, 1, true);
  dst16.SampleBilinear(&src16, 0, 0, 1, 1, 0, 0, 3, 1);
  EXPECT_EQ(dst16.At(1, 0).c[0], 333);
  EXPECT_EQ(dst16.At(2, 0).c[0], 666);
}

TEST(Resample, OnePixelWideSourceIsReplicated) {
  CvxImageColor8 column(1, 3, true);
  for (int y = 0; y < 3; ++y) column.At(0, y) = CvxColor8(static_cast<uint8_t>(10 * y), 7, 9);
  for (int method : {kNearest, kBilinear, kBicubic}) {
    auto wide = column.Resize(5, 3, method);
    const auto& w = static_cast<const CvxImageColor8&>(*wide);
    // Bicubic weights sum to 1 only up to float rounding, and results are truncated.
    const int slack = method == kBicubic ? 1 : 0;
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 5; ++x) EXPECT_NEAR(w.At(x, y).c[0], 10 * y, slack) << method << " " << x << "," << y;
    }
  }
}

TEST(Resample, OtherTypesAreLeftAlone) {
  auto src = Pattern<CvxGray8>(4, 4, 2);
  CvxImageColor8 dst(4, 4, true);
  dst.SampleNearest(src.get(), 0, 0, 4, 4, 0, 0, 4, 4);
  dst.SampleBilinear(src.get(), 0, 0, 4, 4, 0, 0, 4, 4);
  dst.SampleBicubic(src.get(), 0, 0, 4, 4, 0, 0, 4, 4);
  dst.RenderFrom(src.get(), 0, 0, 4, 4, kNearest);
  for (int y = 0; y < 4; ++y) EXPECT_EQ(dst.At(3, y).c[1], 0);
}

TEST(Resample, RenderFromProducesOnlyItsRectangle) {
  auto src = Pattern<CvxColor8>(20, 10, 5);
  auto whole = src->Resize(10, 5, kBicubic);
  CvxImageColor8 part(10, 5, true);
  part.RenderFrom(src.get(), 4, 1, 3, 2, kBicubic);
  const auto& w = static_cast<const CvxImageColor8&>(*whole);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 4 && x < 7 && y >= 1 && y < 3;
      if (inside) {
        EXPECT_EQ(std::memcmp(&part.At(x, y), &w.At(x, y), 3), 0) << x << "," << y;
      } else {
        EXPECT_EQ(part.At(x, y).c[0] | part.At(x, y).c[1] | part.At(x, y).c[2], 0) << x << "," << y;
      }
    }
  }
}

TEST(Resample, BicubicKeepsFlatAreasAndLimitsOvershoot) {
  // A hard edge overshoots with Catmull-Rom weights; results stay within the channel.
  CvxImageGray16 edge(8, 1, true);
  for (int x = 4; x < 8; ++x) edge.At(x, 0).c[0] = 65535;
  auto up = edge.Resize(29, 3, kBicubic);
  const auto& u = static_cast<const CvxImageGray16&>(*up);
  EXPECT_EQ(u.At(0, 0).c[0], 0);
  EXPECT_EQ(u.At(28, 2).c[0], 65535);
  CvxImageColor8 flat(6, 6, true);
  flat.FillRect(0, 0, 6, 6, CvxColor8(40, 80, 120));
  auto grown = flat.Resize(13, 11, kBicubic);
  const auto& g = static_cast<const CvxImageColor8&>(*grown);
  for (int y = 0; y < 11; ++y) {
    for (int x = 0; x < 13; ++x) ASSERT_NEAR(g.At(x, y).c[2], 120, 1) << x << "," << y;
  }
}

TEST(Resample, FilteredKernelsOnAHardEdgeStayInRange) {
  CvxImageColor8 edge(40, 4, true);
  for (int y = 0; y < 4; ++y) {
    for (int x = 20; x < 40; ++x) edge.At(x, y) = CvxColor8(255, 255, 255);
  }
  for (int method = kHermite; method <= kMitchell; ++method) {
    for (auto [w, h] : {std::pair{97, 9}, {13, 3}}) {
      auto out = edge.Resize(w, h, method);
      ASSERT_NE(out, nullptr) << method;
      const auto& o = static_cast<const CvxImageColor8&>(*out);
      // Lanczos rings below 0 and above 255 near the edge; both are cut, never wrapped:
      // the far left stays dark and the far right bright. (Unnormalised weights darken a
      // shrunk box filter, so "bright" is a loose bound.)
      EXPECT_LE(o.At(0, 0).c[0], 8) << method;
      EXPECT_GE(o.At(w - 1, h - 1).c[0], 150) << method;
      EXPECT_LE(o.At(w / 2 - w / 5, 0).c[0], 16) << method << " " << w;
      EXPECT_GE(o.At(w / 2 + w / 5, 0).c[0], 150) << method << " " << w;
    }
  }
  // Keeping the height isolates the horizontal pass, whose overshoot is cut at 255.
  auto lanczos = edge.Resize(97, 4, kLanczos3);
  const auto& l = static_cast<const CvxImageColor8&>(*lanczos);
  int highest = 0;
  int lowest = 255;
  for (int x = 0; x < 97; ++x) {
    highest = std::max(highest, static_cast<int>(l.At(x, 2).c[1]));
    if (x < 48) lowest = std::min(lowest, static_cast<int>(l.At(x, 2).c[1]));
  }
  EXPECT_EQ(highest, 255) << "overshoot is limited at the maximum";
  EXPECT_EQ(lowest, 0) << "undershoot is limited at 0";
  EXPECT_EQ(edge.Resize(10, 10, 10), nullptr);
  EXPECT_EQ(edge.Resize(10, 10, -1), nullptr);
}

TEST(Resample, FilteredResizeMatchesHandComputedWeights) {
  // Enlarging 2 → 4 with the triangle: centres 0, 0.5, 1, 1.5; column 3 reflects past the
  // right edge (index 2 → 1).
  CvxImageGray8 src(2, 1, true);
  src.At(0, 0).c[0] = 100;
  src.At(1, 0).c[0] = 200;
  auto out = src.Resize(4, 1, kTriangle);
  const auto& o = static_cast<const CvxImageGray8&>(*out);
  EXPECT_EQ(o.At(0, 0).c[0], 100);
  EXPECT_EQ(o.At(1, 0).c[0], 150);
  EXPECT_EQ(o.At(2, 0).c[0], 200);
  EXPECT_EQ(o.At(3, 0).c[0], 200);  // 0.5 × 200 + 0.5 × 200 (reflected)
  // Shrinking 4 → 2 with the box: scale 0.5, window ±1, weights 0.5 × box((c − j) / 2).
  CvxImageGray16 wide(4, 1, true);
  for (int x = 0; x < 4; ++x) wide.At(x, 0).c[0] = static_cast<uint16_t>(1000 * (x + 1));
  auto narrow = wide.Resize(2, 1, kBox);
  const auto& n = static_cast<const CvxImageGray16&>(*narrow);
  EXPECT_EQ(n.At(0, 0).c[0], 1500);  // j = -1 (reflected to 1) and 0; box(-0.5) = 0 leaves j = 1 out
  EXPECT_EQ(n.At(1, 0).c[0], 2500);  // j = 1 and 2
}

// The kernels whose weights sum to one between samples keep a flat picture flat when
// enlarging or keeping the size (Lanczos3's sum falls below one between samples; shrinking
// widens the kernels without normalising their weights).
TEST(Resample, FilteredKernelsKeepFlatAreasFlat) {
  for (int method : {kHermite, kBox, kTriangle, kBell, kBSpline, kMitchell}) {
    for (int value : {1, 37, 100, 255}) {
      for (const auto& [from, to] : {std::pair{4, 8}, std::pair{3, 7}, std::pair{4, 4}}) {
        CvxImageGray8 flat(from, from - 1, true);
        CvxGray8 grey;
        grey.c[0] = static_cast<uint8_t>(value);
        flat.FillRect(0, 0, from, from - 1, grey);
        auto out = flat.Resize(to, to + 1, method);
        ASSERT_NE(out, nullptr);
        const auto& o = static_cast<const CvxImageGray8&>(*out);
        for (int y = 0; y < o.m_height; ++y) {
          for (int x = 0; x < o.m_width; ++x) {
            ASSERT_EQ(o.At(x, y).c[0], value) << "method " << method << ", " << from << " → " << to << " at " << x
                                              << "," << y;
          }
        }
      }
    }
  }
}

// Every kernel's support and the reflection at both edges, on a four-sample ramp enlarged to
// eight (centres 0, 0.5 … 3.5) and eight samples shrunk to three (scale 3/8: the window
// widens to support × 8/3). Values from the weights in exact arithmetic, cut.
TEST(Resample, FilteredKernelsOnTinyRows) {
  struct Case {
    int method;
    std::vector<int> enlarged, shrunk;
  };
  const Case cases[] = {
      {kHermite, {10, 40, 70, 100, 130, 190, 250, 250}, {54, 146, 102}},
      {kBox, {10, 10, 70, 70, 130, 130, 250, 250}, {56, 142, 110}},
      {kTriangle, {10, 40, 70, 100, 130, 190, 250, 250}, {60, 135, 103}},
      {kBell, {25, 40, 70, 100, 137, 190, 235, 250}, {75, 123, 110}},
      {kBSpline, {30, 42, 70, 101, 140, 188, 230, 245}, {83, 117, 114}},
      {kLanczos3, {10, 30, 70, 94, 130, 191, 250, 255}, {57, 136, 100}},
      {kMitchell, {16, 35, 70, 97, 133, 192, 243, 255}, {63, 132, 105}},
  };
  auto row = [](const std::vector<int>& values) {
    CvxImageGray8 image(static_cast<int>(values.size()), 1, true);
    for (size_t x = 0; x < values.size(); ++x) image.At(static_cast<int>(x), 0).c[0] = static_cast<uint8_t>(values[x]);
    return image;
  };
  auto values = [](const CvxImage& image) {
    std::vector<int> out;
    for (int x = 0; x < image.m_width; ++x) out.push_back(static_cast<const CvxImageGray8&>(image).At(x, 0).c[0]);
    return out;
  };
  const CvxImageGray8 ramp = row({10, 70, 130, 250});
  const CvxImageGray8 eight = row({10, 70, 130, 250, 40, 0, 255, 90});
  for (const Case& c : cases) {
    EXPECT_EQ(values(*ramp.Resize(8, 1, c.method)), c.enlarged) << "method " << c.method;
    EXPECT_EQ(values(*eight.Resize(3, 1, c.method)), c.shrunk) << "method " << c.method;
  }
}

TEST(Resample, FitWithinSizes) {
  auto size = [](int w, int h, int to, bool enlarge) {
    auto image = NewImage<CvxColor8>(w, h, true)->FitWithin(to, enlarge, kBilinear);
    return std::pair{image->m_width, image->m_height};
  };
  EXPECT_EQ(size(320, 200, 640, false), (std::pair{320, 200}));
  EXPECT_EQ(size(320, 200, 640, true), (std::pair{640, 400}));
  EXPECT_EQ(size(1600, 1200, 640, false), (std::pair{640, 480}));
  EXPECT_EQ(size(1200, 1600, 640, false), (std::pair{480, 640}));
  EXPECT_EQ(size(1, 1000, 10, false), (std::pair{1, 10}));
  EXPECT_EQ(size(1000, 1, 10, false), (std::pair{10, 1}));
  auto clone = Pattern<CvxColor8>(30, 20, 4);
  EXPECT_TRUE(SamePixels(*clone->FitWithin(640, false, kLanczos3), *clone));
}

TEST(Resample, ScaleByFactors) {
  auto src = Pattern<CvxColor8>(101, 51, 8);
  auto same = src->Scale(1.0f, 1.0f, kLanczos3);
  EXPECT_TRUE(SamePixels(*same, *src));
  auto half = src->Scale(0.5f, 0.5f, kBilinear);
  EXPECT_EQ(half->m_width, 50);
  EXPECT_EQ(half->m_height, 25);
  EXPECT_TRUE(SamePixels(*half, *src->Resize(50, 25, kBilinear)));
}

TEST(Resample, BoxBlur) {
  auto src = Pattern<CvxColor8>(9, 7, 21);
  EXPECT_TRUE(SamePixels(*src->BoxBlur(0, 0, 0, 0, 0), *src));

  // Radius 1 on a single bright pixel spreads a ninth to its neighbours, edges divided by
  // the samples inside.
  CvxImageGray16 dot(5, 5, true);
  dot.At(2, 2).c[0] = 9000;
  dot.At(0, 0).c[0] = 900;
  auto blurred = dot.BoxBlur(1, 0, 0, 0, 0);
  const auto& b = static_cast<const CvxImageGray16&>(*blurred);
  EXPECT_EQ(b.At(2, 2).c[0], 1000);
  EXPECT_EQ(b.At(1, 1).c[0], 1100) << "both dots in its window";
  EXPECT_EQ(b.At(3, 3).c[0], 1000);
  EXPECT_EQ(b.At(4, 4).c[0], 0);
  EXPECT_EQ(b.At(0, 0).c[0], 225) << "corner: 900 over 4 samples";

  // Only the rectangle changes.
  auto part = src->BoxBlur(2, 2, 1, 5, 4);
  const auto& p = static_cast<const CvxImageColor8&>(*part);
  EXPECT_EQ(std::memcmp(&p.At(0, 0), &src->At(0, 0), 3), 0);
  EXPECT_EQ(std::memcmp(&p.At(8, 6), &src->At(8, 6), 3), 0);
  EXPECT_EQ(std::memcmp(&p.At(1, 2), &src->At(1, 2), 3), 0);
}

TEST(Resample, ResultsDoNotDependOnOtherThreads) {
  auto src = Pattern<CvxColor8>(120, 90, 13);
  auto reference = src->Resize(77, 51, kLanczos3);
  auto cubic = src->Resize(77, 51, kBicubic);
  std::unique_ptr<CvxImage> results[4];
  std::thread a([&] { results[0] = src->Resize(77, 51, kLanczos3); results[1] = src->Resize(77, 51, kBicubic); });
  std::thread b([&] { results[2] = src->Resize(77, 51, kLanczos3); results[3] = src->Resize(77, 51, kBicubic); });
  a.join();
  b.join();
  EXPECT_TRUE(SamePixels(*results[0], *reference));
  EXPECT_TRUE(SamePixels(*results[2], *reference));
  EXPECT_TRUE(SamePixels(*results[1], *cubic));
  EXPECT_TRUE(SamePixels(*results[3], *cubic));
}

// Records the calls a drawing makes.
class RecordingDevice final : public DrawingDevice {
 public:
  void SetStretchModeColorOnColor() override { ++modeCalls; }
  int StretchDIBits(int xd, int yd, int wd, int hd, int xs, int ys, int ws, int hs, const void* data,
                    const BitmapInfo& info) override {
    args = {xd, yd, wd, hd, xs, ys, ws, hs};
    bits = data;
    header = &info.header;
    return hs;
  }
  void SetViewportOrigin(int, int) override {}
  void GetViewportOrigin(int& x, int& y) const override { x = y = 0; }

  int modeCalls = 0;
  std::vector<int> args;
  const void* bits = nullptr;
  const BitmapInfoHeader* header = nullptr;
};

TEST(Draw, TurnsTheSourceIntoBitmapRowsAndRounds) {
  CvxImageColor8 image(40, 30, true);
  RecordingDevice device;
  image.Draw(device, {0, 0, 40, 30}, {0, 0, 40, 30});
  EXPECT_EQ(device.modeCalls, 1);
  EXPECT_EQ(device.args, (std::vector<int>{0, 0, 40, 30, 0, 0, 40, 30}));
  EXPECT_EQ(device.bits, image.GetBits());
  EXPECT_EQ(device.header, &image.GetBitmapInfo()->header);

  // Source top 5.7 (cut to 5 for the bottom row count), bottom 20.4: bitmap rows 9.6 → 10
  // up to 25.
  image.Draw(device, {2.5f, 5.7f, 12.49f, 20.4f}, {-0.5f, 1.5f, 100.5f, -3.7f});
  EXPECT_EQ(device.args, (std::vector<int>{0, 2, 101, -6, 3, 10, 9, 15}));

  // A reversed destination is passed as it is, for the system to mirror.
  image.Draw(device, {0, 0, 40, 30}, {40, 0, 0, 30});
  EXPECT_EQ(device.args, (std::vector<int>{40, 0, -40, 30, 0, 0, 40, 30}));

  CvxImageColor16 deep(4, 4, true);
  RecordingDevice untouched;
  deep.Draw(untouched, {0, 0, 4, 4}, {0, 0, 4, 4});
  EXPECT_EQ(untouched.modeCalls, 0) << "16-bit images cannot be drawn";
}

}  // namespace
}  // namespace glintora
