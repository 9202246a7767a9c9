// Fitting, the common canvas and the frame position; movie placement and the slide timer.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/show/frame_composition.h"
#include "core/show/movie_placement.h"
#include "image_helpers.h"

namespace glintora {
namespace {

using testing::Pattern;

std::unique_ptr<CvxImage> Solid(int width, int height, uint8_t b, uint8_t g, uint8_t r) {
  auto image = NewImage<CvxColor8>(width, height, false);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) image->At(x, y) = CvxColor8(b, g, r);
  }
  return image;
}

const CvxColor8& PixelAt(const CvxImage& image, int x, int y) {
  return static_cast<const CvxImageColor8&>(image).At(x, y);
}

bool IsBlack(const CvxColor8& p) { return p.c[0] == 0 && p.c[1] == 0 && p.c[2] == 0; }

FrameComposer Screen(int width, int height, bool enlarge = false) {
  FrameComposer composer;
  composer.SetGeometry(0, 0, width, height, 1024);
  composer.m_enlarge = enlarge;
  return composer;
}

TEST(FrameComposition, FitsPicturesToTheWindow) {
  struct Case {
    int w, h;
    bool enlarge;
    int fittedW, fittedH, frameX, frameY;
  };
  for (const Case& c : {
           Case{2048, 1536, false, 1024, 768, 0, 0},   // shrunk by 0.5
           Case{512, 384, false, 512, 384, 256, 192},  // left as it is
           Case{512, 384, true, 1024, 768, 0, 0},      // enlarged by 2
           Case{768, 1536, false, 384, 768, 320, 0},   // portrait: the smaller factor
           Case{1024, 768, true, 1024, 768, 0, 0},     // already fits: a plain copy
       }) {
    FrameComposer composer = Screen(1024, 768, c.enlarge);
    EXPECT_EQ(composer.Compose(Solid(c.w, c.h, 10, 20, 30)), nullptr) << "no previous picture, no transition";
    ASSERT_NE(composer.m_frame, nullptr);
    EXPECT_EQ(composer.m_frame->m_width, c.fittedW) << c.w << "x" << c.h;
    EXPECT_EQ(composer.m_frame->m_height, c.fittedH) << c.w << "x" << c.h;
    EXPECT_EQ(composer.m_frameX, c.frameX) << c.w << "x" << c.h;
    EXPECT_EQ(composer.m_frameY, c.frameY) << c.w << "x" << c.h;
    EXPECT_EQ(composer.m_lastPicture->m_width, c.fittedW);
  }
}

TEST(FrameComposition, PreviousAndNewShareOneCanvas) {
  FrameComposer composer = Screen(1024, 768);
  composer.Compose(Solid(1024, 576, 200, 0, 0));
  auto from = composer.Compose(Solid(384, 768, 0, 200, 0));
  ASSERT_NE(from, nullptr);
  ASSERT_NE(composer.m_frame, nullptr);
  for (const CvxImage* image : {from.get(), composer.m_frame.get()}) {
    EXPECT_EQ(image->m_type, Color8);
    EXPECT_EQ(image->m_width, 1024);
    EXPECT_EQ(image->m_height, 768);
  }
  EXPECT_EQ(composer.m_frameX, 0);
  EXPECT_EQ(composer.m_frameY, 0);
  // The previous picture stands at y = 96 (96.5 cut), the new one at x = 320.
  EXPECT_TRUE(IsBlack(PixelAt(*from, 500, 95)));
  EXPECT_EQ(PixelAt(*from, 500, 96).c[0], 200);
  EXPECT_EQ(PixelAt(*from, 500, 671).c[0], 200);
  EXPECT_TRUE(IsBlack(PixelAt(*from, 500, 672)));
  EXPECT_TRUE(IsBlack(PixelAt(*composer.m_frame, 319, 400)));
  EXPECT_EQ(PixelAt(*composer.m_frame, 320, 400).c[1], 200);
  EXPECT_EQ(PixelAt(*composer.m_frame, 703, 400).c[1], 200);
  EXPECT_TRUE(IsBlack(PixelAt(*composer.m_frame, 704, 400)));
  // The fitted new picture, without padding, is the next transition's start.
  EXPECT_EQ(composer.m_lastPicture->m_width, 384);
  EXPECT_EQ(composer.m_lastPicture->m_height, 768);
}

