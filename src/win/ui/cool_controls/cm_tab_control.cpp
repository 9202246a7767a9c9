#include "win/ui/cool_controls/cm_tab_control.h"

#include <commctrl.h>

namespace glintora {

void CCMTabControl::DrawControl(HDC dc, const RECT& window) {
  RECT page = window;
  RECT tab{};
  if (SendMessageA(m_hWnd, TCM_GETITEMCOUNT, 0, 0) > 0 &&
      SendMessageA(m_hWnd, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab))) {
    const LONG style = GetWindowLongA(m_hWnd, GWL_STYLE);
    if (style & TCS_BOTTOM) {
      page.bottom = tab.top;
    } else {
      page.top = tab.bottom;
    }
  }
  DrawFrame(dc, page, PushButtonColours(State()));
}

}  // namespace glintora
