#include "win/ui/cool_controls/cm_date_time.h"

#include <commctrl.h>

namespace glintora {

RECT CCMDateTime::DropButton(bool* pressed) const {
  *pressed = false;
  if (GetWindowLongA(m_hWnd, GWL_STYLE) & DTS_UPDOWN) return {};
  const int border = BorderWidth();
  RECT client{};
  GetClientRect(m_hWnd, &client);
  RECT button{client.right - GetSystemMetrics(SM_CXVSCROLL), 0, client.right, client.bottom};
  OffsetRect(&button, border, border);
  *pressed = SendMessageA(m_hWnd, DTM_GETMONTHCAL, 0, 0) != 0;  // the calendar is dropped down
  return button;
}

}  // namespace glintora
