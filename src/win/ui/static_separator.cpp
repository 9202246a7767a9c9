#include "win/ui/static_separator.h"

#include <string>
#include <vector>

#include "win/ui/theme_library.h"

namespace glintora {

// clang-format off
GLINTORA_MESSAGE_MAP(CStaticSeparator, CStatic, OnMessage<&CStaticSeparator::OnWindowPosChanged>(WM_WINDOWPOSCHANGED),
                     OnMessage<&CStaticSeparator::OnCtlColorStatic>(WM_CTLCOLORSTATIC))
// clang-format on

CStaticSeparator::~CStaticSeparator() {
  if (m_hWnd) DestroyWindow();  // gives up the font before it goes
  if (m_boldFont) DeleteObject(m_boldFont);
}

void CStaticSeparator::PreSubclassWindow() {
  LOGFONTA font{};
  HFONT current = GetFont();
  if (!current || !GetObjectA(current, sizeof font, &font)) {
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  }
  font.lfWeight = FW_BOLD;
  m_boldFont = CreateFontIndirectA(&font);
  if (m_boldFont) SetFont(m_boldFont, FALSE);
  PlaceLine();
}

void CStaticSeparator::PlaceLine() {
  const std::string measured = WindowText(m_hWnd) + ' ';
  HDC dc = GetDC(m_hWnd);
  HGDIOBJ old = SelectObject(dc, GetFont() ? GetFont() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  SIZE extent{};
  GetTextExtentPoint32A(dc, measured.c_str(), static_cast<int>(measured.size()), &extent);
  SelectObject(dc, old);
  ReleaseDC(m_hWnd, dc);

  RECT client{};
  GetClientRect(m_hWnd, &client);
  RECT line{extent.cx, client.top, client.right, client.bottom};
  if (line.left > line.right) line.left = line.right;
  // Styled text sits higher in its box: the line follows its middle.
  if (ThemeLibrary::Get().IsAppThemed()) OffsetRect(&line, 0, extent.cy / 3);
  if (!m_line.m_hWnd) {
    m_line.Create(m_hWnd, line, kLineId);
  } else {
    SetWindowPos(m_line.m_hWnd, nullptr, line.left, line.top, line.right - line.left, line.bottom - line.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

LRESULT CStaticSeparator::OnWindowPosChanged(WPARAM, LPARAM lParam) {
  const LRESULT result = Default();
  const auto* place = reinterpret_cast<const WINDOWPOS*>(lParam);
  if (place && (~place->flags & (SWP_NOMOVE | SWP_NOSIZE))) {
    PlaceLine();
    InvalidateRect(m_hWnd, nullptr, TRUE);
  }
  return result;
}

LRESULT CStaticSeparator::OnCtlColorStatic(WPARAM wParam, LPARAM) {
  return SendMessageA(GetParent(m_hWnd), WM_CTLCOLORSTATIC, wParam, reinterpret_cast<LPARAM>(m_hWnd));
}

}  // namespace glintora
