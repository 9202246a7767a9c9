#pragma once
// The blend (cross-fade): every byte of the frame mixes new and old by the weight a of the
// new frame (0 to 256).

#include "core/image/image.h"
#include "core/transitions/engine.h"

namespace glintora {

// (a′ × new + (256 − a′) × old) >> 8 per byte with a′ = min(a, 255), in SIMD lanes where the
// processor has them; rows [firstRow, endRow) of `out`, or all of them.
void BlendFrameVector(const CvxImageColor8& oldFrame, const CvxImageColor8& newFrame, int a, CvxImageColor8& out,
                      int firstRow = 0, int endRow = -1);
// T_new[new] + T_old[old] with T_new[i] = (i × a) >> 8 and T_old[i] = (256 i − i a) >> 8.
void BlendFrameTable(const CvxImageColor8& oldFrame, const CvxImageColor8& newFrame, int a, CvxImageColor8& out,
                     int firstRow = 0, int endRow = -1);
// True when the processor offers the vector path.
bool ProcessorHasVectorBlend();

}  // namespace glintora
