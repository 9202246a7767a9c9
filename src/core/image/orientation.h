#pragma once
// Orientation tags (tag 274 of Exif and TIFF): which sides of the scene the stored first row
// and first column show, for pictures taken with the camera turned. A picture is stood
// upright with the image's own turns and mirrors.

#include <memory>

#include "core/image/image.h"

namespace glintora {

// The tag's codes are 1 to 8; 1 is upright as stored.
inline constexpr int kOrientationUpright = 1;
inline constexpr int kOrientationLast = 8;

constexpr bool IsOrientationCode(int code) { return code >= kOrientationUpright && code <= kOrientationLast; }

// The picture turned and mirrored so that it stands upright by `orientation`. The picture
// itself, unchanged, for code 1 and codes outside 1 to 8, and when the copy cannot be made.
std::unique_ptr<CvxImage> StandUpright(std::unique_ptr<CvxImage> picture, int orientation);

}  // namespace glintora
