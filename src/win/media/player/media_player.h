#pragma once
// The movie player: a child window that plays one movie or sound inside a parent window and
// tells its owner with WM_PLAYER_DONE when it has ended. One engine at a time plays for it
// (see player_engine.h): a DirectShow graph for most files, the MCI window for sounds and for
// what the graph cannot play, and the movie library's window for ".mov" files. The player
// chooses and opens the engine, keeps the settings, the selection and the shared mute state,
// passes its window's messages to the engine, and watches that what plays moves on.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "core/media/engine_route.h"
#include "core/media/player_arithmetic.h"
#include "core/media/volume_memory.h"
#include "core/show/movie_placement.h"
#include "win/framework/wnd.h"
#include "win/media/directshow/graph_engine.h"
#include "win/media/player/control_bar.h"
#include "win/media/player/movie_preparation.h"
#include "win/media/player/player_engine.h"

namespace glintora {

// Posted to the owner when a movie has ended (both parameters 0).
inline constexpr UINT WM_PLAYER_DONE = WM_USER + 1;
// The player window's control id (its control bar's follow it, see control_bar.h).
inline constexpr UINT kPlayerControlId = 10000;
// While a graph or the MCI window plays, this timer watches that it moves on: one that stands
// still for kStallMs without telling its end has ended (a graph may never send its completion).
inline constexpr UINT_PTR kProgressTimerId = 3285;
inline constexpr UINT kProgressTimerMs = 250;
inline constexpr int64_t kStallMs = 4000;

class CMediaPlayer : public CWnd, public PlayerEngineHost {
  GLINTORA_DECLARE_MESSAGE_MAP()

 public:
  using Engine = PlayerEngineKind;

  CMediaPlayer() = default;
  ~CMediaPlayer() override;

  // Opens `path` in a new player window on `parent` at `rect` (parent's client coordinates)
  // and starts it; true when something plays. Prepares the file first (PrepareMovie) and
  // waits for that up to MovieOpening::kLimitMs without serving messages: the show prepares
  // on a thread of its own instead and hands the result to the second form.
  virtual bool Open(const std::string& path, HWND parent, const RECT& rect);
  // Plays a prepared movie; nothing plays when it is null or was refused.
  bool Open(std::unique_ptr<PreparedMovie> movie, HWND parent, const RECT& rect);
  virtual bool IsOpen() const;
  // Stops whatever plays and destroys the player window.
  virtual void Close();
  // The movie window's controller only; nothing else has step buttons.
  virtual void SuppressStepButtons();
  virtual void SetRepeat(bool repeat);
  virtual bool Pause();
  virtual bool Play();
  virtual bool HasAudio() const;
  // Every player of the process shares the mute state.
  virtual void SetMute(bool mute);
  // MCI: milliseconds; graph: media time (100 ns); movie window: movie units (600 a
  // second); -1 when nothing is open.
  virtual int64_t GetLength();
  virtual int64_t GetFrameCount();
  virtual int64_t GetFramePosition();
  // Frames per second; 0 when the length is unknown, -1 when nothing is open.
  virtual double GetFrameRate();
  virtual void SetFullScreenAllowed(bool allowed);
  virtual void ToggleFullScreen();
  virtual void MoveTo(const RECT& rect);
  virtual void SetSelection(int first, int last);
  // Writes the selected frames of the current file to `path`; a failure leaves `path` and
  // the current file as they were.
  virtual bool SaveSelection(const std::string& path);
  virtual void ShowControls(bool show) { m_settings.controlsVisible = show; }
  virtual void SetForwardMouse(bool forward);

  // The natural size of a movie; false with 0 × 0 when it cannot be told or the file is
  // refused. Prepares the file on a worker and waits for it, as Open does.
  static bool GetMovieSize(const std::string& path, int& width, int& height);
  // Places a movie of width × height in `target`, the control bar included when shown.
  RECT FitRect(int width, int height, const RECT& target, bool enlarge) const;

