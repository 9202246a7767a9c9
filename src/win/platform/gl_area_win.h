#pragma once
// The OpenGL area on a real device context: a wgl rendering context for the window that
// owns the device context, current on the thread that makes it.

#include <windows.h>

#include "core/image/gl_area.h"

namespace glintora {

class CglArea final : public GlArea {
 public:
  // Asks for a double-buffered RGBA window format (24 colour bits, 16 depth bits), sets it
  // and makes a context current on `dc`. `dc` stays the caller's: it outlives the area and
  // is never released here.
  explicit CglArea(HDC dc);
  ~CglArea() override;
  CglArea(const CglArea&) = delete;
  CglArea& operator=(const CglArea&) = delete;

  bool HasContext() const override { return m_context != nullptr; }
  int SurfaceHeight() const override;
  void Present() override;
  void Release() override;

 private:
  HDC m_dc;
  HWND m_window;  // the window that owns m_dc, or null
  HGLRC m_context = nullptr;
};

}  // namespace glintora
