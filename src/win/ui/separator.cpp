#include "win/ui/separator.h"

#include "win/platform/handles.h"
#include "win/ui/theme_library.h"

namespace glintora {
namespace {

// The toolbar's separators in the visual styles: a horizontal line and a vertical one.
constexpr int kHorizontalSeparatorPart = 6;
constexpr int kVerticalSeparatorPart = 5;

}  // namespace

// clang-format off
GLINTORA_MESSAGE_MAP(CSeparator, CWnd, OnMessage<&CSeparator::OnPaint>(WM_PAINT),
                     OnMessage<&CSeparator::OnEraseBackground>(WM_ERASEBKGND))
// clang-format on

BOOL CSeparator::Create(HWND parent, const RECT& rect, UINT id) {
  return CreateEx(0, RegisterWindowClass(0, LoadCursor(nullptr, IDC_ARROW), nullptr, nullptr), "",
                  WS_CHILD | WS_VISIBLE, rect, parent, id);
}

LRESULT CSeparator::OnPaint(WPARAM, LPARAM) {
  const PaintDc painting(m_hWnd);
  HDC dc = painting.Get();
  RECT client{};
  GetClientRect(m_hWnd, &client);
  // The background of a static control of the parent, as the parent paints it.
  auto brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(m_hWnd), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(m_hWnd)));
  FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));

  const bool vertical = client.bottom - client.top > client.right - client.left;
  const ThemeLibrary& themes = ThemeLibrary::Get();
  HANDLE theme = themes.Open(m_hWnd, L"TOOLBAR");
  const int part = vertical ? kVerticalSeparatorPart : kHorizontalSeparatorPart;
  // The styled separator brings its own margins: it is drawn in a box of its own size.
  const SIZE styled = themes.PartSize(theme, dc, part, 1);
  const LONG thickness = vertical ? (styled.cx > 0 ? styled.cx : 2) : (styled.cy > 0 ? styled.cy : 2);
  RECT line = client;
  if (vertical) {
    line.left = (client.left + client.right - thickness) / 2;
    line.right = line.left + thickness;
  } else {
    line.top = (client.top + client.bottom - thickness) / 2;
    line.bottom = line.top + thickness;
  }
  const bool drawn = themes.DrawBackground(theme, dc, part, 1, line);
  themes.Close(theme);
  if (!drawn) DrawEdge(dc, &line, EDGE_ETCHED, vertical ? BF_LEFT : BF_TOP);
  return 0;
}

}  // namespace glintora