TEST(FrameComposition, APictureAfterABlankFrameComesFromTheBlackWindow) {
  FrameComposer composer = Screen(1024, 768);
  composer.Compose(Solid(400, 300, 200, 0, 0));
  composer.ShowBlank();
  EXPECT_EQ(composer.m_frame, nullptr);
  auto from = composer.Compose(Solid(400, 300, 0, 200, 0));
  ASSERT_NE(from, nullptr) << "the black window is what the transition starts from";
  EXPECT_EQ(from->m_width, 1024);
  EXPECT_EQ(from->m_height, 768);
  for (auto [x, y] : {std::pair{0, 0}, std::pair{512, 384}, std::pair{1023, 767}}) {
    EXPECT_TRUE(IsBlack(PixelAt(*from, x, y))) << x << "," << y;
  }
  EXPECT_EQ(composer.m_frameX, 0);
  EXPECT_EQ(PixelAt(*composer.m_frame, 512, 384).c[1], 200);
}

TEST(FrameComposition, OddDifferencesRoundTheCanvasUpAndThePositionDown) {
  // A canvas one pixel wider than the picture puts it at x = 1 (0.5 + 0.5).
  FrameComposer composer = Screen(1025, 768);
  composer.Compose(Solid(101, 50, 1, 1, 1));
  auto from = composer.Compose(Solid(100, 50, 2, 2, 2));
  ASSERT_EQ(composer.m_frame->m_width, 101);
  EXPECT_TRUE(IsBlack(PixelAt(*composer.m_frame, 0, 10)));
  EXPECT_EQ(PixelAt(*composer.m_frame, 1, 10).c[0], 2);
  EXPECT_EQ(PixelAt(*composer.m_frame, 100, 10).c[0], 2);
  // The canvas position is cut: (1025 − 101) / 2 = 462 exactly, (768 − 50) / 2 = 359.
  EXPECT_EQ(composer.m_frameX, 462);
  EXPECT_EQ(composer.m_frameY, 359);

  FrameComposer wide = Screen(1025, 768);
  wide.Compose(Solid(1024, 768, 3, 3, 3));
  EXPECT_EQ(wide.m_frameX, 0) << "0.5 cut toward zero";
}

TEST(FrameComposition, GreyPictureAfterColourStaysVisible) {
  FrameComposer composer = Screen(1024, 768);
  composer.Compose(Pattern<CvxColor8>(1024, 768, 7));
  auto grey = NewImage<CvxGray8>(400, 300, false);
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 400; ++x) grey->At(x, y).c[0] = 128;
  }
  auto from = composer.Compose(std::move(grey));
  ASSERT_NE(from, nullptr);
  ASSERT_NE(composer.m_frame, nullptr);
  EXPECT_EQ(composer.m_frame->m_type, Color8);
  const CvxColor8& centre = PixelAt(*composer.m_frame, 512, 384);
  EXPECT_EQ(centre.c[0], 128);
  EXPECT_EQ(centre.c[1], 128);
  EXPECT_EQ(centre.c[2], 128);
  EXPECT_TRUE(IsBlack(PixelAt(*composer.m_frame, 10, 10)));
}

TEST(FrameComposition, FitImageLeavesItsArgumentAlone) {
  FrameComposer composer = Screen(100, 100);
  auto picture = Pattern<CvxColor8>(300, 150, 3);
  auto copy = picture->Clone();
  auto fitted = composer.FitImage(*picture, 0, 0);
  ASSERT_NE(fitted, nullptr);
  EXPECT_EQ(fitted->m_width, 100);
  EXPECT_EQ(fitted->m_height, 50);
  EXPECT_TRUE(testing::SamePixels(*picture, *copy));
  EXPECT_EQ(composer.Compose(nullptr), nullptr);
  EXPECT_EQ(composer.m_frame, nullptr);
}

TEST(MoviePlacement, ZoomsAndFitsMoviesInTheWindow) {
  const IntRect screen{0, 0, 1024, 768};
  auto place = [&](const char* zoom, double previewScale, const IntRect& target) {
    const double z = MovieZoom(zoom, previewScale);
    return FitMovieRect(static_cast<int>(320 * z), static_cast<int>(240 * z), target, false, false);
  };
  EXPECT_EQ(place("1", 1.0, screen), (IntRect{352, 264, 672, 504}));
  EXPECT_EQ(place("2", 1.0, screen), (IntRect{192, 144, 832, 624}));
  EXPECT_EQ(place("Fullscreen", 1.0, screen), (IntRect{0, 0, 1024, 768}));
  EXPECT_EQ(place("3", 1.0, IntRect{0, 0, 800, 800}), (IntRect{0, 100, 800, 700})) << "shrunk to fit";
  // A 152 × 112 preview of a 1024-pixel-wide screen.
  EXPECT_EQ(place("1", 152.0 / 1024, IntRect{0, 0, 152, 112}), (IntRect{52, 38, 99, 73}));
  // Unknown sizes give nothing; the control bar counts in the height; enlarging on request.
  EXPECT_EQ(FitMovieRect(0, 240, screen, false, false), IntRect{});
  EXPECT_EQ(FitMovieRect(320, 240, screen, false, true), (IntRect{352, 256, 672, 512}));
  EXPECT_EQ(FitMovieRect(320, 240, screen, true, false), (IntRect{0, 0, 1024, 768}));
}

