#include "win/ui/bitmap_slider.h"
#include "win/platform/handles.h"

#include <windowsx.h>

#include <algorithm>

namespace glintora {
namespace {

// What is drawn on the off-screen copy of the slider before it is put on the screen.
class OffScreen {
 public:
  OffScreen(HDC screen, int width, int height)
      : m_dc(CreateCompatibleDC(screen)),
        m_bitmap(CreateCompatibleBitmap(screen, width, height)),
        m_old(SelectObject(m_dc, m_bitmap)) {}
  ~OffScreen() {
    SelectObject(m_dc, m_old);
    DeleteObject(m_bitmap);
    DeleteDC(m_dc);
  }
  OffScreen(const OffScreen&) = delete;
  OffScreen& operator=(const OffScreen&) = delete;
  operator HDC() const { return m_dc; }

 private:
  HDC m_dc;
  HBITMAP m_bitmap;
  HGDIOBJ m_old;
};

bool LoadBitmap(CvxTransparentBitmap& bitmap, UINT id, bool transparent, COLORREF colour) {
  return bitmap.Load(id, transparent ? colour : CLR_INVALID);
}

}  // namespace

// clang-format off
GLINTORA_MESSAGE_MAP(CBitmapSlider, CStatic, OnMessage<&CBitmapSlider::OnPaint>(WM_PAINT),
                     OnMessage<&CBitmapSlider::OnEraseBackground>(WM_ERASEBKGND),
                     OnMessage<&CBitmapSlider::OnButtonDown>(WM_LBUTTONDOWN),
                     OnMessage<&CBitmapSlider::OnMouseMove>(WM_MOUSEMOVE),
                     OnMessage<&CBitmapSlider::OnButtonUp>(WM_LBUTTONUP),
                     OnMessage<&CBitmapSlider::OnMouseLeave>(WM_MOUSELEAVE),
                     OnMessage<&CBitmapSlider::OnCaptureChanged>(WM_CAPTURECHANGED))
// clang-format on

BOOL CBitmapSlider::Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
  return CreateEx(0, "STATIC", "", style, rect, parent, id);
}

bool CBitmapSlider::SetChannelBitmaps(UINT normalId, UINT activeId, bool transparent, COLORREF colour) {
  const bool loaded = LoadBitmap(m_channel, normalId, transparent, colour) &&
                      LoadBitmap(m_channelActive, activeId, transparent, colour);
  Redraw();
  return loaded;
}

bool CBitmapSlider::SetThumbBitmaps(UINT normalId, UINT activeId, bool transparent, COLORREF colour) {
  const bool loaded =
      LoadBitmap(m_thumb, normalId, transparent, colour) && LoadBitmap(m_thumbActive, activeId, transparent, colour);
  Redraw();
  return loaded;
}

void CBitmapSlider::SetRange(int minimum, int maximum, bool redraw) {
  m_minimum = std::min(minimum, maximum);
  m_maximum = std::max(minimum, maximum);
  m_position = std::clamp(m_position, m_minimum, m_maximum);
  if (redraw) Redraw();
}

void CBitmapSlider::SetPosition(int position) {
  position = std::clamp(position, m_minimum, m_maximum);
  if (position == m_position) return;
  m_position = position;
  Redraw();
}

void CBitmapSlider::SetMarks(int first, int last) {
  m_markFirst = first;
  m_markLast = last;
  Redraw();
}

void CBitmapSlider::Enable(bool enable) {
  if (!enable && m_dragging) EndDrag(false);
  m_enabled = enable;
  if (m_hWnd) EnableWindow(m_hWnd, enable);
  Redraw();
}

SliderGeometry CBitmapSlider::Geometry() const {
  RECT client{};
  if (m_hWnd) GetClientRect(m_hWnd, &client);
  return {m_minimum, m_maximum, client.right, static_cast<int>(m_thumb.Size().cx), m_margin};
}

void CBitmapSlider::Redraw() const {
  if (m_hWnd) InvalidateRect(m_hWnd, nullptr, FALSE);
}

