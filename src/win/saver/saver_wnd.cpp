#include "win/saver/saver_wnd.h"

#include <cstdlib>
#include <string>
#include <utility>

#include "win/framework/win_app.h"
#include "win/platform/display_monitors.h"
#include "win/platform/handles.h"
#include "win/platform/system_library.h"
#include "win/platform/system_version.h"

namespace glintora {
namespace {

// A value of the key read into a 32-bit number: the type is not checked, a value longer than
// 4 bytes is not taken and a shorter one fills only the leading bytes.
void ReadNumber(HKEY key, const char* name, DWORD& into) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS) {
    into = value;
  }
}

using VerifyScreenSavePwdFn = BOOL(WINAPI*)(HWND window);

}  // namespace

// clang-format off
GLINTORA_MESSAGE_MAP(CglintoraWnd, CDrawWnd, OnMessage<&CglintoraWnd::OnCreate>(WM_CREATE),
                     OnMessage<&CglintoraWnd::OnDestroy>(WM_DESTROY),
                     OnMessage<&CglintoraWnd::OnSetCursor>(WM_SETCURSOR),
                     OnMessage<&CglintoraWnd::OnSysCommand>(WM_SYSCOMMAND),
                     OnMessage<&CglintoraWnd::OnNcActivate>(WM_NCACTIVATE),
                     OnMessage<&CglintoraWnd::OnActivate>(WM_ACTIVATE),
                     OnMessage<&CglintoraWnd::OnActivateApp>(WM_ACTIVATEAPP),
                     OnMessage<&CglintoraWnd::OnMouseMove>(WM_MOUSEMOVE),
                     OnMessage<&CglintoraWnd::OnUserInput>(WM_LBUTTONDOWN),
                     OnMessage<&CglintoraWnd::OnUserInput>(WM_MBUTTONDOWN),
                     OnMessage<&CglintoraWnd::OnUserInput>(WM_RBUTTONDOWN),
                     OnMessage<&CglintoraWnd::OnUserInput>(WM_KEYDOWN),
                     OnMessage<&CglintoraWnd::OnUserInput>(WM_SYSKEYDOWN),
                     OnMessage<&CglintoraWnd::OnClose>(WM_CLOSE))
// clang-format on

CglintoraWnd::CglintoraWnd(ProfileStore& settings, const FileSystem& files)
    : CDrawWnd(kDeletesItself, settings, files) {
  m_keepsShuffle = true;
}

int CglintoraWnd::CreateFullScreen() {
  return CreateFullScreen(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

int CglintoraWnd::CreateFullScreen(const RECT& monitor) {
  return Create(WS_EX_TOPMOST, WindowTitle().c_str(), WS_POPUP | WS_VISIBLE, monitor, nullptr, 0);
}

std::string CglintoraWnd::WindowTitle() {
  const CWinApp* app = AfxGetApp();
  return app ? app->AppName() : "glintora";
}

void CglintoraWnd::TakeUserInput(UINT message) {
  if (m_checkingPassword || !m_hWnd) return;
  switch (message) {
    case WM_MOUSEMOVE:
      if (MovedBeyondThreshold()) RequestClose();
      break;
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: RequestClose(); break;
    default: break;
  }
}

void CglintoraWnd::UserLeft() {
  if (!m_checkingPassword && m_hWnd) RequestClose();
}

void CglintoraWnd::RequestClose() {
  m_closeRequested = 1;
  PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
}

bool CglintoraWnd::MovedBeyondThreshold() const {
  POINT now{};
  GetCursorPos(&now);
  return std::labs(now.x - m_startPoint.x) > m_mouseThreshold || std::labs(now.y - m_startPoint.y) > m_mouseThreshold;
}

void CglintoraWnd::ReadSystemSaverSettings() {
  m_passwordDelay = 0;
  DWORD threshold = kDefaultMouseThreshold;
  RegistryKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kScreenSaversKey, 0, KEY_QUERY_VALUE, key.Receive()) == ERROR_SUCCESS) {
    ReadNumber(key.Get(), "Password Delay", m_passwordDelay);
    ReadNumber(key.Get(), "Mouse Threshold", threshold);
  }
  m_mouseThreshold = static_cast<LONG>(threshold);
}

