#include "win/media/movie_library/movie_window_engine.h"

#include <utility>

#include "core/media/movie_time.h"

namespace glintora {

bool CMovieWindowEngine::Open(HWND player, PreparedMovie& movie, int width, int height, bool muted) {
  if (!m_window.Create(player)) return false;
  m_window.SetForwardMouse(m_settings.forwardMouse);
  m_window.SetFullScreenAllowed(m_settings.fullScreenAllowed);
  if (!m_window.OpenPrepared(movie.path, std::move(movie.picture), std::move(movie.sound))) return false;
  m_window.SetLooping(m_settings.repeat);
  Move(width, height);
  ShowWindow(m_window.m_hWnd, SW_SHOW);
  m_window.StartPlaying();
  m_window.SetMute(muted);
  return true;
}

bool CMovieWindowEngine::OnMessage(UINT message, WPARAM, LPARAM) {
  if (message != WM_MOVIE_WINDOW_DONE) return false;
  // Passed on, so that the show does not wait for a movie that has ended.
  m_host.EngineEnded();
  return true;
}

bool CMovieWindowEngine::Pause() {
  m_window.Movie().StopMovie();
  return true;
}

bool CMovieWindowEngine::Play() {
  m_window.Movie().StartMovie();
  return true;
}

void CMovieWindowEngine::Move(int width, int height) { MoveWindow(m_window.m_hWnd, 0, 0, width, height, TRUE); }

int64_t CMovieWindowEngine::LengthMilliseconds() {
  const int64_t duration = m_window.GetDuration();
  return duration > 0 ? duration * 1000 / kMovieTimeScale : -1;
}

int64_t CMovieWindowEngine::FramePosition() {
  return FrameAtMovieTime(m_window.GetControllerTime(), m_window.GetDuration(), m_window.GetFrameCount());
}

double CMovieWindowEngine::FrameRate() { return MovieFrameRate(m_window.GetFrameCount(), m_window.GetDuration()); }

bool CMovieWindowEngine::SaveSelection(const std::string& target, int, int, const std::function<void()>& letGoOfFile) {
  // The window saves its own selection.
  const bool saved = m_window.SaveSelection(target);
  // Saved over itself: the movie was let go for the new file to take its place. Letting go
  // ends this engine; nothing of it is touched afterwards.
  if (!m_window.Movie().Opened()) letGoOfFile();
  return saved;
}

}  // namespace glintora
