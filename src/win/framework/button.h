#pragma once
// A button of a dialog (push button, check box), attached by subclassing.

#include <windows.h>

#include "win/framework/wnd.h"

namespace glintora {

class CButton : public CWnd {
 public:
  // Shows `icon` on the button (which needs the icon style); returns the previous one. The
  // caller keeps owning the icon.
  HICON SetIcon(HICON icon) {
    return reinterpret_cast<HICON>(SendMessageA(m_hWnd, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)));
  }
  int GetCheck() const { return static_cast<int>(SendMessageA(m_hWnd, BM_GETCHECK, 0, 0)); }
  void SetCheck(int state) { SendMessageA(m_hWnd, BM_SETCHECK, static_cast<WPARAM>(state), 0); }
};

}  // namespace glintora
