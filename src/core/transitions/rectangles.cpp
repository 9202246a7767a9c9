#include "core/transitions/rectangles.h"

namespace glintora {

void RectangleFrame(int id, int width, int height, float progress, std::vector<RectPair>& oldPairs,
                    std::vector<RectPair>& newPairs) {
  oldPairs.clear();
  newPairs.clear();
  const int W = width;
  const int H = height;
  const int X = static_cast<int>(static_cast<float>(W) * progress);
  const int Y = static_cast<int>(static_cast<float>(H) * progress);
  const auto keepOld = [&](int l, int t, int r, int b) { oldPairs.push_back({{l, t, r, b}, {l, t, r, b}}); };
  const auto keepNew = [&](int l, int t, int r, int b) { newPairs.push_back({{l, t, r, b}, {l, t, r, b}}); };
  const auto moveOld = [&](IntRect from, IntRect to) { oldPairs.push_back({from, to}); };
  const auto moveNew = [&](IntRect from, IntRect to) { newPairs.push_back({from, to}); };
  const IntRect whole{0, 0, W, H};
  const int rollW = W / 20;
  const int rollH = H / 20;

  // The old frame around a growing centre rectangle (9, 41), band (10, 42) or column (11, 43).
  const auto oldAroundCentre = [&] {
    keepOld(0, 0, W, (H - Y) / 2);
    keepOld(0, (H - Y) / 2, (W - X) / 2, (H + Y) / 2);
    keepOld((W + X) / 2, (H - Y) / 2, W, (H + Y) / 2);
    keepOld(0, (H + Y) / 2, W, H);
  };
  const auto oldAroundBand = [&] {
    keepOld(0, 0, W, (H - Y) / 2);
    keepOld(0, (H + Y) / 2, W, H);
  };
  const auto oldAroundColumn = [&] {
    keepOld(0, 0, (W - X) / 2, H);
    keepOld((W + X) / 2, 0, W, H);
  };
  // One line a case: the table reads as the list of transitions it is.
  // clang-format off
  // The old frame left outside a growing corner (5-8, 22-25, 37-40).
  const auto oldBesideCorner = [&](int corner) {
    switch (corner) {
      case 0: keepOld(X, 0, W, H); keepOld(0, Y, X, H); break;                    // top left
      case 1: keepOld(0, 0, W - X, H); keepOld(W - X, Y, W, H); break;            // top right
      case 2: keepOld(0, 0, W - X, H); keepOld(W - X, 0, W, H - Y); break;        // bottom right
      default: keepOld(0, 0, W, H - Y); keepOld(X, H - Y, W, H); break;           // bottom left
    }
  };
  // The old frame inside a shrinking centre (12, 15, 46).
  const auto oldShrinkingCorners = [&] {
    keepOld(X / 2, 0, W - X / 2, H - Y / 2);
    keepOld(0, Y / 2, W, H - Y / 2);
    keepOld(X / 2, H - Y / 2, W - X / 2, H);
  };

  switch (id) {
    // Reveal and Replace
    case 1: keepOld(X, 0, W, H); keepNew(0, 0, X, H); break;
    case 2: keepOld(0, 0, W - X, H); keepNew(W - X, 0, W, H); break;
    case 3: keepOld(0, Y, W, H); keepNew(0, 0, W, Y); break;
    case 4: keepOld(0, 0, W, H - Y); keepNew(0, H - Y, W, H); break;
    case 5: oldBesideCorner(0); keepNew(0, 0, X, Y); break;
    case 6: oldBesideCorner(1); keepNew(W - X, 0, W, Y); break;
    case 7: oldBesideCorner(2); keepNew(W - X, H - Y, W, H); break;
    case 8: oldBesideCorner(3); keepNew(0, H - Y, X, H); break;
    case 9: oldAroundCentre(); keepNew((W - X) / 2, (H - Y) / 2, (W + X) / 2, (H + Y) / 2); break;
    case 10: oldAroundBand(); keepNew(0, (H - Y) / 2, W, (H + Y) / 2); break;
    case 11: oldAroundColumn(); keepNew((W - X) / 2, 0, (W + X) / 2, H); break;
    case 12:
      keepOld(X / 2, Y / 2, W - X / 2, H - Y / 2);
      keepNew(0, 0, W, Y / 2);
      keepNew(0, Y / 2, X / 2, H - Y / 2);
      keepNew(W - X / 2, Y / 2, W, H - Y / 2);
      keepNew(0, H - Y / 2, W, H);
      break;
    case 13: keepOld(0, Y / 2, W, H - Y / 2); keepNew(0, 0, W, Y / 2); keepNew(0, H - Y / 2, W, H); break;
    case 14: keepOld(X / 2, 0, W - X / 2, H); keepNew(0, 0, X / 2, H); keepNew(W - X / 2, 0, W, H); break;
    case 15:
      oldShrinkingCorners();
      keepNew(0, 0, X / 2, Y / 2);
      keepNew(W - X / 2, 0, W, Y / 2);
      keepNew(W - X / 2, H - Y / 2, W, H);
      keepNew(0, H - Y / 2, X / 2, H);
      break;
    // Reveal and Push
    case 16:
      moveOld({0, Y / 2, W, H / 2}, {0, 0, W, (H - Y) / 2});
      moveOld({0, H / 2, W, H - Y / 2}, {0, (H + Y) / 2, W, H});
      keepNew(0, (H - Y) / 2, W, (H + Y) / 2);
      break;
    case 17:
      moveOld({X / 2, 0, W / 2, H}, {0, 0, (W - X) / 2, H});
      moveOld({W / 2, 0, W - X / 2, H}, {(W + X) / 2, 0, W, H});
      keepNew((W - X) / 2, 0, (W + X) / 2, H);
      break;
    // Slide and Replace
    case 18: keepOld(X, 0, W, H); moveNew({W - X, 0, W, H}, {0, 0, X, H}); break;
    case 19: keepOld(0, 0, W - X, H); moveNew({0, 0, X, H}, {W - X, 0, W, H}); break;
    case 20: keepOld(0, Y, W, H); moveNew({0, H - Y, W, H}, {0, 0, W, Y}); break;
    case 21: keepOld(0, 0, W, H - Y); moveNew({0, 0, W, Y}, {0, H - Y, W, H}); break;
    case 22: oldBesideCorner(0); moveNew({W - X, H - Y, W, H}, {0, 0, X, Y}); break;
    case 23: oldBesideCorner(1); moveNew({0, H - Y, X, H}, {W - X, 0, W, Y}); break;
    case 24: oldBesideCorner(2); moveNew({0, 0, X, Y}, {W - X, H - Y, W, H}); break;
    case 25: oldBesideCorner(3); moveNew({W - X, 0, W, Y}, {0, H - Y, X, H}); break;
    case 26:
      keepOld(0, Y / 2, W, H - Y / 2);
      moveNew({0, (H - Y) / 2, W, H / 2}, {0, 0, W, Y / 2});
      moveNew({0, H / 2, W, (H + Y) / 2}, {0, H - Y / 2, W, H});
      break;
    case 27:
      keepOld(X / 2, 0, W - X / 2, H);
      moveNew({(W - X) / 2, 0, W / 2, H}, {0, 0, X / 2, H});
      moveNew({W / 2, 0, (W + X) / 2, H}, {W - X / 2, 0, W, H});
      break;
    case 28:
      keepOld(0, H / 2, W / 2, H - Y / 2);
      keepOld(X / 2, 0, W / 2, H / 2);
      keepOld(W / 2, Y / 2, W, H / 2);
      keepOld(W / 2, H / 2, W - X / 2, H);
      moveNew({(W - X) / 2, 0, W / 2, H / 2}, {0, 0, X / 2, H / 2});
      moveNew({W / 2, (H - Y) / 2, W, H / 2}, {W / 2, 0, W, Y / 2});
      moveNew({W / 2, H / 2, (W + X) / 2, H}, {W - X / 2, H / 2, W, H});
      moveNew({0, H / 2, W / 2, (H + Y) / 2}, {0, H - Y / 2, W / 2, H});
      break;
    // Slide and Push
    case 29: moveOld({0, 0, W - X, H}, {X, 0, W, H}); moveNew({W - X, 0, W, H}, {0, 0, X, H}); break;
    case 30: moveOld({X, 0, W, H}, {0, 0, W - X, H}); moveNew({0, 0, X, H}, {W - X, 0, W, H}); break;
    case 31: moveOld({0, 0, W, H - Y}, {0, Y, W, H}); moveNew({0, H - Y, W, H}, {0, 0, W, Y}); break;
    case 32: moveOld({0, Y, W, H}, {0, 0, W, H - Y}); moveNew({0, 0, W, Y}, {0, H - Y, W, H}); break;
    // Expand and Replace
    case 33: keepOld(X, 0, W, H); moveNew(whole, {0, 0, X, H}); break;
    case 34: keepOld(0, 0, W - X, H); moveNew(whole, {W - X, 0, W, H}); break;
    case 35: keepOld(0, Y, W, H); moveNew(whole, {0, 0, W, Y}); break;
    case 36: keepOld(0, 0, W, H - Y); moveNew(whole, {0, H - Y, W, H}); break;
    case 37: oldBesideCorner(0); moveNew(whole, {0, 0, X, Y}); break;
    case 38: oldBesideCorner(1); moveNew(whole, {W - X, 0, W, Y}); break;
    case 39: oldBesideCorner(2); moveNew(whole, {W - X, H - Y, W, H}); break;
    case 40: oldBesideCorner(3); moveNew(whole, {0, H - Y, X, H}); break;
    case 41: oldAroundCentre(); moveNew(whole, {(W - X) / 2, (H - Y) / 2, (W + X) / 2, (H + Y) / 2}); break;
    case 42: oldAroundBand(); moveNew(whole, {0, (H - Y) / 2, W, (H + Y) / 2}); break;
    case 43: oldAroundColumn(); moveNew(whole, {(W - X) / 2, 0, (W + X) / 2, H}); break;
    case 44:
      keepOld(0, Y / 2, W, H - Y / 2);
      moveNew({0, 0, W, H / 2}, {0, 0, W, Y / 2});
      moveNew({0, H / 2, W, H}, {0, H - Y / 2, W, H});
      break;
    case 45:
      keepOld(X / 2, 0, W - X / 2, H);
      moveNew({0, 0, W / 2, H}, {0, 0, X / 2, H});
      moveNew({W / 2, 0, W, H}, {W - X / 2, 0, W, H});
      break;
    case 46:
      oldShrinkingCorners();
      moveNew({0, 0, W / 2, H / 2}, {0, 0, X / 2, Y / 2});
      moveNew({W / 2, 0, W, H / 2}, {W - X / 2, 0, W, Y / 2});
      moveNew({W / 2, H / 2, W, H}, {W - X / 2, H - Y / 2, W, H});
      moveNew({0, H / 2, W / 2, H}, {0, H - Y / 2, X / 2, H});
      break;
    // Expand and Compress
    case 47: moveOld(whole, {X, 0, W, H}); moveNew(whole, {0, 0, X, H}); break;
    case 48: moveOld(whole, {0, 0, W - X, H}); moveNew(whole, {W - X, 0, W, H}); break;
    case 49: moveOld(whole, {0, Y, W, H}); moveNew(whole, {0, 0, W, Y}); break;
    case 50: moveOld(whole, {0, 0, W, H - Y}); moveNew(whole, {0, H - Y, W, H}); break;
    // Unroll and Replace: a mirrored strip of the new frame is the back of the roll.
    case 51:
      keepOld(rollW + X, 0, W, H);
      keepNew(0, 0, X, H);
      moveNew({X, 0, rollW + X, H}, {rollW + X, 0, X, H});
      break;
    case 52:
      keepOld(0, 0, W - rollW - X, H);
      keepNew(W - X, 0, W, H);
      moveNew({W - rollW - X, 0, W - X, H}, {W - X, 0, W - rollW - X, H});
      break;
    case 53:
      keepOld(0, rollH + Y, W, H);
      keepNew(0, 0, W, Y);
      moveNew({0, Y, W, rollH + Y}, {0, rollH + Y, W, Y});
      break;
    case 54:
      keepOld(0, 0, W, H - rollH - Y);
      keepNew(0, H - Y, W, H);
      moveNew({0, H - rollH - Y, W, H - Y}, {0, H - Y, W, H - rollH - Y});
      break;
    default: break;
  }
  // clang-format on
}

}  // namespace glintora
