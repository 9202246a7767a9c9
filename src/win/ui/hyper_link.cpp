#include "win/ui/hyper_link.h"

#include <vector>

#include "win/framework/message_box.h"

namespace glintora {
namespace {

// Where the hand cursor is looked for first: a cursor of the system's help program.
constexpr UINT kHelpHandCursorId = 106;

HCURSOR LoadHandCursor() {
  char folder[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    const std::string program = std::string(folder, length) + "\\winhlp32.exe";
    if (HMODULE help = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
      // A cursor made from the resource, independent of the module.
      auto cursor = static_cast<HCURSOR>(
          LoadImageA(help, MAKEINTRESOURCEA(kHelpHandCursorId), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
      FreeLibrary(help);
      if (cursor) return cursor;
    }
  }
  // Without it a null cursor would hide the pointer over the link.
  HCURSOR hand = LoadCursor(nullptr, IDC_HAND);
  return hand ? hand : LoadCursor(nullptr, IDC_ARROW);
}

}  // namespace

// clang-format off
GLINTORA_MESSAGE_MAP(CvxHyperLink, CStatic, OnReflected<&CvxHyperLink::OnCtlColor>(WM_CTLCOLORSTATIC),
                     OnMessage<&CvxHyperLink::OnNcHitTest>(WM_NCHITTEST),
                     OnMessage<&CvxHyperLink::OnSetCursor>(WM_SETCURSOR),
                     OnMessage<&CvxHyperLink::OnMouseMove>(WM_MOUSEMOVE),
                     OnMessage<&CvxHyperLink::OnCaptureChanged>(WM_CAPTURECHANGED),
                     OnMessage<&CvxHyperLink::OnLButtonDown>(WM_LBUTTONDOWN),
                     OnMessage<&CvxHyperLink::OnLButtonUp>(WM_LBUTTONUP),
                     OnMessage<&CvxHyperLink::OnKeyDown>(WM_KEYDOWN), OnMessage<&CvxHyperLink::OnSetFocus>(WM_SETFOCUS),
                     OnMessage<&CvxHyperLink::OnKillFocus>(WM_KILLFOCUS))
// clang-format on

CvxHyperLink::~CvxHyperLink() {
  if (m_hWnd) DestroyWindow();  // gives up the font before it goes
  if (m_font) DeleteObject(m_font);
}

HCURSOR CvxHyperLink::HandCursor() {
  static const HCURSOR cursor = LoadHandCursor();
  return cursor;
}

void CvxHyperLink::PreSubclassWindow() {
  if (m_target.empty()) {
    m_target = WindowText(m_hWnd);
  } else if (GetWindowTextLengthA(m_hWnd) == 0) {
    SetWindowTextA(m_hWnd, m_target.c_str());
  }
  ApplyFont();
  SizeToText();
  if (!(m_options & kNormalCursor)) HandCursor();
}

void CvxHyperLink::SetLinkText(const std::string& text) {
  if (!m_hWnd) return;
  SetWindowTextA(m_hWnd, text.c_str());
  SizeToText();
  Redraw();
}

void CvxHyperLink::SetColours(const Colours& colours) {
  m_colours = colours;
  if (m_hWnd) Redraw();
}

void CvxHyperLink::SetOptions(DWORD options) {
  m_options = options;
  if (!m_hWnd) return;
  ApplyFont();
  SizeToText();
  Redraw();
}

void CvxHyperLink::SetVisited(bool visited) {
  m_visited = visited;
  if (m_hWnd) Redraw();
}

COLORREF CvxHyperLink::TextColour() const {
  if (m_over && (m_options & kUseHoverColour)) return m_colours.hover;
  if ((m_options & kNoFocusColour) || !m_focused) return m_visited ? m_colours.visited : m_colours.link;
  return m_colours.focus;
}

bool CvxHyperLink::Open() {
  const LinkOpenResult result = OpenLinkTarget(m_shell, m_target);
  if (result.opened) {
    SetVisited(true);
    return true;
  }
  MessageBeep(MB_ICONEXCLAMATION);
  ShowMessageBox(m_hWnd ? GetParent(m_hWnd) : nullptr, LinkErrorMessage(result.code), MB_OK | MB_ICONEXCLAMATION);
  return false;
}

void CvxHyperLink::ApplyFont() {
  LOGFONTA font{};
  HFONT current = m_font ? m_font : GetFont();
  if (!current || !GetObjectA(current, sizeof font, &font)) {
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  }
  font.lfUnderline = (m_options & kUnderline) ? TRUE : FALSE;
  HFONT made = CreateFontIndirectA(&font);
  if (!made) return;
  SetFont(made, FALSE);
  if (m_font) DeleteObject(m_font);
  m_font = made;
}

void CvxHyperLink::SizeToText() {
  if (!(m_options & kSizeToText)) return;
  HWND parent = GetParent(m_hWnd);
  RECT rect{};
  GetWindowRect(m_hWnd, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  const std::string text = WindowText(m_hWnd);
  HDC dc = GetDC(m_hWnd);
  HGDIOBJ old = SelectObject(dc, m_font ? m_font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  SIZE extent{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, old);
  ReleaseDC(m_hWnd, dc);

  const DWORD style = GetStyle();
  const DWORD alignment = style & SS_TYPEMASK;
  LONG x = rect.left;
  if (alignment == SS_CENTER) x = (rect.left + rect.right - extent.cx) / 2;
  if (alignment == SS_RIGHT) x = rect.right - extent.cx;
  LONG y = rect.top;
  if (style & SS_CENTERIMAGE) y = (rect.top + rect.bottom - extent.cy) / 2;
  // The parent's background must cover what the control leaves.
  Redraw();
  SetWindowPos(m_hWnd, nullptr, x, y, extent.cx, extent.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CvxHyperLink::Redraw() {
  HWND parent = GetParent(m_hWnd);
  RECT rect{};
  GetWindowRect(m_hWnd, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  RedrawWindow(parent, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

bool CvxHyperLink::Inside(LPARAM point) const {
  RECT client{};
  GetClientRect(m_hWnd, &client);
  const POINT p{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
  return PtInRect(&client, p) != FALSE;
}

LRESULT CvxHyperLink::OnCtlColor(WPARAM wParam, LPARAM) {
  auto dc = reinterpret_cast<HDC>(wParam);
  SetTextColor(dc, TextColour());
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
}

LRESULT CvxHyperLink::OnSetCursor(WPARAM, LPARAM) {
  if (m_options & kNormalCursor) return Default();
  SetCursor(HandCursor());
  return TRUE;
}

LRESULT CvxHyperLink::OnMouseMove(WPARAM, LPARAM lParam) {
  const bool inside = Inside(lParam);
  if (inside && !m_over) {
    m_over = true;
    SetCapture(m_hWnd);
    Redraw();
  } else if (!inside && m_over) {
    m_over = false;
    ReleaseCapture();
    Redraw();
  }
  return 0;
}

LRESULT CvxHyperLink::OnCaptureChanged(WPARAM, LPARAM lParam) {
  // Another window took the mouse: the link is no longer under it as far as it knows.
  if (m_over && reinterpret_cast<HWND>(lParam) != m_hWnd) {
    m_over = false;
    m_pressed = false;
    Redraw();
  }
  return 0;
}

LRESULT CvxHyperLink::OnLButtonDown(WPARAM, LPARAM) {
  if (m_options & kFocusOnClick) SetFocus(m_hWnd);
  if (m_options & kOpenOnButtonDown) {
    Open();
  } else {
    m_pressed = true;
  }
  return 0;
}

LRESULT CvxHyperLink::OnLButtonUp(WPARAM, LPARAM lParam) {
  const bool pressed = m_pressed;
  m_pressed = false;
  if (!(m_options & kOpenOnButtonDown) && (pressed || GetFocus() == m_hWnd) && Inside(lParam)) Open();
  return 0;
}

LRESULT CvxHyperLink::OnKeyDown(WPARAM wParam, LPARAM) {
  if (wParam == VK_SPACE) {
    Open();
    return 0;
  }
  return Default();
}

LRESULT CvxHyperLink::OnSetFocus(WPARAM, LPARAM) {
  m_focused = true;
  Redraw();
  return Default();
}

LRESULT CvxHyperLink::OnKillFocus(WPARAM, LPARAM) {
  m_focused = false;
  Redraw();
  return Default();
}

}  // namespace glintora
