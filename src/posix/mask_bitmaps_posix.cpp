// Without resources, the mask pictures come straight from their generators.

#include "core/transitions/masks.h"

namespace glintora {

std::unique_ptr<CvxImage> ProgramMaskBitmap(int bitmapId) { return GeneratedMaskBitmap(bitmapId); }

}  // namespace glintora
