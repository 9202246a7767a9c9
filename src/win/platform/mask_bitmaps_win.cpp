// The Windows program carries the mask pictures as bitmap resources.

#include "core/loaders/image_loader.h"
#include "core/transitions/masks.h"

namespace glintora {

std::unique_ptr<CvxImage> ProgramMaskBitmap(int bitmapId) { return CvxImageLoader::LoadBitmapResource(bitmapId); }

}  // namespace glintora
