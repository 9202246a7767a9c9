#pragma once
// A static control of a dialog, attached by subclassing; controls that draw or act on their
// own derive from it.

#include <windows.h>

#include "win/framework/wnd.h"

namespace glintora {

class CStatic : public CWnd {
 public:
  DWORD GetStyle() const { return static_cast<DWORD>(GetWindowLongA(m_hWnd, GWL_STYLE)); }
  // The font the control draws its text with (the system's when none was set).
  HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessageA(m_hWnd, WM_GETFONT, 0, 0)); }
  void SetFont(HFONT font, BOOL redraw = TRUE) {
    SendMessageA(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
  }
};

}  // namespace glintora
