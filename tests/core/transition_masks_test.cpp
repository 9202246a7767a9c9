#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "core/base/random.h"
#include "core/transitions/engine.h"
#include "core/transitions/mask_bitmaps.h"
#include "core/transitions/masks.h"
#include "core/transitions/pacing.h"
#include "image_helpers.h"
#include "transition_helpers.h"

namespace glintora {
namespace {

using testing::Pattern;
using testing::RunWatched;
using testing::SamePixels;
using testing::WatchedRun;

int MaskAt(const CvxImage& mask, int x, int y) { return static_cast<const CvxImageGray8&>(mask).At(x, y).c[0]; }

TEST(MaskTransitions, EveryIdentifierAnimatesFromOldToNew) {
  auto oldFrame = Pattern<CvxColor8>(83, 61, 5);
  auto newFrame = Pattern<CvxColor8>(83, 61, 6);
  for (int id = 55; id <= 90; ++id) {
    SeedRandom(static_cast<uint32_t>(id));
    const WatchedRun run = RunWatched(id, *oldFrame, *newFrame);
    EXPECT_TRUE(run.finished) << id;
    EXPECT_EQ(run.frames, 31) << id;
    EXPECT_TRUE(run.firstFrameWasOld) << id;
    EXPECT_TRUE(run.endedOnNew) << id;
  }
}

// Every frame of every mask transition shows the new frame exactly where the frame's mask is
// below trunc(p × 255) for that frame's progress, and the old frame elsewhere.
TEST(MaskTransitions, EveryFrameShowsTheNewFrameExactlyWhereTheMaskIsBelowTheThreshold) {
  constexpr int kWidth = 83, kHeight = 61;
  auto oldFrame = Pattern<CvxColor8>(kWidth, kHeight, 5);
  auto newFrame = Pattern<CvxColor8>(kWidth, kHeight, 6);
  // The progress of each frame, from the pacer the engine uses.
  testing::ScriptedClock clock;
  std::vector<int> thresholds;
  FramePacer pacer(0.0f, clock, false);
  pacer.Start();
  do {
    thresholds.push_back(static_cast<int>(pacer.Progress() * 255.0f));
  } while (pacer.Advance());
  for (int id = 55; id <= 90; ++id) {
    SeedRandom(static_cast<uint32_t>(id));
    std::unique_ptr<CvxImage> built = BuildTransitionMask(id, kWidth, kHeight, &ProgramMaskBitmap);
    ASSERT_TRUE(built && ConvertImage(built, Gray8) && built) << id;
    const std::unique_ptr<CvxImage> mask = built->Resize(kWidth, kHeight, kBilinear);
    SeedRandom(static_cast<uint32_t>(id));
    CvxImageColor8 screen(kWidth, kHeight, true);
    MemoryDevice device(screen);
    struct Shots {
      const CvxImageColor8* screen;
      std::vector<std::unique_ptr<CvxImage>> taken;
      static bool Take(void* context) {
        auto* self = static_cast<Shots*>(context);
        self->taken.push_back(self->screen->Clone());
        return true;
      }
    } shots{&screen, {}};
    TransitionOptions options;
    options.clock = &clock;
    ASSERT_TRUE(
        RunTransition(device, {0, 0, kWidth, kHeight}, *oldFrame, *newFrame, id, 0.0f, &Shots::Take, &shots, options));
    ASSERT_EQ(shots.taken.size(), thresholds.size()) << id;
    // A frame is on the screen at the next frame's callback.
    for (size_t frame = 0; frame + 1 < shots.taken.size(); ++frame) {
      const auto& shown = static_cast<const CvxImageColor8&>(*shots.taken[frame + 1]);
      int wrong = 0;
      for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
          const bool isNew = static_cast<const CvxImageGray8&>(*mask).At(x, y).c[0] < thresholds[frame];
          const CvxColor8& expected = isNew ? newFrame->At(x, y) : oldFrame->At(x, y);
          wrong += std::memcmp(&shown.At(x, y), &expected, sizeof expected) != 0;
        }
      }
      EXPECT_EQ(wrong, 0) << "transition " << id << ", frame " << frame;
    }
  }
}

TEST(MaskTransitions, AMissingMaskPictureSkipsTheAnimation) {
  auto oldFrame = Pattern<CvxColor8>(20, 10, 1);
  auto newFrame = Pattern<CvxColor8>(20, 10, 2);
  TransitionOptions options;
  options.maskBitmaps = [](int) -> std::unique_ptr<CvxImage> { return nullptr; };
  for (int id : {85, 86, 90}) {
    const WatchedRun run = RunWatched(id, *oldFrame, *newFrame, options);
    EXPECT_TRUE(run.finished) << id;
    EXPECT_EQ(run.frames, 0) << id;
    EXPECT_TRUE(run.endedOnNew) << id;
  }
}

