#include "win/ui/cool_controls/cm_control.h"

#include <algorithm>

namespace glintora {
namespace {

// Messages after which a control may have painted itself: some paint without WM_PAINT (a
// button pressed or checked, a themed control following the mouse).
bool MayHavePainted(UINT message) {
  switch (message) {
    case WM_PAINT:
    case WM_NCPAINT:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
    case WM_CAPTURECHANGED:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_UPDATEUISTATE:
    case WM_STYLECHANGED:
    case BM_SETSTATE:
    case BM_SETCHECK:
    case BM_SETSTYLE:
      return true;
    default:
      return false;
  }
}

}  // namespace

void CCMControl::SetHot(bool hot) {
  if (hot) {
    m_state |= kMouseOver;
  } else {
    m_state &= ~kMouseOver;
  }
  Redraw();
}

void CCMControl::Redraw() {
  if (!m_hWnd || !IsWindowVisible(m_hWnd)) return;
  RECT window{};
  GetWindowRect(m_hWnd, &window);
  OffsetRect(&window, -window.left, -window.top);
  HDC dc = GetWindowDC(m_hWnd);
  if (!dc) return;
  DrawControl(dc, window);
  ReleaseDC(m_hWnd, dc);
}

bool CCMControl::IsInside(POINT screen) const {
  RECT window{};
  GetWindowRect(m_hWnd, &window);
  return PtInRect(&window, screen) != FALSE;
}

LRESULT CCMControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CallOld(message, wParam, lParam);
  if (MayHavePainted(message)) Redraw();  // does nothing once the window has gone
  return result;
}

FrameState CCMControl::State() const {
  FrameState state;
  state.active = IsHot() || IsFocused();
  state.disabled = !IsWindowEnabled(m_hWnd);
  return state;
}

COLORREF CCMControl::Background() const {
  return GetSysColor(IsWindowEnabled(m_hWnd) ? COLOR_WINDOW : COLOR_BTNFACE);
}

int CCMControl::BorderWidth() const {
  RECT window{};
  GetWindowRect(m_hWnd, &window);
  POINT client{0, 0};
  ClientToScreen(m_hWnd, &client);
  // The left and top edges: a scroll bar widens only the right or bottom one.
  return std::max(0, static_cast<int>(std::min(client.x - window.left, client.y - window.top)));
}

void CCMControl::DrawControl(HDC dc, const RECT& window) {
  const int border = BorderWidth();
  if (border <= 0) return;
  const FrameColours colours = FieldColours(State(), Background());
  if (border == 1) {
    DrawThinFrame(dc, window, colours);
  } else {
    DrawFrame(dc, window, colours);
  }
}

}  // namespace glintora