// One placement: a movie's sides, where it goes, and where it must stand.
struct FitCase {
  const char* what;
  int width, height;
  IntRect target;
  bool enlarge, withControls;
  IntRect placed;
};

template <size_t N>
void ExpectFits(const FitCase (&cases)[N]) {
  for (const FitCase& c : cases) {
    EXPECT_EQ(FitMovieRect(c.width, c.height, c.target, c.enlarge, c.withControls), c.placed) << c.what;
  }
}

// Sizes and targets at the ends of the int range: the control bar added to the largest
// heights, the widest targets, and enlargements that span them.
TEST(MoviePlacement, FitsMoviesAtTheEndsOfTheIntRange) {
  constexpr int kMax = std::numeric_limits<int>::max();
  constexpr int kMin = std::numeric_limits<int>::min();
  const IntRect square{0, 0, 1024, 1024};
  const IntRect widest{kMin, kMin, kMax, kMax};
  const FitCase cases[] = {
      {"bar makes the height 2^31", 1, kMax - 15, square, false, true, {512, 0, 512, 1024}},
      {"bar past the int range", 1, kMax, square, false, true, {512, 0, 512, 1024}},
      {"largest movie with its bar", kMax, kMax - 15, square, false, true, {0, 0, 1023, 1024}},
      {"widest target, centred", kMax, 1, widest, false, false, {-1073741824, -1, 1073741823, 0}},
      {"enlarged over the widest target", 1, 1, widest, true, false, widest},
      {"enlarged with its bar", 1, 1, widest, true, true, {-126322568, kMin, 126322567, kMax}},
  };
  ExpectFits(cases);
}

// The side with the larger share of the target spans it exactly; the other keeps the aspect
// and is cut, never rounded up past it.
TEST(MoviePlacement, TheLimitingSideSpansTheTargetAndTheOtherIsCut) {
  const IntRect screen{0, 0, 1024, 768};
  const FitCase cases[] = {
      {"enlarged by the width, 682.67 high", 300, 200, screen, true, false, {0, 43, 1024, 725}},
      {"shrunk by the width, 576.53 high", 1920, 1081, screen, false, false, {0, 96, 1024, 672}},
      {"a fullscreen 854 x 480 movie", 854000, 480000, screen, false, false, {0, 96, 1024, 671}},
      {"shrunk by the height, 576.53 wide", 1081, 1920, {0, 0, 768, 1024}, false, false, {96, 0, 672, 1024}},
      {"a whole 1000 wide, not 999.99", 2160, 1728, {0, 0, 1280, 800}, false, false, {140, 0, 1140, 800}},
      {"enlarged with its bar to the full height", 160, 120, screen, true, true, {60, 0, 963, 768}},
      {"the bar makes a screen-sized movie too tall", 1280, 720, {0, 0, 1280, 720}, false, true, {14, 0, 1266, 720}},
  };
  ExpectFits(cases);
}

// The "Movie Zoom" text as the registry may hold it, typed by hand.
TEST(MoviePlacement, ZoomTextReadsAsADecimalNumberAndZeroAsFullscreen) {
  const struct {
    const char* text;
    double zoom;
  } cases[] = {
      {"1.5", 1.5},  {"2x", 2},  {" 3", 3},     {"-2", -2},           {"-0", 1000},
      {"0.0", 1000}, {"", 1000}, {"abc", 1000}, {"Fullscreen", 1000},
  };
  for (const auto& c : cases) EXPECT_EQ(MovieZoom(c.text, 0.5), c.zoom * 0.5) << '"' << c.text << '"';
  // A negative zoom gives no movie side, and so the empty rectangle.
  EXPECT_EQ(ZoomMovieSide(320, MovieZoom("-2", 1.0)), 0);
}

TEST(MoviePlacement, SlideTimerPeriodIsCutToMillisecondsAndCapped) {
  const struct {
    double delay;
    uint32_t period;
  } cases[] = {
      {2.5, 2500u},
      {3.0, 3000u},
      {0.0004, 0u},
      {0.0019, 1u},
      {-1, 0u},
      {std::nan(""), 0u},
      {4294967.2949, 4294967294u},
      {4294967.2955, 4294967295u},
      {1e12, 4294967295u},
      {std::numeric_limits<double>::infinity(), 4294967295u},
  };
  for (const auto& c : cases) EXPECT_EQ(SlideTimerPeriod(c.delay), c.period) << c.delay << " s";
}

}  // namespace
}  // namespace glintora