BOOL CglintoraWnd::VerifyPassword(HWND window) {
  // The NT family protects the desktop itself.
  if (QuerySystemVersion().platformId == VER_PLATFORM_WIN32_NT) return TRUE;
  HMODULE module = LoadSystemLibrary("password.cpl");
  if (!module) return TRUE;
  const auto verify = reinterpret_cast<VerifyScreenSavePwdFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "VerifyScreenSavePwd")));
  const BOOL ok = verify ? verify(window) : TRUE;
  FreeLibrary(module);
  return ok;
}

LRESULT CglintoraWnd::OnCreate(WPARAM, LPARAM) {
  m_checkingPassword = 0;
  m_closeRequested = 0;
  if (Default() == -1) return -1;
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, TRUE, nullptr, 0);
  GetCursorPos(&m_startPoint);
  m_startTick = GetTickCount();
  ReadSystemSaverSettings();
  ShowCursor(FALSE);
  return 0;
}

LRESULT CglintoraWnd::OnDestroy(WPARAM wParam, LPARAM lParam) {
  // The other monitors' shows end with this one, before the run does.
  for (HWND window : std::exchange(m_monitorWindows, {})) {
    if (IsWindow(window)) ::DestroyWindow(window);
  }
  ShowCursor(TRUE);
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, nullptr, 0);
  PostQuitMessage(0);
  return CDrawWnd::OnDestroy(wParam, lParam);
}

LRESULT CglintoraWnd::OnSysCommand(WPARAM command, LPARAM) {
  if (command == SC_SCREENSAVE || command == SC_CLOSE) return 0;
  return Default();
}

LRESULT CglintoraWnd::OnNcActivate(WPARAM active, LPARAM) {
  if (m_checkingPassword || active) return Default();
  return FALSE;  // no deactivation outside a password check
}

LRESULT CglintoraWnd::OnActivate(WPARAM state, LPARAM other) {
  // A switch to another window of the run (another monitor's) is not the user leaving.
  if (LOWORD(state) == WA_INACTIVE && !IsOwnProcessWindow(reinterpret_cast<HWND>(other))) UserLeft();
  return Default();
}

LRESULT CglintoraWnd::OnActivateApp(WPARAM active, LPARAM) {
  if (!m_checkingPassword && !active) RequestClose();
  return Default();
}

LRESULT CglintoraWnd::OnMouseMove(WPARAM, LPARAM) {
  if (!m_checkingPassword && MovedBeyondThreshold()) RequestClose();
  return Default();
}

LRESULT CglintoraWnd::OnUserInput(WPARAM, LPARAM) {
  if (!m_checkingPassword) RequestClose();
  return Default();
}

BOOL CglintoraWnd::PreTranslateMessage(MSG* msg) {
  // This window's own input reaches its handlers; its children's comes here.
  if (msg->hwnd != m_hWnd && m_hWnd && IsChild(m_hWnd, msg->hwnd)) TakeUserInput(msg->message);
  return CDrawWnd::PreTranslateMessage(msg);
}

LRESULT CglintoraWnd::OnClose(WPARAM wParam, LPARAM lParam) {
  // Only a user action closes the saver; a close queued before a password check began is
  // dropped while the check runs (the next user action asks again).
  if (!m_closeRequested || m_checkingPassword) return 0;
  if (GetTickCount() - m_startTick > m_passwordDelay * 1000) {
    m_checkingPassword = 1;
    const BOOL ok = VerifyPassword(m_hWnd);
    m_checkingPassword = 0;
    GetCursorPos(&m_startPoint);  // travel while typing does not count
    if (!ok) return 0;
  }
  return CDrawWnd::OnClose(wParam, lParam);
}

}  // namespace glintora
