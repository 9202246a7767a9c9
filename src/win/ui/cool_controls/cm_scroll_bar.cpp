#include "win/ui/cool_controls/cm_scroll_bar.h"

#include <commctrl.h>

#include <cstring>

namespace glintora {

int CCMScrollBar::Buttons(const RECT& window, RECT* buttons) const {
  char name[32] = {};
  GetClassNameA(m_hWnd, name, sizeof name);
  const LONG style = GetWindowLongA(m_hWnd, GWL_STYLE);
  if (_stricmp(name, "ScrollBar") != 0) {
    // An up-down control: its two halves.
    buttons[0] = buttons[1] = window;
    if (style & UDS_HORZ) {
      buttons[0].right = buttons[1].left = (window.left + window.right) / 2;
    } else {
      buttons[0].bottom = buttons[1].top = (window.top + window.bottom) / 2;
    }
    return 2;
  }
  if (style & SBS_SIZEBOX) return 0;
  SCROLLBARINFO info{};
  info.cbSize = sizeof info;
  if (!GetScrollBarInfo(m_hWnd, OBJID_CLIENT, &info)) return 0;
  const bool vertical = (style & SBS_VERT) != 0;
  const int length = vertical ? window.bottom : window.right;
  const int arrow = info.dxyLineButton;
  for (int i = 0; i < 3; ++i) buttons[i] = window;
  if (vertical) {
    buttons[0].bottom = arrow;
    buttons[1].top = length - arrow;
    buttons[2].top = info.xyThumbTop;
    buttons[2].bottom = info.xyThumbBottom;
  } else {
    buttons[0].right = arrow;
    buttons[1].left = length - arrow;
    buttons[2].left = info.xyThumbTop;
    buttons[2].right = info.xyThumbBottom;
  }
  return info.xyThumbBottom > info.xyThumbTop ? 3 : 2;
}

void CCMScrollBar::DrawControl(HDC dc, const RECT& window) {
  RECT buttons[3];
  const int count = Buttons(window, buttons);
  const FrameColours colours = PushButtonColours(State());
  for (int i = 0; i < count; ++i) DrawFrame(dc, buttons[i], colours);
}

}  // namespace glintora
