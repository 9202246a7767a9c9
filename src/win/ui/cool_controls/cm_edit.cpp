#include "win/ui/cool_controls/cm_edit.h"

namespace glintora {

COLORREF CCMEdit::Background() const {
  const bool grey = !IsWindowEnabled(m_hWnd) || (GetWindowLongA(m_hWnd, GWL_STYLE) & ES_READONLY);
  return GetSysColor(grey ? COLOR_BTNFACE : COLOR_WINDOW);
}

}  // namespace glintora
