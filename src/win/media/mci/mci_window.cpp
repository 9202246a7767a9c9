#include "win/media/mci/mci_window.h"

#include <vfw.h>

namespace glintora {

bool CMciWindow::Create(HWND parent, const std::string& path, uint32_t style) {
  Close();
  // A child of the player everywhere: some systems make the window a pop-up when only the
  // MCI flags are given, and a pop-up would take the activation from the show.
  m_window = MCIWndCreateA(parent, GetModuleHandleA(nullptr), style | WS_CHILD | WS_VISIBLE, path.c_str());
  return m_window != nullptr;
}

LRESULT CMciWindow::Play() { return m_window ? SendMessageA(m_window, MCI_PLAY, 0, 0) : -1; }
LRESULT CMciWindow::Pause() { return m_window ? SendMessageA(m_window, MCI_PAUSE, 0, 0) : -1; }
LRESULT CMciWindow::Resume() { return m_window ? SendMessageA(m_window, MCI_RESUME, 0, 0) : -1; }

void CMciWindow::SetRepeat(bool repeat) {
  if (m_window) SendMessageA(m_window, MCIWNDM_SETREPEAT, 0, repeat ? TRUE : FALSE);
}

void CMciWindow::SetTimeFormat(const char* format) {
  SendMessageA(m_window, MCIWNDM_SETTIMEFORMATA, 0, reinterpret_cast<LPARAM>(format));
}

int64_t CMciWindow::LengthMilliseconds() {
  if (!m_window) return -1;
  SetTimeFormat("ms");
  return static_cast<LONG>(SendMessageA(m_window, MCIWNDM_GETLENGTH, 0, 0));
}

int64_t CMciWindow::LengthFrames() {
  if (!m_window) return -1;
  SetTimeFormat("frames");
  return static_cast<LONG>(SendMessageA(m_window, MCIWNDM_GETLENGTH, 0, 0));
}

int64_t CMciWindow::PositionFrames() {
  if (!m_window) return -1;
  SetTimeFormat("frames");
  return static_cast<LONG>(SendMessageA(m_window, MCIWNDM_GETPOSITIONA, 0, 0));
}

bool CMciWindow::Playing() { return m_window && SendMessageA(m_window, MCIWNDM_GETMODEA, 0, 0) == MCI_MODE_PLAY; }

bool CMciWindow::Stopped() { return m_window && SendMessageA(m_window, MCIWNDM_GETMODEA, 0, 0) == MCI_MODE_STOP; }

void CMciWindow::PlayFrames(int64_t first, int64_t last) {
  if (!m_window) return;
  SetTimeFormat("frames");
  SendMessageA(m_window, MCI_SEEK, 0, static_cast<LPARAM>(first));
  SendMessageA(m_window, MCIWNDM_PLAYTO, 0, static_cast<LPARAM>(last));
}

void CMciWindow::Move(int width, int height) {
  if (m_window) MoveWindow(m_window, 0, 0, width, height, TRUE);
}

void CMciWindow::Close() {
  HWND window = m_window;
  if (!window) return;
  // Forgotten first: whatever the window sends while it closes finds no engine here.
  m_window = nullptr;
  SendMessageA(window, MCI_STOP, 0, 0);
  SendMessageA(window, WM_CLOSE, 0, 0);
  if (IsWindow(window)) DestroyWindow(window);
}

}  // namespace glintora
