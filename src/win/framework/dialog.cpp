#include "win/framework/dialog.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "win/framework/win_app.h"

namespace glintora {
namespace {

// Resource type of a dialog's initial data (the items of its list and combo boxes), stored
// under the dialog's own id. Records: control id (u16, 0 ends the list), message (u16),
// data length (u32), data.
constexpr UINT kDialogInitType = 240;
// The record messages that add an item: to a list box and to a combo box.
constexpr uint16_t kInitListItem = 0x0401;
constexpr uint16_t kInitComboItem = 0x0403;

// The dialog whose window the creation hook attaches next, on this thread.
thread_local CDialog* t_attaching = nullptr;

template <typename T>
T ReadLittle(const uint8_t* at) {
  T value;
  std::memcpy(&value, at, sizeof value);  // records are not aligned
  return value;
}

}  // namespace

// clang-format off
GLINTORA_MESSAGE_MAP(CDialog, CWnd, OnMessage<&CDialog::OnInitDialogMessage>(WM_INITDIALOG),
                     OnCommand<&CDialog::OnOKCommand>(IDOK), OnCommand<&CDialog::OnCancelCommand>(IDCANCEL))
// clang-format on

LRESULT CALLBACK CDialog::AttachHook(int code, WPARAM wParam, LPARAM lParam) {
  // The dialog window is the first window its creation makes; its controls come after.
  if (code == HCBT_CREATEWND && t_attaching) {
    CDialog* dialog = t_attaching;
    t_attaching = nullptr;
    dialog->SubclassWindow(reinterpret_cast<HWND>(wParam));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

INT_PTR CDialog::DoModal() {
  if (m_hWnd) return -1;
  const HINSTANCE instance = AfxGetResourceHandle();
  const HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(m_templateId), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
  const HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
  const auto* dialogTemplate = loaded ? static_cast<LPCDLGTEMPLATEA>(LockResource(loaded)) : nullptr;
  if (!dialogTemplate) return -1;

  HWND owner = m_parent ? GetAncestor(m_parent, GA_ROOT) : nullptr;
  const bool disableOwner = owner && IsWindowEnabled(owner);
  if (disableOwner) EnableWindow(owner, FALSE);
  m_ending = false;
  m_result = -1;

  CDialog* const outer = t_attaching;
  t_attaching = this;
  HHOOK hook = SetWindowsHookExA(WH_CBT, &CDialog::AttachHook, nullptr, GetCurrentThreadId());
  HWND dialog = CreateDialogIndirectParamA(instance, dialogTemplate, owner, &CDialog::DialogProc, 0);
  if (hook) UnhookWindowsHookEx(hook);
  t_attaching = outer;

  if (dialog && m_hWnd == dialog && !m_ending) {
    ShowWindow(dialog, SW_SHOWNORMAL);
    UpdateWindow(dialog);
  }
  m_running = true;
  while (m_hWnd && !m_ending) {
    MSG msg;
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {  // the application is quitting: the outer loop must see it too
      PostQuitMessage(static_cast<int>(msg.wParam));
      m_result = -1;
      break;
    }
    if (WalkPreTranslate(&msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  m_running = false;
  // The owner comes back before the dialog goes, so that the system activates it again.
  if (disableOwner) EnableWindow(owner, TRUE);
  if (m_hWnd)
    ::DestroyWindow(m_hWnd);
  else if (dialog && IsWindow(dialog))
    ::DestroyWindow(dialog);  // made but never attached
  return m_result;
}

void CDialog::EndDialog(INT_PTR result) {
  if (m_ending) return;
  m_result = result;
  m_ending = true;
  // EndDialog may run inside a message sent from elsewhere, which GetMessage serves without
  // returning: a posted message wakes the loop.
  if (m_hWnd && m_running) PostMessageA(m_hWnd, WM_NULL, 0, 0);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx(*this, saveAndValidate != FALSE);
  DoDataExchange(&dx);
  return !dx.Failed();
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
  if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST || !m_hWnd) return FALSE;
  return IsDialogMessageA(m_hWnd, msg);
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

LRESULT CDialog::OnInitDialogMessage(WPARAM, LPARAM) {
  RECT placed{};
  GetWindowRect(m_hWnd, &placed);
  ExecuteDlgInit();
  const BOOL focusFirst = OnInitDialog();
  if (m_hWnd) CenterIfUnmoved(placed);
  return focusFirst;
}

void CDialog::ExecuteDlgInit() {
  const HINSTANCE instance = AfxGetResourceHandle();
  const HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(m_templateId), MAKEINTRESOURCEA(kDialogInitType));
  const HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
  const auto* data = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
  if (!data) return;
  const size_t size = SizeofResource(instance, found);
  size_t at = 0;
  while (at + 8 <= size) {
    const uint16_t id = ReadLittle<uint16_t>(data + at);
    if (id == 0) break;
    const uint16_t message = ReadLittle<uint16_t>(data + at + 2);
    const uint32_t length = ReadLittle<uint32_t>(data + at + 4);
    at += 8;
    if (length > size - at) break;
    const char* text = reinterpret_cast<const char*>(data + at);
    const std::string item(text, strnlen(text, length));
    at += length;
    const UINT add = message == kInitComboItem ? CB_ADDSTRING : message == kInitListItem ? LB_ADDSTRING : 0;
    if (add) SendDlgItemMessageA(m_hWnd, id, add, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
}

void CDialog::CenterIfUnmoved(const RECT& templatePlace) {
  const LONG style = GetWindowLongA(m_hWnd, GWL_STYLE);
  if (style & (WS_CHILD | DS_CENTER | DS_CENTERMOUSE)) return;
  RECT now{};
  GetWindowRect(m_hWnd, &now);
  if (!EqualRect(&now, &templatePlace)) return;  // its initialisation placed it
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT area = monitor.rcWork;
  RECT around = area;
  HWND owner = GetWindow(m_hWnd, GW_OWNER);
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &around);
  const LONG width = now.right - now.left;
  const LONG height = now.bottom - now.top;
  LONG x = (around.left + around.right - width) / 2;
  LONG y = (around.top + around.bottom - height) / 2;
  // Kept on the work area, its top-left corner first.
  if (x + width > area.right) x = area.right - width;
  if (y + height > area.bottom) y = area.bottom - height;
  if (x < area.left) x = area.left;
  if (y < area.top) y = area.top;
  SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace glintora
