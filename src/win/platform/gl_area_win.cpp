// The wgl rendering context of the 3D transitions.

#include "win/platform/gl_area_win.h"

#include <GL/gl.h>

namespace glintora {

CglArea::CglArea(HDC dc) : m_dc(dc), m_window(WindowFromDC(dc)) {
  PIXELFORMATDESCRIPTOR request{};
  request.nSize = sizeof request;
  request.nVersion = 1;
  request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  request.iPixelType = PFD_TYPE_RGBA;
  request.cColorBits = 24;
  request.cDepthBits = 16;
  const int format = ChoosePixelFormat(dc, &request);
  // Without a window format there is no OpenGL for this device (some systems still hand out
  // a context for a memory device context, which would draw nowhere).
  if (format == 0) return;
  // A window keeps the format of its first transition; setting it again fails harmlessly.
  SetPixelFormat(dc, format, &request);
  m_context = wglCreateContext(dc);
  if (m_context && !wglMakeCurrent(dc, m_context)) {
    wglDeleteContext(m_context);
    m_context = nullptr;
  }
}

CglArea::~CglArea() {
  if (m_context) Release();
}

int CglArea::SurfaceHeight() const {
  RECT client{};
  if (!m_window || !GetClientRect(m_window, &client)) return 0;
  return client.bottom - client.top;
}

void CglArea::Present() {
  glFlush();
  SwapBuffers(m_dc);
}

void CglArea::Release() {
  if (m_context) {
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(m_context);
  }
  m_dc = nullptr;
  m_window = nullptr;
  m_context = nullptr;
}

// Memory devices have no OpenGL on Windows.
std::unique_ptr<GlArea> OpenOffscreenGlArea(CvxImageColor8& /*target*/) { return nullptr; }

}  // namespace glintora
