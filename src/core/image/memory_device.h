#pragma once
// A drawing device that paints into a Color8 image exactly as the system's StretchDIBits
// paints into a 24-bit memory bitmap with the COLORONCOLOR stretch mode, so that drawing
// can run and be measured off screen with the same pixels as on screen. Its OpenGL area,
// where the platform has one, renders off screen into the same image.

#include "core/image/drawing_device.h"
#include "core/image/image.h"

namespace glintora {

class MemoryDevice : public DrawingDevice {
 public:
  // Paints into `target`, which must outlive the device.
  explicit MemoryDevice(CvxImageColor8& target) : m_target(target) {}

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
  CvxImageColor8& m_target;
  int m_originX = 0;
  int m_originY = 0;
};

}  // namespace glintora
