#pragma once
// The grey masks of the mask transitions (identifiers 55 to 90). Mask value m at a pixel
// is the moment it switches from the old frame to the new one: it shows the new frame once
// trunc(p × 255) exceeds m.

#include <memory>

#include "core/image/image.h"

namespace glintora {

// Supplies the diamond (20001) or twirl (20000) mask picture; null when it cannot.
using MaskBitmapSource = std::unique_ptr<CvxImage> (*)(int bitmapId);
// The generators of mask_bitmaps.h.
std::unique_ptr<CvxImage> GeneratedMaskBitmap(int bitmapId);
// The program's own copy: its bitmap resources on Windows, the generators elsewhere.
std::unique_ptr<CvxImage> ProgramMaskBitmap(int bitmapId);

// The mask of identifier `id` for a W × H frame, before normalisation (some masks are of
// another size or turned); random values come from the shared generator. Null when the
// identifier is no mask transition or the mask cannot be made.
std::unique_ptr<CvxImage> BuildTransitionMask(int id, int width, int height, MaskBitmapSource bitmaps);

}  // namespace glintora