TEST(MaskRecipes, BarsFromLeftOnAFrameFourHundredHigh) {
  auto mask = BuildTransitionMask(55, 200, 400, nullptr);
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(MaskAt(*mask, 0, 0), 0);
  EXPECT_EQ(MaskAt(*mask, 199, 10), 126);  // rows 0 to 10: the first bar
  EXPECT_EQ(MaskAt(*mask, 0, 11), 127);    // rows 11 to 20: the second
  EXPECT_EQ(MaskAt(*mask, 199, 20), 253);
  EXPECT_EQ(MaskAt(*mask, 0, 21), 0);
  auto both = BuildTransitionMask(59, 200, 400, nullptr);
  EXPECT_EQ(MaskAt(*both, 199, 0), 252);
  EXPECT_EQ(MaskAt(*both, 199, 11), 3);
  auto vertical = BuildTransitionMask(61, 400, 400, nullptr);  // from the bottom
  EXPECT_EQ(MaskAt(*vertical, 0, 399), 127 - 126);
  EXPECT_EQ(MaskAt(*vertical, 11, 0), 255);
}

TEST(MaskRecipes, DiagonalsStartAtTheirCorner) {
  const int w = 40, h = 30;
  auto topLeft = BuildTransitionMask(65, w, h, nullptr);
  EXPECT_EQ(MaskAt(*topLeft, 0, 0), 0);
  EXPECT_EQ(MaskAt(*topLeft, w - 1, h - 1), 255);
  auto bottomRight = BuildTransitionMask(66, w, h, nullptr);
  EXPECT_EQ(MaskAt(*bottomRight, w - 1, h - 1), 0);
  auto bottomLeft = BuildTransitionMask(67, w, h, nullptr);  // turned: h wide, w high
  ASSERT_EQ(bottomLeft->m_width, h);
  EXPECT_EQ(MaskAt(*bottomLeft, 0, w - 1), 0);
  auto topRight = BuildTransitionMask(68, w, h, nullptr);
  EXPECT_EQ(MaskAt(*topRight, h - 1, 0), 0);
}

TEST(MaskRecipes, CirclesGrowFromOrCloseTowardsTheirCorner) {
  const int w = 64, h = 48;
  auto out = BuildTransitionMask(84, w, h, nullptr);  // bottom left, out
  auto in = BuildTransitionMask(83, w, h, nullptr);
  EXPECT_LE(MaskAt(*out, 0, h - 1), 8);
  EXPECT_GE(MaskAt(*out, w - 1, 0), 240);
  EXPECT_GE(MaskAt(*in, 0, h - 1), 247);
  EXPECT_LE(MaskAt(*in, w - 1, 0), 15);
  auto centre = BuildTransitionMask(76, w, h, nullptr);
  EXPECT_EQ(MaskAt(*centre, w / 2, h / 2), 0);
  EXPECT_GE(MaskAt(*centre, 0, 0), 250);
}

// Distances and angles become levels rounded half up: trunc(v + 0.5).
TEST(MaskRecipes, CircleAndClockLevelsAreRounded) {
  struct Case {
    int id, width, height, x, y, level;
  };
  const Case cases[] = {
      // Circle from the centre of 64 × 48: radius 40, level = distance × 255 / 40.
      {76, 64, 48, 34, 24, 13},  // 12.75
      {76, 64, 48, 37, 24, 32},  // 31.875
      {76, 64, 48, 40, 30, 64},  // 63.75
      {76, 64, 48, 0, 0, 255},
      {75, 64, 48, 34, 24, 242},  // "In": the same, inverted
      // The clock's hand on 101 × 101, level = (angle + π) × 255 / 2π.
      {87, 101, 101, 60, 5, 9},     // 8.87
      {87, 101, 101, 90, 20, 38},   // 37.63
      {87, 101, 101, 95, 70, 81},   // 80.72
      {87, 101, 101, 20, 90, 154},  // 153.62
      {87, 101, 101, 5, 30, 208},   // 208.22
  };
  for (const Case& c : cases) {
    auto mask = BuildTransitionMask(c.id, c.width, c.height, nullptr);
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(MaskAt(*mask, c.x, c.y), c.level) << c.id << " at " << c.x << "," << c.y;
  }
}

// A state whose next value satisfies `wanted`.
template <typename F>
uint32_t StateWhere(F wanted) {
  for (uint32_t s = 0;; ++s) {
    if (wanted(StepRandom(s).value)) return s;
  }
}