LRESULT CBitmapSlider::OnPaint(WPARAM, LPARAM) {
  const PaintDc painting(m_hWnd);
  HDC screen = painting.Get();
  RECT client{};
  GetClientRect(m_hWnd, &client);
  OffScreen dc(screen, std::max<int>(client.right, 1), std::max<int>(client.bottom, 1));
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  const bool active = m_enabled && (m_hot || m_dragging);
  // The channel: its ends as they are, the middle stretched to the width.
  const CvxTransparentBitmap& channel = active && m_channelActive.Loaded() ? m_channelActive : m_channel;
  if (channel.Loaded()) {
    const SIZE size = channel.Size();
    const int end = std::min<int>(size.cx / 4, client.right / 2);
    channel.DrawPart(dc, 0, 0, end, client.bottom, 0, 0, end, size.cy);
    channel.DrawPart(dc, end, 0, client.right - 2 * end, client.bottom, end, 0, size.cx - 2 * end, size.cy);
    channel.DrawPart(dc, client.right - end, 0, end, client.bottom, size.cx - end, 0, end, size.cy);
  }
  const SliderGeometry geometry = Geometry();
  // The selection's marks: short light ticks below the groove.
  HBRUSH mark = CreateSolidBrush(RGB(200, 200, 210));
  for (int at : {m_markFirst, m_markLast}) {
    if (at < m_minimum || at > m_maximum) continue;
    const int x = TrackX(geometry, at);
    const RECT tick{x, client.bottom - 4, x + 1, client.bottom};
    FillRect(dc, &tick, mark);
  }
  DeleteObject(mark);
  if (m_enabled) {
    const CvxTransparentBitmap& thumb = active && m_thumbActive.Loaded() ? m_thumbActive : m_thumb;
    if (thumb.Loaded()) {
      thumb.Draw(dc, ThumbLeft(geometry, m_position), (client.bottom - thumb.Size().cy) / 2);
    }
  }
  BitBlt(screen, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
  return 0;
}

void CBitmapSlider::DragTo(int x) {
  const int position = PositionAt(Geometry(), x);
  if (position == m_position) return;
  m_position = position;
  Redraw();
  PostMessageA(::GetParent(m_hWnd), WM_BITMAPSLIDER_MOVING, static_cast<WPARAM>(GetDlgCtrlID(m_hWnd)), m_position);
}

void CBitmapSlider::EndDrag(bool notify) {
  if (!m_dragging) return;
  m_dragging = false;
  if (GetCapture() == m_hWnd) ReleaseCapture();
  Redraw();
  if (notify) {
    PostMessageA(::GetParent(m_hWnd), WM_BITMAPSLIDER_MOVED, static_cast<WPARAM>(GetDlgCtrlID(m_hWnd)), m_position);
  }
}

LRESULT CBitmapSlider::OnButtonDown(WPARAM, LPARAM lParam) {
  if (!m_enabled) return 0;
  m_dragging = true;
  SetCapture(m_hWnd);
  // The thumb jumps to the press, as the first step of the drag.
  DragTo(GET_X_LPARAM(lParam));
  Redraw();
  return 0;
}

LRESULT CBitmapSlider::OnMouseMove(WPARAM, LPARAM lParam) {
  if (!m_hot) {
    m_hot = true;
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, m_hWnd, 0};
    TrackMouseEvent(&track);
    Redraw();
  }
  if (m_dragging) DragTo(GET_X_LPARAM(lParam));
  return 0;
}

LRESULT CBitmapSlider::OnButtonUp(WPARAM, LPARAM) {
  EndDrag(true);
  return 0;
}

LRESULT CBitmapSlider::OnMouseLeave(WPARAM, LPARAM) {
  m_hot = false;
  Redraw();
  return 0;
}

LRESULT CBitmapSlider::OnCaptureChanged(WPARAM, LPARAM lParam) {
  // Another window took the mouse: the drag ends where the thumb stands.
  if (m_dragging && reinterpret_cast<HWND>(lParam) != m_hWnd) {
    m_dragging = false;
    Redraw();
    PostMessageA(::GetParent(m_hWnd), WM_BITMAPSLIDER_MOVED, static_cast<WPARAM>(GetDlgCtrlID(m_hWnd)), m_position);
  }
  return Default();
}

}  // namespace glintora
