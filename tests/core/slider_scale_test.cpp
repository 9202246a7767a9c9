// The bitmap slider's mapping between its range and its channel.

#include <gtest/gtest.h>

#include <cfenv>

#include "core/ui/slider_scale.h"

namespace glintora {
namespace {

TEST(SliderScale, PositionsAndPointsMapBothWays) {
  // A 152-pixel seek bar with an 11-pixel thumb: the centre runs from 5 to 146.
  const SliderGeometry bar{0, 10000, 152, 11, 0};
  EXPECT_EQ(ThumbLeft(bar, 0), 0);
  EXPECT_EQ(ThumbLeft(bar, 10000), 141) << "the thumb's right edge at the channel's end";
  EXPECT_EQ(TrackX(bar, 5000), 76);
  EXPECT_EQ(PositionAt(bar, 76), 5035) << "the nearest position, rounded";
  EXPECT_EQ(PositionAt(bar, 6), 71) << "70.9: rounded up";
  EXPECT_EQ(PositionAt(bar, -20), 0) << "before the track: the minimum";
  EXPECT_EQ(PositionAt(bar, 500), 10000) << "after it: the maximum";
  EXPECT_EQ(ThumbLeft(bar, 12345), 141) << "positions beyond the range stay on the channel";
  for (int x = 5; x <= 146; ++x) EXPECT_EQ(TrackX(bar, PositionAt(bar, x)), x) << "every pixel of the track";

  // Margins keep the thumb off the ends; a range need not start at 0.
  const SliderGeometry inset{-50, 50, 100, 10, 10};
  EXPECT_EQ(ThumbLeft(inset, -50), 10);
  EXPECT_EQ(ThumbLeft(inset, 50), 80);
  EXPECT_EQ(PositionAt(inset, 50), 0);
}

// Sliders with nothing to map: every position and every point gives the track's start and the
// range's minimum, with no 0/0 or x/0 on the way (its NaN or infinity would only happen to be
// clamped back).
TEST(SliderScale, EmptyRangesAndNarrowChannelsRaiseNoInvalidOperation) {
  const struct {
    const char* what;
    SliderGeometry slider;
    int thumbLeft, position;
  } cases[] = {
      {"an empty range", {7, 7, 100, 10, 0}, 0, 7},
      {"a reversed range", {10, 0, 100, 10, 0}, 0, 10},
      {"a channel narrower than the thumb", {0, 100, 6, 11, 0}, 0, 0},
      {"a channel just holding thumb and margins", {0, 100, 30, 10, 10}, 10, 0},
  };
  for (const auto& c : cases) {
    const SliderGeometry& s = c.slider;
    for (int i = -20; i <= 120; ++i) {
      const int position = s.minimum + i, x = s.width * i / 100;
      std::feclearexcept(FE_ALL_EXCEPT);
      const int thumbLeft = ThumbLeft(s, position);
      const int at = PositionAt(s, x);
      const bool invalid = std::fetestexcept(FE_INVALID | FE_DIVBYZERO) != 0;
      ASSERT_FALSE(invalid) << c.what << ": position " << position << ", x " << x;
      ASSERT_EQ(thumbLeft, c.thumbLeft) << c.what << ": position " << position;
      ASSERT_EQ(at, c.position) << c.what << ": x " << x;
    }
  }
}

}  // namespace
}  // namespace glintora
