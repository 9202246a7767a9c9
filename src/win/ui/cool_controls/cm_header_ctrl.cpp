#include "win/ui/cool_controls/cm_header_ctrl.h"

#include <commctrl.h>

namespace glintora {

void CCMHeaderCtrl::DrawControl(HDC dc, const RECT& /*window*/) {
  const FrameColours colours = PushButtonColours(State());
  const int count = static_cast<int>(SendMessageA(m_hWnd, HDM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    RECT item{};
    if (SendMessageA(m_hWnd, HDM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item))) {
      DrawFrame(dc, item, colours);  // the header has no border: client and window agree
    }
  }
}

}  // namespace glintora
