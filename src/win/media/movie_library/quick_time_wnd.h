#pragma once
// CQuickTimeWnd: the child window that plays one movie of the movie library inside the movie
// player, tells its owner once when the movie is done (0x5C4, posted) and can take the movie
// to full screen and back.

#include <windows.h>

#include <memory>
#include <string>
#include <utility>

#include "win/framework/wnd.h"
#include "win/media/movie_library/quick_time.h"

namespace glintora {

// Posted to the owner when the movie is done (both parameters 0).
inline constexpr UINT WM_QUICKTIME_DONE = 0x5C4;
// Checks every 100 ms whether the movie is done.
inline constexpr UINT_PTR kDoneTimerId = 48789;
inline constexpr UINT kDoneTimerMs = 100;
// Shows the frames that are due.
inline constexpr UINT_PTR kFrameTimerId = 48790;
inline constexpr UINT kFrameTimerMs = 15;

class CQuickTimeWnd : public CWnd {
  GLINTORA_DECLARE_MESSAGE_MAP()

 public:
  explicit CQuickTimeWnd(bool controlsVisible) : m_controlsVisible(controlsVisible) {}
  ~CQuickTimeWnd() override;

  // An invisible child of `parent` with an empty rectangle and id 0.
  bool Create(HWND parent);
  void SetForwardMouse(bool forward) { m_forwardMouse = forward; }
  void SetFullScreenAllowed(bool allowed) { m_fullScreenAllowed = allowed; }
  void SetLooping(bool looping);
  bool OpenFile(const std::string& fileName);
  // Takes readers opened elsewhere (see PrepareMovie); `sound` may be null.
  bool OpenPrepared(const std::string& fileName, std::unique_ptr<CMovieReader> movie,
                    std::unique_ptr<CMovieSound> sound) {
    m_endReported = false;
    return m_movie.OpenPrepared(fileName, std::move(movie), std::move(sound));
  }
  // Plays from the start of the selection and checks for the end every 100 ms.
  void StartPlaying();
  void SetMute(bool mute) { m_movie.SetMute(mute); }
  bool HasAudio() const { return m_movie.HasAudio(); }
  // In movie units (600 a second).
  int64_t GetDuration() const { return m_movie.Duration(); }
  int GetFrameCount() { return m_movie.CountFrames(m_movie.GetMovie()); }
  int GetControllerTime() { return m_movie.GetControllerTime(); }
  // Plays frames [first, last) only.
  void SetSelection(int first, int last);
  void SuppressStepButtons();
  void ToggleFullScreen();
  // Writes the selection to `fileName` as a new movie of its pictures; false, with the target
  // as it was, on any failure. A movie with sound is refused (false, nothing written): the
  // new movie could not keep the sound, and is not saved without it.
  bool SaveSelection(const std::string& fileName);

  CQuickTime& Movie() { return m_movie; }
  const CQuickTime& Movie() const { return m_movie; }
  bool ControlsVisible() const { return m_controlsVisible; }
  bool FullScreenAllowed() const { return m_fullScreenAllowed; }
  bool ForwardMouse() const { return m_forwardMouse; }
  // The window that shows a movie full screen, null when none does.
  static HWND FullScreenWindow();
  bool IsFullScreen() const;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT OnSize(WPARAM, LPARAM);
  LRESULT OnTimer(WPARAM, LPARAM);
  // A move or a click on the movie is one on the owner when the mouse is passed on.
  LRESULT OnMouseInput(WPARAM, LPARAM) { return DefaultThenToOwner(m_forwardMouse); }
  LRESULT OnPaint(WPARAM, LPARAM);

 private:
  friend class CFullScreenMovieWnd;
  // Leaves full screen when this window's movie is there.
  void LeaveFullScreen();
  void Repaint();

  CQuickTime m_movie;
  bool m_controlsVisible;
  bool m_fullScreenAllowed = true;
  bool m_forwardMouse = false;
  bool m_endReported = false;
};

}  // namespace glintora
