#pragma once
// The drawing-device seam: what drawing an image needs of a device context. On Windows it is
// a real HDC; the memory device paints into a Color8 image with the same results, so that
// transitions can run and be measured off screen.

#include <memory>

#include "core/image/bitmap_info.h"
#include "core/image/gl_area.h"

namespace glintora {

class DrawingDevice {
 public:
  virtual ~DrawingDevice() = default;

  // Stretching drops pixels instead of blending them (COLORONCOLOR).
  virtual void SetStretchModeColorOnColor() = 0;
  // Copies a rectangle of a bottom-up DIB (source y counted from its bottom row) to a
  // destination rectangle in logical coordinates, stretching or shrinking it; a negative
  // width or height on either side mirrors. Raster operation SRCCOPY, RGB colours. Returns
  // the number of scan lines copied, 0 on failure.
  virtual int StretchDIBits(int xDst, int yDst, int wDst, int hDst, int xSrc, int ySrc, int wSrc, int hSrc,
                            const void* bits, const BitmapInfo& info) = 0;
  // The point of device space that logical (0, 0) maps to.
  virtual void SetViewportOrigin(int x, int y) = 0;
  virtual void GetViewportOrigin(int& x, int& y) const = 0;
  // An OpenGL rendering area on this device, current on the calling thread; null when the
  // device has none.
  virtual std::unique_ptr<GlArea> OpenGlArea() { return nullptr; }
};

}  // namespace glintora
