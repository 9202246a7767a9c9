#pragma once
// The drawing device on a real device context, with its wgl OpenGL area.

#include <windows.h>

#include "core/image/drawing_device.h"
#include "win/platform/gl_area_win.h"

namespace glintora {

class GdiDevice final : public DrawingDevice {
 public:
  // Draws on `dc`, which the caller owns and keeps alive.
  explicit GdiDevice(HDC dc) : m_dc(dc) {}

  void SetStretchModeColorOnColor() override { SetStretchBltMode(m_dc, COLORONCOLOR); }
  int StretchDIBits(int xDst, int yDst, int wDst, int hDst, int xSrc, int ySrc, int wSrc, int hSrc, const void* bits,
                    const BitmapInfo& info) override {
    return ::StretchDIBits(m_dc, xDst, yDst, wDst, hDst, xSrc, ySrc, wSrc, hSrc, bits,
                           reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY);
  }
  void SetViewportOrigin(int x, int y) override { SetViewportOrgEx(m_dc, x, y, nullptr); }
  void GetViewportOrigin(int& x, int& y) const override {
    POINT origin{};
    GetViewportOrgEx(m_dc, &origin);
    x = origin.x;
    y = origin.y;
  }
  std::unique_ptr<GlArea> OpenGlArea() override { return std::make_unique<CglArea>(m_dc); }

 private:
  HDC m_dc;
};

}  // namespace glintora
