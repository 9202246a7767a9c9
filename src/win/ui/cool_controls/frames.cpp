#include "win/ui/cool_controls/frames.h"

namespace glintora {
namespace {

// Selects a one-pixel pen of `colour` while it lives.
class PenScope {
 public:
  PenScope(HDC dc, COLORREF colour) : m_dc(dc), m_pen(CreatePen(PS_SOLID, 1, colour)) {
    m_old = SelectObject(dc, m_pen);
  }
  ~PenScope() {
    SelectObject(m_dc, m_old);
    DeleteObject(m_pen);
  }
  PenScope(const PenScope&) = delete;
  PenScope& operator=(const PenScope&) = delete;

 private:
  HDC m_dc;
  HPEN m_pen;
  HGDIOBJ m_old;
};

RECT Deflated(const RECT& rect) { return {rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1}; }

// Half of the circle in `rect`, counter-clockwise from (x1, y1) to (x2, y2).
void HalfCircle(HDC dc, const RECT& rect, COLORREF colour, int x1, int y1, int x2, int y2) {
  const PenScope pen(dc, colour);
  Arc(dc, rect.left, rect.top, rect.right, rect.bottom, x1, y1, x2, y2);
}

void RoundRing(HDC dc, const RECT& rect, COLORREF topLeft, COLORREF bottomRight) {
  HalfCircle(dc, rect, topLeft, rect.right, rect.top, rect.left, rect.bottom);
  HalfCircle(dc, rect, bottomRight, rect.left, rect.bottom, rect.right, rect.top);
}

}  // namespace

FrameColours PushButtonColours(const FrameState& state) {
  const COLORREF highlight = GetSysColor(state.disabled ? COLOR_BTNFACE : COLOR_BTNHIGHLIGHT);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const COLORREF light = GetSysColor(COLOR_3DLIGHT);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  const COLORREF dark = GetSysColor(COLOR_3DDKSHADOW);
  if (state.pressed) return {dark, shadow, highlight, face};
  if (state.active) return {highlight, light, dark, shadow};
  return {highlight, face, shadow, face};
}

FrameColours FieldColours(const FrameState& state, COLORREF background) {
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  if (!state.active || state.disabled) return {shadow, background, shadow, background};
  const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  return {shadow, GetSysColor(COLOR_3DDKSHADOW), highlight, GetSysColor(COLOR_3DLIGHT)};
}

void DrawRing(HDC dc, const RECT& rect, COLORREF topLeft, COLORREF bottomRight) {
  if (rect.right - rect.left < 2 || rect.bottom - rect.top < 2) return;
  {
    const PenScope pen(dc, topLeft);
    MoveToEx(dc, rect.left, rect.bottom - 1, nullptr);
    LineTo(dc, rect.left, rect.top);
    LineTo(dc, rect.right - 1, rect.top);
  }
  const PenScope pen(dc, bottomRight);
  MoveToEx(dc, rect.right - 1, rect.top, nullptr);
  LineTo(dc, rect.right - 1, rect.bottom - 1);
  LineTo(dc, rect.left, rect.bottom - 1);
}

void DrawFrame(HDC dc, const RECT& rect, const FrameColours& colours) {
  DrawRing(dc, rect, colours.outerTopLeft, colours.outerBottomRight);
  DrawRing(dc, Deflated(rect), colours.innerTopLeft, colours.innerBottomRight);
}

void DrawThinFrame(HDC dc, const RECT& rect, const FrameColours& colours) {
  DrawRing(dc, rect, colours.outerTopLeft, colours.outerBottomRight);
}

void DrawRoundFrame(HDC dc, const RECT& rect, const FrameColours& colours) {
  RoundRing(dc, rect, colours.outerTopLeft, colours.outerBottomRight);
  RoundRing(dc, Deflated(rect), colours.innerTopLeft, colours.innerBottomRight);
}

}  // namespace glintora
