#pragma once
// The rectangle transitions (identifiers 1 to 54): every frame is a short list of copies
// from the old frame and from the new frame, each possibly stretched or mirrored.

#include <vector>

#include "core/base/int_rect.h"

namespace glintora {

// A source rectangle in a frame and its destination on the device (right < left or
// bottom < top: mirrored).
struct RectPair {
  IntRect source;
  IntRect destination;
  bool operator==(const RectPair&) const = default;
};

// Fills the pairs drawn from the old frame and from the new frame for identifier `id`
// (1 to 54) on a W × H frame at progress p. Both lists are emptied first.
void RectangleFrame(int id, int width, int height, float progress, std::vector<RectPair>& oldPairs,
                    std::vector<RectPair>& newPairs);

}  // namespace glintora
