#pragma once
// The transition engine: animates the change from an old frame to a new one on a drawing
// device, with a transition chosen by identifier or at random among the enabled ones, and
// always ends on the whole new frame unless the caller stops it.

#include <cstdint>

#include "core/base/clock.h"
#include "core/base/int_rect.h"
#include "core/image/drawing_device.h"
#include "core/image/image.h"
#include "core/transitions/gl_transitions.h"
#include "core/transitions/masks.h"

namespace glintora {

// Called once per animation frame with the caller's context; false stops the transition.
using ContinueCallback = bool (*)(void* context);

// How the blend computes its frames: by the processor's capability, or forced (tests).
enum class BlendPath { Automatic, Vector, Table };

// What the engine needs besides the transition itself; the defaults are the product's.
struct TransitionOptions {
  const Clock* clock = &SystemClock();
  BlendPath blendPath = BlendPath::Automatic;
  // Where the diamond and twirl mask pictures come from.
  MaskBitmapSource maskBitmaps = &ProgramMaskBitmap;
  // How the OpenGL family makes the square copies of the frames it uploads as textures.
  TextureCopier textureCopy = &BilinearTextureCopy;
  // Row bands the pixel families split each frame into: 0 one per hardware thread.
  int bands = 0;
};

// Runs transition `id` for `seconds` (0: no duration, fixed steps) in `area`, the destination
// on the device and the source rectangle within the frames. True when it ran to its end and
// left the new frame on the device; false when the callback stopped it.
bool RunTransition(DrawingDevice& device, const IntRect& area, const CvxImageColor8& oldFrame,
                   const CvxImageColor8& newFrame, int id, float seconds, ContinueCallback callback, void* context,
                   const TransitionOptions& options = {});

// Chooses among the identifiers whose byte of `enabled` (101 bytes) is non-zero, with
// k = trunc(count × NextRandom() / 32768); with none enabled the new frame is drawn at once.
bool RunRandomTransition(DrawingDevice& device, const IntRect& area, const CvxImageColor8& oldFrame,
                         const CvxImageColor8& newFrame, const uint8_t* enabled, float seconds,
                         ContinueCallback callback, void* context, const TransitionOptions& options = {});

// The identifier RunRandomTransition picks for a given random value r (0 to 32767); -1
// when none is enabled.
int ChooseTransition(const uint8_t* enabled, int r);

}  // namespace glintora
