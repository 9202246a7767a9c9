#pragma once
// The OpenGL family of transitions (identifiers 91 to 100): both frames become textures and
// each animation frame is a small textured scene rendered through the device's OpenGL area.

#include <functional>
#include <memory>

#include "core/base/int_rect.h"
#include "core/image/drawing_device.h"
#include "core/image/image.h"

namespace glintora {

struct TransitionOptions;
using ContinueCallback = bool (*)(void* context);

// Makes the size × size copy of a frame that becomes a texture; null when it cannot be
// allocated.
using TextureCopier = std::function<std::unique_ptr<CvxImage>(const CvxImageColor8& frame, int size)>;
// The bilinear copy.
std::unique_ptr<CvxImage> BilinearTextureCopy(const CvxImageColor8& frame, int size);

// The side of the square textures for a width × height area: the largest power of two
// whose double is not below the larger side, from 2 up to 2048.
int GlTextureSize(int width, int height);

// Animates transition `id` (91 to 100) through the device's OpenGL area, presenting each
// frame before it asks the callback. Everything it made (textures, display list, context)
// is gone and the device's viewport origin is back when it returns. False when the
// callback stopped it. True when it ran to its end, and also at once when it cannot run
// (no OpenGL area or context, an empty area, a texture copy that could not be made); the
// caller then draws the final frame.
bool RunGlTransition(DrawingDevice& device, const IntRect& area, const CvxImageColor8& oldFrame,
                     const CvxImageColor8& newFrame, int id, float seconds, ContinueCallback callback, void* context,
                     const TransitionOptions& options);

}  // namespace glintora
