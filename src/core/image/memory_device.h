#pragma once
// A drawing device that paints into a Color8 image exactly as the system's StretchDIBits
// paints into a 24-bit memory bitmap with the COLORONCOLOR stretch mode, so that drawing
// can run and be measured off screen with the same pixels as on screen. Its OpenGL area,
// where the platform has one, renders off screen into the same image.

#include <functional>
#include <memory>

#include "core/base/row_bands.h"
#include "core/image/drawing_device.h"
#include "core/image/image.h"

namespace glintora {

class MemoryDevice : public DrawingDevice {
 public:
  // Paints into `target`, which must outlive the device. Large draws are split into `bands`
  // of rows on their own threads (0: one per hardware thread; 1: all on the caller's).
  explicit MemoryDevice(CvxImageColor8& target, int bands = 0) : m_target(target), m_bandCount(bands) {}

  void SetStretchModeColorOnColor() override {}
  int StretchDIBits(int xDst, int yDst, int wDst, int hDst, int xSrc, int ySrc, int wSrc, int hSrc, const void* bits,
                    const BitmapInfo& info) override;
  void SetViewportOrigin(int x, int y) override {
    m_originX = x;
    m_originY = y;
  }
  void GetViewportOrigin(int& x, int& y) const override {
    x = m_originX;
    y = m_originY;
  }
  std::unique_ptr<GlArea> OpenGlArea() override { return OpenOffscreenGlArea(m_target); }

 private:
  // Calls work(first, end) over rows [top, bottom): large draws in bands on every core.
  void ForRows(int top, int bottom, int64_t pixels, const std::function<void(int, int)>& work);

  CvxImageColor8& m_target;
  int m_bandCount;
  std::unique_ptr<RowBands> m_bands;  // made at the first large draw
  int m_originX = 0;
  int m_originY = 0;
};

}  // namespace glintora
