#include "win/ui/cool_controls/cm_check_box.h"

namespace glintora {

RECT CCMCheckBox::BoxRect(const RECT& window) const {
  HDC screen = GetDC(nullptr);
  const int size = MulDiv(12, GetDeviceCaps(screen, LOGPIXELSY), 96) + 1;
  ReleaseDC(nullptr, screen);
  const LONG style = GetWindowLongA(m_hWnd, GWL_STYLE);
  RECT box = window;
  if (style & BS_LEFTTEXT) {
    box.left = box.right - size;
  } else {
    box.right = box.left + size;
  }
  const LONG vertical = style & BS_VCENTER;
  if (vertical == BS_TOP) {
    box.bottom = box.top + size;
  } else if (vertical == BS_BOTTOM) {
    box.top = box.bottom - size;
  } else {
    box.top += (window.bottom - window.top - size) / 2;
    box.bottom = box.top + size;
  }
  return box;
}

void CCMCheckBox::DrawControl(HDC dc, const RECT& window) {
  DrawFrame(dc, BoxRect(window), FieldColours(State(), Background()));
}

}  // namespace glintora
