#pragma once
// Drawing the artwork: designs are functions from a point of the unit square (y down) to a
// colour with coverage, rendered with 4×4 supersampling.

#include <functional>

#include "icon_writer.h"

namespace glintora::artwork {

struct Colour {
  float r, g, b, a;
};

Colour Mix(Colour a, Colour b, float t);
// `top` painted over `bottom` by its coverage.
Colour Over(Colour top, Colour bottom);

// Signed distance to a rounded rectangle centred at (cx, cy) with half sizes hx, hy and
// corner radius r: negative inside.
float RoundedBox(float x, float y, float cx, float cy, float hx, float hy, float r);

using Design = std::function<Colour(float x, float y)>;

// Pixel (px, py) of a design drawn over `scaleX` × `scaleY` units: the coverage-weighted mean
// colour of 16 samples with their mean coverage; nothing (all zero) where nothing covers it.
Colour SamplePixel(const Design& design, int px, int py, float scaleX, float scaleY);

// A size × size rendering of the design, each pixel the mean of 16 samples.
IconImage Render(int size, const Design& design);

}  // namespace glintora::artwork
