#include "win/media/media_player.h"

#include <utility>

namespace glintora {

bool CMediaPlayer::s_mute = false;

CMediaPlayer::~CMediaPlayer() { Close(); }

bool CMediaPlayer::Open(const std::string& /*path*/, HWND /*parent*/, const RECT& /*rect*/) {
  Close();
  // No playback engine yet: nothing opens.
  return false;
}

bool CMediaPlayer::IsOpen() const { return false; }

void CMediaPlayer::Close() {
  m_fileName.clear();
  if (m_hWnd) DestroyWindow();
}

void CMediaPlayer::SetMute(bool mute) { s_mute = mute; }

void CMediaPlayer::MoveTo(const RECT& rect) {
  if (m_hWnd) MoveWindow(m_hWnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

void CMediaPlayer::SetSelection(int first, int last) {
  if (first < 0) first = 0;
  const int frames = GetFrameCount();
  if (last > frames) last = frames;
  if (last < first) std::swap(first, last);
  if (last == first) last = first + 1;
  m_selectionStart = first;
  m_selectionEnd = last;
}

bool CMediaPlayer::GetMovieSize(const std::string& /*path*/, int& width, int& height) {
  width = 0;
  height = 0;
  return false;
}

RECT CMediaPlayer::FitRect(int width, int height, const RECT& target, bool enlarge) const {
  const PlacementRect placed =
      FitMovieRect(width, height, {target.left, target.top, target.right, target.bottom}, enlarge, m_controlsVisible);
  return RECT{placed.left, placed.top, placed.right, placed.bottom};
}

}  // namespace glintora
