#pragma once
// The two pictures the transitions dialog's preview plays between: landscapes in distinct
// lights, so that every moment of a transition shows which picture is where.

#include <vector>

#include "bitmap_writer.h"
#include "shapes.h"

namespace glintora::artwork {

inline constexpr int kPreviewWidth = 320;
inline constexpr int kPreviewHeight = 240;

// Picture A: a mountain lake at dusk, the sky and its reflection in warm orange and violet.
Design LakeAtDuskDesign();
// Picture B: a green meadow with a tree above a blue sea and a sail, under a midday sky.
Design MeadowBySeaDesign();

// A width × height rendering (rows top first), each pixel the mean of 3 × 3 samples; the
// design's x runs over [0, 1] and its y over [0, 1] of the picture.
std::vector<Rgb> RenderPicture(int width, int height, const Design& design);

}  // namespace glintora::artwork
