#include "win/media/player/control_bar.h"

#include <utility>

#include "core/media/player_arithmetic.h"
#include "core/media/player_layout.h"
#include "res/resource.h"
#include "win/framework/win_app.h"

namespace glintora {
namespace {

RECT ToRect(const IntRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

}  // namespace

void CControlBar::EdgePicture::Create(UINT bitmapId, const RECT& rect, HWND parent) {
  // Made again with each movie's bar: the window went with the last player window, the
  // picture it showed is still this object's.
  DestroyWindow();
  if (m_bitmap) DeleteObject(std::exchange(m_bitmap, nullptr));
  CreateEx(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_CENTERIMAGE, rect, parent, 0xFFFF);
  m_bitmap = static_cast<HBITMAP>(
      LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  if (m_hWnd && m_bitmap) SendMessageA(m_hWnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_bitmap));
}

CControlBar::EdgePicture::~EdgePicture() {
  // The control does not own the picture it shows.
  DestroyWindow();
  if (m_bitmap) DeleteObject(m_bitmap);
}

void CControlBar::Create(HWND player, int width, int height) {
  const ControlBarLayout bar = LayOutControlBar(width, height);
  // Owner-drawn like the mute button (the bar's one style of button).
  m_playButton.Create(ToRect(bar.play), player, kPlayButtonId);
  m_playButton.SetButtonBitmaps(IDB_PAUSE, kBarTransparent);
  m_leftEdge.Create(IDB_BAR_LEFT, ToRect(bar.leftEdge), player);
  m_seekBar.Create(WS_CHILD | WS_VISIBLE | SS_NOTIFY, ToRect(bar.seekBar), player, kSeekBarId);
  m_seekBar.SetChannelBitmaps(IDB_SEEK_CHANNEL, IDB_SEEK_CHANNEL_ACTIVE, false);
  m_seekBar.SetThumbBitmaps(IDB_SEEK_THUMB, IDB_SEEK_THUMB_ACTIVE, true, kBarTransparent);
  m_seekBar.SetRange(0, kSeekBarRange);
  m_seekBar.SetPosition(0);
  m_seekBar.Enable(false);
  m_rightEdge.Create(IDB_BAR_RIGHT, ToRect(bar.rightEdge), player);
  m_muteButton.Create(ToRect(bar.mute), player, kMuteButtonId);
}

void CControlBar::Place(int width, int height) {
  const ControlBarLayout bar = LayOutControlBar(width, height);
  const std::pair<HWND, IntRect> pieces[] = {{m_playButton.m_hWnd, bar.play},
                                             {m_leftEdge.m_hWnd, bar.leftEdge},
                                             {m_seekBar.m_hWnd, bar.seekBar},
                                             {m_rightEdge.m_hWnd, bar.rightEdge},
                                             {m_muteButton.m_hWnd, bar.mute}};
  for (const auto& [window, r] : pieces) {
    if (window) MoveWindow(window, r.left, r.top, r.Width(), r.Height(), TRUE);
  }
}

void CControlBar::ShowPlaying(bool playing) {
  if (m_playButton.m_hWnd) m_playButton.SetButtonBitmaps(playing ? IDB_PAUSE : IDB_PLAY, kBarTransparent);
}

void CControlBar::ShowMuted(bool muted) {
  if (m_muteButton.m_hWnd) m_muteButton.SetButtonBitmaps(muted ? IDB_SOUND_OFF : IDB_SOUND_ON, kBarTransparent);
}

void CControlBar::FocusSeekBar() {
  if (m_seekBar.m_hWnd) SetFocus(m_seekBar.m_hWnd);
}

}  // namespace glintora