TEST(MaskRecipes, PropellerBladesRepeatEveryQuarterTurnWithFourBlades) {
  SeedRandom(StateWhere([](int v) { return v % 8 == 1; }));  // 1 + 3 = 4 blades
  const int size = 101;
  auto mask = BuildTransitionMask(88, size, size, nullptr);
  const int c = size / 2;
  for (auto [dx, dy] : {std::pair{7, 3}, {20, -11}, {-5, 30}, {33, 1}}) {
    // (dx, dy) turned by 90 degrees about the centre is (-dy, dx).
    EXPECT_NEAR(MaskAt(*mask, c + dx, c + dy), MaskAt(*mask, c - dy, c + dx), 1) << dx << "," << dy;
  }
  auto clock = BuildTransitionMask(87, size, size, nullptr);
  EXPECT_LE(MaskAt(*clock, c + 1, 0), 5) << "just right of twelve o'clock";
  EXPECT_NEAR(MaskAt(*clock, size - 1, c), 64, 2);
  EXPECT_NEAR(MaskAt(*clock, c, size - 1), 128, 2);
  EXPECT_NEAR(MaskAt(*clock, 0, c), 191, 2);
}

TEST(MaskRecipes, SpeckleAndBlocksUseTheSharedGenerator) {
  SeedRandom(99);
  auto first = BuildTransitionMask(69, 30, 20, nullptr);
  SeedRandom(99);
  auto again = BuildTransitionMask(69, 30, 20, nullptr);
  EXPECT_TRUE(SamePixels(*first, *again));
  SeedRandom(99);
  EXPECT_EQ(MaskAt(*first, 0, 0), static_cast<int>(NextRandom() * 0.00778222));
  auto fromLeft = BuildTransitionMask(70, 200, 10, nullptr);
  EXPECT_LE(MaskAt(*fromLeft, 0, 5), 4);
  EXPECT_GE(MaskAt(*fromLeft, 199, 5), 248);
  auto blocks = BuildTransitionMask(74, 160, 160, nullptr);
  std::vector<int> seen;
  for (int by = 0; by < 16; ++by) {
    for (int bx = 0; bx < 16; ++bx) seen.push_back(MaskAt(*blocks, bx * 10 + 5, by * 10 + 5));
  }
  std::sort(seen.begin(), seen.end());
  for (int i = 0; i < 256; ++i) ASSERT_EQ(seen[static_cast<size_t>(i)], i) << "each level in one block";
  auto dissolve = BuildTransitionMask(89, 10, 10, nullptr);
  ASSERT_NE(dissolve, nullptr);
  EXPECT_EQ(dissolve->m_width, 256);
}

TEST(MaskBitmaps, DiamondAndTwirlHaveTheirShapes) {
  auto diamond = GeneratedMaskBitmap(kDiamondBitmapId);
  ASSERT_NE(diamond, nullptr);
  ASSERT_EQ(diamond->m_type, Gray8);
  EXPECT_LE(MaskAt(*diamond, 50, 50), 5);
  EXPECT_NEAR(MaskAt(*diamond, 0, 50), 130, 8);
  EXPECT_NEAR(MaskAt(*diamond, 50, 99), 130, 8);
  EXPECT_EQ(MaskAt(*diamond, 0, 0), 255);
  EXPECT_EQ(MaskAt(*diamond, 99, 99), 255);
  auto twirl = GeneratedMaskBitmap(kTwirlBitmapId);
  ASSERT_NE(twirl, nullptr);
  int lowest = 255, highest = 0;
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 100; ++x) {
      lowest = std::min(lowest, MaskAt(*twirl, x, y));
      highest = std::max(highest, MaskAt(*twirl, x, y));
    }
  }
  EXPECT_GE(lowest, 46);
  EXPECT_EQ(highest, 255);
  // Around a circle the level climbs three times: count the falls from high to low.
  int drops = 0;
  bool high = false;
  // Steps of 4 degrees (about 2 pixels) so that rounding never walks back over an edge.
  for (int step = 0; step <= 360; step += 4) {
    const double angle = step * 3.14159265358979 / 180;
    const int x = 50 + static_cast<int>(std::lround(30 * std::cos(angle)));
    const int y = 50 - static_cast<int>(std::lround(30 * std::sin(angle)));
    const int level = MaskAt(*twirl, x, y);
    if (level > 220) high = true;
    if (high && level < 80) {
      ++drops;
      high = false;
    }
  }
  EXPECT_EQ(drops, 3);
}

}  // namespace
}  // namespace glintora