  // Whether the end of what plays reaches the owner: every engine's does, once it ends or
  // stands still for kStallMs (the MCI window itself tells it only for a sound).
  bool ReportsEnd() const;
  // The length of what plays in milliseconds; -1 when unknown or nothing is open.
  int64_t LengthMilliseconds();
  Engine CurrentEngine() const;
  // The window of the MCI engine or of the movie library's, while that engine plays.
  HWND MciWindow() const { return EngineWindow(Engine::Mci); }
  HWND MovieWindow() const { return EngineWindow(Engine::MovieWindow); }
  const std::string& FileName() const { return m_fileName; }
  int SelectionStart() const { return m_selectionStart; }
  int SelectionEnd() const { return m_selectionEnd; }
  // The control bar (its windows exist only while a graph plays with the controls shown).
  const CBitmapSlider& SeekBar() const { return m_bar.SeekBar(); }
  const CButtonST& PlayButton() const { return m_bar.PlayButton(); }
  const CButtonST& MuteButton() const { return m_bar.MuteButton(); }

  static bool SharedMute() { return s_volume.Muted(); }
  static long SavedVolume() { return s_volume.SavedVolume(); }
  bool FullScreenAllowed() const { return m_settings.fullScreenAllowed; }
  bool ForwardMouse() const { return m_settings.forwardMouse; }
  bool ControlsVisible() const { return m_settings.controlsVisible; }

 protected:
  // Which engine plays `path`.
  virtual EngineRoute Route(const std::string& path) const { return RouteFor(path); }
  using GraphResult = GraphOpening;
  // Builds, sets up and runs the graph; Failed falls back to the MCI window, Abandoned ends
  // the open with nothing playing.
  virtual GraphResult OpenGraph(const std::string& path, const RECT& rect);
  // Makes `engine` the one that plays in the player window; Close() lets it go.
  void UseEngine(std::unique_ptr<CPlayerEngine> engine) { m_engine = std::move(engine); }

  // The engine takes the messages it answers before the player's map sees them.
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT OnDoubleClick(WPARAM, LPARAM);
  // A move or a click on the movie is one on the owner when the mouse is passed on.
  LRESULT OnMouseInput(WPARAM, LPARAM) { return DefaultThenToOwner(m_settings.forwardMouse); }
  LRESULT OnEraseBackground(WPARAM, LPARAM) { return 1; }
  LRESULT OnDestroy(WPARAM, LPARAM);
  LRESULT OnTimer(WPARAM, LPARAM);

 private:
  // What the engine asks of the player.
  void EngineEnded() override { ReportEnd(); }
  void ServePlayerMessages() override;
  void ToggleMute() override { SetMute(!s_volume.Muted()); }

  bool CreatePlayerWindow(HWND parent, const RECT& rect);
  void OpenMci(const std::string& path, HWND parent, const RECT& rect, bool sound);
  // The movie library's window on the prepared readers; false (and none) without them.
  bool OpenMovieWindow(PreparedMovie& movie, const RECT& rect);
  HWND EngineWindow(Engine kind) const;
  // Starts watching what plays move on, where its engine is watched.
  void WatchProgress();
  void OnProgressTimer();
  // Stops and lets go of the engine, whatever state it is in.
  void ReleaseEngine();
  // Posts the end to the owner: the owner closes the player in response, which must not
  // happen inside one of the player's own handlers.
  void ReportEnd();
  // Removes an end report still waiting in the owner's queue.
  void WithdrawEndReport();

  static VolumeMemory s_volume;  // the mute state and saved volume of every player

  PlayerSettings m_settings;
  CControlBar m_bar;  // before the engine, which may use it until it goes
  std::unique_ptr<CPlayerEngine> m_engine;
  bool m_inDialog = false;
  ProgressWatch m_progress{kStallMs};
  HWND m_endReportedTo = nullptr;  // the owner an end report was posted to
  std::string m_fileName;
  int m_selectionStart = 0;
  int m_selectionEnd = 0;
};

}  // namespace glintora
