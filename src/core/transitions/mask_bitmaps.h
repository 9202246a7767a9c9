#pragma once
// The two 100 × 100 grey mask pictures of the diamond and twirl transitions. The Windows
// program carries them as bitmap resources 20001 and 20000, written from these generators
// at build time; elsewhere the generators supply them directly. This file depends on
// nothing else of the program so that the build machine's artwork tool can compile it.

#include <array>
#include <cstdint>

namespace glintora {

inline constexpr int kTwirlBitmapId = 20000;
inline constexpr int kDiamondBitmapId = 20001;
inline constexpr int kMaskBitmapSize = 100;

// Grey levels, kMaskBitmapSize × kMaskBitmapSize, top row first.
using MaskPicture = std::array<uint8_t, kMaskBitmapSize * kMaskBitmapSize>;

// Grey grows with the distance |x − 50| + |y − 50|: about 0 at the centre, about 130 in the
// middle of each edge, 255 at the corners.
MaskPicture DrawDiamondMaskPicture();
// A three-armed spiral, grey 46 to 255: around any circle about the centre the grey climbs
// three times and drops back, and the arms turn with the distance from the centre.
MaskPicture DrawTwirlMaskPicture();

}  // namespace glintora
