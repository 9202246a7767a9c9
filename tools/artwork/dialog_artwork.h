#pragma once
// The options dialog's pictures: its logo, the banner's icon and the browse button's icon.

#include <cstdint>
#include <vector>

#include "shapes.h"

namespace glintora::artwork {

// The logo's size in pixels, and the colour of its transparent pixels (red 255, green 0,
// blue 128), which no drawn pixel has.
inline constexpr int kLogoSize = 48;
inline constexpr Rgba kLogoTransparent{255, 0, 128, 255};

// A sunset photo with a glint at its corner; pixels outside the design are kLogoTransparent,
// edges are blended over the light grey of a dialog.
IconImage RenderLogo();
// The advertised imaging program: a lens over a violet tile.
Design BannerIconDesign();
// A yellow folder.
Design BrowseIconDesign();
// The program's own icon: a rounded photo frame holding a sunset over two hills.
Design AppIconDesign();

}  // namespace glintora::artwork
