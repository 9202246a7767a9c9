#include "win/saver/monitor_wnd.h"

#include "win/platform/display_monitors.h"

namespace glintora {

// clang-format off
GLINTORA_MESSAGE_MAP(CMonitorWnd, CDrawWnd, OnMessage<&CMonitorWnd::OnSetCursor>(WM_SETCURSOR),
                     OnMessage<&CMonitorWnd::OnSysCommand>(WM_SYSCOMMAND),
                     OnMessage<&CMonitorWnd::OnActivate>(WM_ACTIVATE),
                     OnMessage<&CMonitorWnd::OnClose>(WM_CLOSE))
// clang-format on

CMonitorWnd::CMonitorWnd(CglintoraWnd& primary, ProfileStore& settings)
    : CDrawWnd(kDeletesItself, settings), m_primary(primary) {}

int CMonitorWnd::CreateOn(const RECT& monitor) {
  const int created = Create(WS_EX_TOPMOST, m_primary.WindowTitle().c_str(), WS_POPUP, monitor, nullptr, 0);
  if (m_hWnd) ShowWindow(m_hWnd, SW_SHOWNA);
  return created;
}

LRESULT CMonitorWnd::OnSysCommand(WPARAM command, LPARAM) {
  if (command == SC_SCREENSAVE || command == SC_CLOSE) return 0;
  return Default();
}

LRESULT CMonitorWnd::OnActivate(WPARAM state, LPARAM other) {
  if (LOWORD(state) == WA_INACTIVE && !IsOwnProcessWindow(reinterpret_cast<HWND>(other))) m_primary.UserLeft();
  return Default();
}

LRESULT CMonitorWnd::OnClose(WPARAM, LPARAM) {
  // The run ends as a whole, through the primary window.
  m_primary.UserLeft();
  return 0;
}

BOOL CMonitorWnd::PreTranslateMessage(MSG* msg) {
  if (m_hWnd && (msg->hwnd == m_hWnd || IsChild(m_hWnd, msg->hwnd))) m_primary.TakeUserInput(msg->message);
  return CDrawWnd::PreTranslateMessage(msg);
}

}  // namespace glintora
