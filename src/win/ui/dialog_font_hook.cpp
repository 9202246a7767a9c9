#include "win/ui/dialog_font_hook.h"

#include <cstring>

namespace glintora {
namespace {

// The hook of this thread.
thread_local DialogFontHook* t_hook = nullptr;

bool IsDialogWindow(HWND window) {
  char name[16] = {};
  return GetClassNameA(window, name, sizeof name) > 0 && std::strcmp(name, "#32770") == 0;
}

}  // namespace

bool DialogFontHook::Install() {
  if (m_hook || t_hook) return false;
  m_hook = SetWindowsHookExA(WH_CALLWNDPROC, &DialogFontHook::BeforeMessage, nullptr, GetCurrentThreadId());
  if (m_hook) t_hook = this;
  return m_hook != nullptr;
}

void DialogFontHook::Remove() {
  if (m_hook) {
    UnhookWindowsHookEx(m_hook);
    m_hook = nullptr;
    if (t_hook == this) t_hook = nullptr;
  }
  if (m_font) DeleteObject(m_font);
  m_font = nullptr;
  for (HFONT font : m_pageFonts) DeleteObject(font);
  m_pageFonts.clear();
}

LRESULT CALLBACK DialogFontHook::BeforeMessage(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && t_hook && call && call->message == WM_INITDIALOG && IsDialogWindow(call->hwnd)) {
    t_hook->Apply(call->hwnd);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void DialogFontHook::Apply(HWND dialog) {
  HFONT font = nullptr;
  if (GetWindowLongA(dialog, GWL_STYLE) & WS_CHILD) {
    // A page inside another dialog: its own size, the common face.
    LOGFONTA own{};
    auto current = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    if (!current || !GetObjectA(current, sizeof own, &own)) return;
    strncpy_s(own.lfFaceName, kDialogFontFace, _TRUNCATE);
    font = CreateFontIndirectA(&own);
    if (font) m_pageFonts.push_back(font);
  } else {
    if (!m_font) {
      HDC screen = GetDC(nullptr);
      LOGFONTA made{};
      made.lfHeight = -MulDiv(kDialogFontTenthsOfPoint, GetDeviceCaps(screen, LOGPIXELSY), 720);
      made.lfWeight = FW_NORMAL;
      made.lfCharSet = DEFAULT_CHARSET;
      strncpy_s(made.lfFaceName, kDialogFontFace, _TRUNCATE);
      ReleaseDC(nullptr, screen);
      m_font = CreateFontIndirectA(&made);
    }
    font = m_font;
  }
  if (!font) return;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
}

}  // namespace glintora
