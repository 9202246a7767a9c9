#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "core/transitions/rectangles.h"
#include "image_helpers.h"
#include "transition_helpers.h"

namespace glintora {
namespace {

using testing::Pattern;
using testing::RunWatched;
using testing::WatchedRun;
using Pairs = std::vector<RectPair>;

RectPair InPlace(int l, int t, int r, int b) { return {{l, t, r, b}, {l, t, r, b}}; }

TEST(RectangleTransitions, SampleFrames) {
  Pairs oldPairs, newPairs;
  RectangleFrame(29, 800, 600, 0.5f, oldPairs, newPairs);  // Slide and Push from Left
  EXPECT_EQ(oldPairs, (Pairs{{{0, 0, 400, 600}, {400, 0, 800, 600}}}));
  EXPECT_EQ(newPairs, (Pairs{{{400, 0, 800, 600}, {0, 0, 400, 600}}}));

  RectangleFrame(18, 800, 600, 0.5f, oldPairs, newPairs);  // Slide and Replace from Left
  EXPECT_EQ(oldPairs, (Pairs{InPlace(400, 0, 800, 600)}));
  EXPECT_EQ(newPairs, (Pairs{{{400, 0, 800, 600}, {0, 0, 400, 600}}}));

  RectangleFrame(11, 801, 300, 0.5f, oldPairs, newPairs);  // Reveal and Replace from Center (vertical)
  EXPECT_EQ(newPairs, (Pairs{InPlace(200, 0, 600, 300)}));
  EXPECT_EQ(oldPairs, (Pairs{InPlace(0, 0, 200, 300), InPlace(600, 0, 801, 300)}));

  RectangleFrame(51, 1000, 200, 0.3f, oldPairs, newPairs);  // Unroll and Replace from Left
  EXPECT_EQ(oldPairs, (Pairs{InPlace(350, 0, 1000, 200)}));
  EXPECT_EQ(newPairs, (Pairs{InPlace(0, 0, 300, 200), {{300, 0, 350, 200}, {350, 0, 300, 200}}}));

  RectangleFrame(33, 640, 480, 0.0f, oldPairs, newPairs);  // Expand and Replace from Left at p = 0
  ASSERT_EQ(newPairs.size(), 1u);
  EXPECT_EQ(newPairs[0].destination, (IntRect{0, 0, 0, 480}));
}

TEST(RectangleTransitions, EachFrameIsCoveredAtTheEnds) {
  // At p = 0 the new pairs are empty, except the unroll family's mirrored strip, which
  // already curls at the starting edge; at p = 1 the new pairs cover the frame (the
  // unroll strip then lies past the edge).
  const int w = 64, h = 48;
  for (int id = 1; id <= 54; ++id) {
    Pairs oldPairs, newPairs;
    RectangleFrame(id, w, h, 0.0f, oldPairs, newPairs);
    ASSERT_FALSE(oldPairs.empty()) << id;
    const size_t emptyPairs = id >= 51 ? 1 : newPairs.size();
    for (size_t n = 0; n < emptyPairs; ++n) {
      const IntRect& d = newPairs[n].destination;
      EXPECT_TRUE(d.left == d.right || d.top == d.bottom) << id;
    }
    RectangleFrame(id, w, h, 1.0f, oldPairs, newPairs);
    ASSERT_FALSE(newPairs.empty()) << id;
  }
}

// At p = 1 the new frame's rectangles cover every pixel: a rectangle one row or column short
// would leave a line of the old frame for the whole wipe. (At odd sizes the transitions that
// close toward the centre leave their centre line to the final frame, by their halving.)
TEST(RectangleTransitions, NewRectanglesCoverTheWholeFrameAtTheEnd) {
  for (const auto& [w, h] : {std::pair{64, 48}, std::pair{6, 10}}) {
    for (int id = 1; id <= 54; ++id) {
      Pairs oldPairs, newPairs;
      RectangleFrame(id, w, h, 1.0f, oldPairs, newPairs);
      std::vector<bool> covered(static_cast<size_t>(w * h), false);
      for (const RectPair& pair : newPairs) {
        const IntRect& d = pair.destination;
        for (int y = std::max(0, std::min(d.top, d.bottom)); y < std::min(h, std::max(d.top, d.bottom)); ++y) {
          for (int x = std::max(0, std::min(d.left, d.right)); x < std::min(w, std::max(d.left, d.right)); ++x) {
            covered[static_cast<size_t>(y * w + x)] = true;
          }
        }
      }
      const auto gap = std::find(covered.begin(), covered.end(), false);
      EXPECT_EQ(gap, covered.end()) << "transition " << id << " at " << w << "x" << h << " leaves pixel "
                                    << (gap - covered.begin()) % w << "," << (gap - covered.begin()) / w;
    }
  }
}

// The first frame shows the old frame (but for the unroll family's curl), and the call
// ends on the new one after 31 frames.
TEST(RectangleTransitions, EveryIdentifierAnimatesFromOldToNew) {
  auto oldFrame = Pattern<CvxColor8>(81, 59, 7);
  auto newFrame = Pattern<CvxColor8>(81, 59, 8);
  for (int id = 1; id <= 54; ++id) {
    const WatchedRun run = RunWatched(id, *oldFrame, *newFrame);
    EXPECT_TRUE(run.finished) << id;
    EXPECT_EQ(run.frames, 31) << id;
    if (id < 51) {
      EXPECT_TRUE(run.firstFrameWasOld) << id;
    }
    EXPECT_TRUE(run.endedOnNew) << id;
  }
}

}  // namespace
}  // namespace glintora
