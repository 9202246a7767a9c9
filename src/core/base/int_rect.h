#pragma once
// A rectangle of whole pixels: left and top inside, right and bottom just past it. The one
// rectangle type of the portable core (transition areas and copies, movie placement, the
// player's layout); Win32 code converts it to and from RECT at its edge.

#include <cstdint>

namespace glintora {

struct IntRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool operator==(const IntRect&) const = default;
};

}  // namespace glintora
