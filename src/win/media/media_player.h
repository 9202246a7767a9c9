#pragma once
// The movie player: a child window that plays one movie inside the slide-show window and
// tells its owner with WM_USER+1 when the movie has ended.
//
// The playback engines are not part of the program yet: Open makes no player window and
// reports that nothing plays, so the show treats every movie as one that did not open.
// The placement (FitRect) and the options the show sets are complete.

#include <windows.h>

#include <cstdint>
#include <string>

#include "core/show/movie_placement.h"
#include "win/framework/wnd.h"

namespace glintora {

// Sent to the owner when a movie has ended (both parameters 0).
inline constexpr UINT WM_PLAYER_DONE = WM_USER + 1;
// The player window's control id.
inline constexpr UINT kPlayerControlId = 10000;

class CMediaPlayer : public CWnd {
 public:
  CMediaPlayer() = default;
  ~CMediaPlayer() override;

  // Opens `path` in a new player window on `parent` at `rect` (parent's client coordinates)
  // and starts it; true when something plays.
  virtual bool Open(const std::string& path, HWND parent, const RECT& rect);
  virtual bool IsOpen() const;
  // Stops whatever plays and destroys the player window.
  virtual void Close();
  virtual void SuppressStepButtons() {}
  virtual void SetRepeat(bool repeat) { m_repeat = repeat; }
  virtual bool Pause() { return false; }
  virtual bool Play() { return false; }
  virtual bool HasAudio() const { return false; }
  // Every player of the process shares the mute state.
  virtual void SetMute(bool mute);
  virtual int GetLength() const { return -1; }
  virtual int GetFrameCount() const { return -1; }
  virtual int64_t GetFramePosition() const { return -1; }
  virtual double GetFrameRate() const { return -1; }
  virtual void SetFullScreenAllowed(bool allowed) { m_fullScreenAllowed = allowed; }
  virtual void ToggleFullScreen() {}
  virtual void MoveTo(const RECT& rect);
  virtual void SetSelection(int first, int last);
  virtual bool SaveSelection(const std::string& /*path*/) { return false; }
  virtual void ShowControls(bool show) { m_controlsVisible = show; }
  virtual void SetForwardMouse(bool forward) { m_forwardMouse = forward; }

  // The natural size of a movie; false with 0 × 0 when it cannot be told.
  static bool GetMovieSize(const std::string& path, int& width, int& height);
  // Places a movie of width × height in `target`, the control bar included when shown.
  RECT FitRect(int width, int height, const RECT& target, bool enlarge) const;

  static bool SharedMute() { return s_mute; }
  bool FullScreenAllowed() const { return m_fullScreenAllowed; }
  bool ForwardMouse() const { return m_forwardMouse; }
  bool ControlsVisible() const { return m_controlsVisible; }

 private:
  static bool s_mute;  // the last SetMute of any player

  bool m_fullScreenAllowed = true;
  bool m_forwardMouse = false;
  bool m_controlsVisible = true;
  bool m_repeat = false;
  int m_selectionStart = 0;
  int m_selectionEnd = 0;
  std::string m_fileName;
};

}  // namespace glintora
