#include "win/ui/button_st.h"

namespace glintora {

// clang-format off
GLINTORA_MESSAGE_MAP(CButtonST, CButton, OnReflected<&CButtonST::OnDrawItem>(WM_DRAWITEM),
                     OnMessage<&CButtonST::OnMouseMove>(WM_MOUSEMOVE),
                     OnMessage<&CButtonST::OnMouseLeave>(WM_MOUSELEAVE),
                     OnMessage<&CButtonST::OnEraseBackground>(WM_ERASEBKGND))
// clang-format on

BOOL CButtonST::Create(const RECT& rect, HWND parent, UINT id) {
  return CreateEx(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, rect, parent, id);
}

bool CButtonST::SetButtonBitmaps(UINT id, COLORREF transparent, UINT hotId, COLORREF hotTransparent) {
  const bool loaded = m_bitmap.Load(id, transparent);
  m_bitmapId = loaded ? id : 0;
  bool hotLoaded = true;
  if (hotId) {
    hotLoaded = m_hotBitmap.Load(hotId, hotTransparent);
  } else {
    m_hotBitmap.Attach(nullptr, 0);  // lets the old one go
  }
  if (m_hWnd) InvalidateRect(m_hWnd, nullptr, FALSE);
  return loaded && hotLoaded;
}

LRESULT CButtonST::OnDrawItem(WPARAM, LPARAM lParam) {
  const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
  HDC dc = item->hDC;
  const RECT& rect = item->rcItem;
  HBRUSH face = CreateSolidBrush(m_mouseOver ? kHotFace : kFace);
  FillRect(dc, &rect, face);
  DeleteObject(face);
  const CvxTransparentBitmap& bitmap = m_mouseOver && m_hotBitmap.Loaded() ? m_hotBitmap : m_bitmap;
  if (bitmap.Loaded()) {
    const SIZE size = bitmap.Size();
    const int pushed = (item->itemState & ODS_SELECTED) ? 1 : 0;
    bitmap.Draw(dc, rect.left + (rect.right - rect.left - size.cx) / 2 + pushed,
                rect.top + (rect.bottom - rect.top - size.cy) / 2 + pushed);
  }
  if (item->itemState & ODS_FOCUS) {
    RECT focus = rect;
    InflateRect(&focus, -1, -1);
    DrawFocusRect(dc, &focus);
  }
  return TRUE;
}

LRESULT CButtonST::OnMouseMove(WPARAM, LPARAM) {
  if (!m_mouseOver) {
    m_mouseOver = true;
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, m_hWnd, 0};
    TrackMouseEvent(&track);
    InvalidateRect(m_hWnd, nullptr, FALSE);
  }
  return Default();
}

LRESULT CButtonST::OnMouseLeave(WPARAM, LPARAM) {
  m_mouseOver = false;
  InvalidateRect(m_hWnd, nullptr, FALSE);
  return Default();
}

}  // namespace glintora
