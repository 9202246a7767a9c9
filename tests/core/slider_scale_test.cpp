// The bitmap slider's mapping between its range and its channel.

#include <gtest/gtest.h>

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

TEST(SliderScale, EmptyRangesAndNarrowChannelsDoNotDivideByZero) {
  const SliderGeometry empty{7, 7, 100, 10, 0};
  EXPECT_EQ(ThumbLeft(empty, 7), 0);
  EXPECT_EQ(PositionAt(empty, 60), 7);
  const SliderGeometry narrow{0, 100, 6, 11, 0};  // narrower than the thumb
  EXPECT_EQ(PositionAt(narrow, 3), 0);
  EXPECT_EQ(ThumbLeft(narrow, 100), 0);
  const SliderGeometry reversed{10, 0, 100, 10, 0};
  EXPECT_EQ(PositionAt(reversed, 50), 10);
}

}  // namespace
}  // namespace glintora
