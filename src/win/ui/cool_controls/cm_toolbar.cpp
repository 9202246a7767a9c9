#include "win/ui/cool_controls/cm_toolbar.h"

#include <commctrl.h>

namespace glintora {

void CCMToolbar::OnAttached() {
  const LONG style = GetWindowLongA(m_hWnd, GWL_STYLE);
  if (!(style & TBSTYLE_FLAT)) SetWindowLongA(m_hWnd, GWL_STYLE, style | TBSTYLE_FLAT);
  InvalidateRect(m_hWnd, nullptr, TRUE);
}

}  // namespace glintora
