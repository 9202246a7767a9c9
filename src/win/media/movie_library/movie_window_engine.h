#pragma once
// The player's engine for ".mov" files: the movie library's window (CQuickTimeWnd) on the
// readers prepared for it, inside the player window. The window tells the end of its movie
// itself (WM_MOVIE_WINDOW_DONE), by its own frames, so the player does not watch it.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "win/media/movie_library/quick_time_wnd.h"
#include "win/media/player/movie_preparation.h"
#include "win/media/player/player_engine.h"

namespace glintora {

// The movie library's window reports the end of its movie to the player with this message.
inline constexpr UINT WM_MOVIE_WINDOW_DONE = WM_QUICKTIME_DONE;

class CMovieWindowEngine : public CPlayerEngine {
 public:
  CMovieWindowEngine(PlayerEngineHost& host, const PlayerSettings& settings)
      : m_host(host), m_settings(settings), m_window(settings.controlsVisible) {}

  // Opens the prepared readers in a movie window filling the player window `player` of
  // width × height and starts it; false, with no window, when they do not open (or the
  // system has no movie library).
  bool Open(HWND player, PreparedMovie& movie, int width, int height, bool muted);

  PlayerEngineKind Kind() const override { return PlayerEngineKind::MovieWindow; }
  HWND Window() const override { return m_window.m_hWnd; }
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool Pause() override;
  bool Play() override;
  void SetRepeat(bool repeat) override { m_window.SetLooping(repeat); }
  void SetFullScreenAllowed(bool allowed) override { m_window.SetFullScreenAllowed(allowed); }
  void SetForwardMouse(bool forward) override { m_window.SetForwardMouse(forward); }
  void SuppressStepButtons() override { m_window.SuppressStepButtons(); }
  void ToggleFullScreen() override { m_window.ToggleFullScreen(); }
  void Move(int width, int height) override;
  bool HasAudio() const override { return m_window.HasAudio(); }
  std::optional<long> Volume() const override { return std::nullopt; }
  void SetMute(bool mute, std::optional<long>) override { m_window.SetMute(mute); }
  // In movie units (600 a second).
  int64_t Length() override { return m_window.GetDuration(); }
  int64_t LengthMilliseconds() override;
  int64_t FrameCount() override { return m_window.GetFrameCount(); }
  int64_t FramePosition() override;
  double FrameRate() override;
  void SetSelection(int first, int last) override { m_window.SetSelection(first, last); }
  // Writes a new ".mov" of the selection's pictures (see CQuickTimeWnd::SaveSelection).
  bool SaveSelection(const std::string& target, int first, int last,
                     const std::function<void()>& letGoOfFile) override;
  bool Watched() const override { return false; }
  EngineProgress Progress() override { return {}; }

 private:
  PlayerEngineHost& m_host;
  const PlayerSettings& m_settings;
  CQuickTimeWnd m_window;
};

}  // namespace glintora
