#pragma once
// The movie player: a child window that plays one movie or sound inside a parent window and
// tells its owner with WM_PLAYER_DONE when it has ended. Three engines stand behind it: a
// DirectShow graph for most files, the MCI window for sounds and for what the graph cannot
// play, and the movie library's window for ".mov" files.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "core/media/engine_route.h"
#include "core/media/player_arithmetic.h"
#include "core/media/volume_memory.h"
#include "core/show/movie_placement.h"
#include "win/framework/wnd.h"
#include "win/media/directshow/directshow_engine.h"
#include "win/media/mci/mci_window.h"
#include "win/media/movie_library/quick_time_wnd.h"
#include "win/media/player/control_bar.h"
#include "win/media/player/movie_preparation.h"

namespace glintora {

// Posted to the owner when a movie has ended (both parameters 0).
inline constexpr UINT WM_PLAYER_DONE = WM_USER + 1;
// The graph's events arrive at the player as this message.
inline constexpr UINT WM_GRAPH_EVENT = WM_USER;
// The movie library's window reports the end of its movie with this message.
inline constexpr UINT WM_MOVIE_WINDOW_DONE = WM_QUICKTIME_DONE;
// The player window's control id (its control bar's follow it, see control_bar.h).
inline constexpr UINT kPlayerControlId = 10000;
// While the seek bar can seek, this timer moves it with the movie.
inline constexpr UINT_PTR kSeekTimerId = 3284;
inline constexpr UINT kSeekTimerMs = 100;
// While a graph or the MCI window plays, this timer watches that it moves on: one that stands
// still for kStallMs without telling its end has ended (a graph may never send its completion).
inline constexpr UINT_PTR kProgressTimerId = 3285;
inline constexpr UINT kProgressTimerMs = 250;
inline constexpr int64_t kStallMs = 4000;

class CMediaPlayer : public CWnd {
  GLINTORA_DECLARE_MESSAGE_MAP()

 public:
  enum class Engine { None, Mci, Graph, MovieWindow };

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
  virtual void ShowControls(bool show) { m_controlsVisible = show; }
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
  HWND MciWindow() const { return m_mci.Handle(); }
  CQuickTimeWnd* MovieWindow() const { return m_movieWindow.get(); }
  const std::string& FileName() const { return m_fileName; }
  int SelectionStart() const { return m_selectionStart; }
  int SelectionEnd() const { return m_selectionEnd; }
  // The control bar (its windows exist only while a graph plays with the controls shown).
  const CBitmapSlider& SeekBar() const { return m_bar.SeekBar(); }
  const CButtonST& PlayButton() const { return m_bar.PlayButton(); }
  const CButtonST& MuteButton() const { return m_bar.MuteButton(); }

  static bool SharedMute() { return s_volume.Muted(); }
  static long SavedVolume() { return s_volume.SavedVolume(); }
  bool FullScreenAllowed() const { return m_fullScreenAllowed; }
  bool ForwardMouse() const { return m_forwardMouse; }
  bool ControlsVisible() const { return m_controlsVisible; }

 protected:
  // Which engine plays `path`.
  virtual EngineRoute Route(const std::string& path) const { return RouteFor(path); }
  enum class GraphResult { Playing, Failed, Abandoned };
  // Builds, sets up and runs the graph; Failed falls back to the MCI window, Abandoned ends
  // the open with nothing playing.
  virtual GraphResult OpenGraph(const std::string& path, const RECT& rect);

  LRESULT OnGraphEvent(WPARAM, LPARAM);
  LRESULT OnMovieWindowDone(WPARAM, LPARAM);
  LRESULT OnMciNotifyMode(WPARAM, LPARAM);
  LRESULT OnDoubleClick(WPARAM, LPARAM);
  // A move or a click on the movie is one on the owner when the mouse is passed on.
  LRESULT OnMouseInput(WPARAM, LPARAM) { return DefaultThenToOwner(m_forwardMouse); }
  LRESULT OnEraseBackground(WPARAM, LPARAM) { return 1; }
  LRESULT OnDestroy(WPARAM, LPARAM);
  LRESULT OnTimer(WPARAM, LPARAM);
  void OnPlayButton();
  void OnMuteButton();
  LRESULT OnSeekMoving(WPARAM, LPARAM);
  LRESULT OnSeekMoved(WPARAM, LPARAM);

 private:
  bool CreatePlayerWindow(HWND parent, const RECT& rect);
  void OpenMci(const std::string& path, HWND parent, const RECT& rect, bool sound);
  // The movie library's window on the prepared readers; false (and none) without them.
  bool OpenMovieWindow(PreparedMovie& movie, const RECT& rect);
  // Starts watching a graph or the MCI window move on.
  void WatchProgress();
  void OnProgressTimer();
  // Stops, detaches and releases the graph and the MCI window, whatever state they are in.
  void ReleaseEngines();
  // Brings `graph` to `target` (State_Stopped, State_Paused, State_Running); with `wait`,
  // until it gets there or a bounded time has passed, serving the player's own messages
  // meanwhile. False when the state was not reached or the graph was released meanwhile.
  bool SetGraphState(const std::shared_ptr<CDirectShowEngine>& graph, OAFilterState target, bool wait);
  bool GraphRunning(const std::shared_ptr<CDirectShowEngine>& graph) const;
  void OnGraphComplete(const std::shared_ptr<CDirectShowEngine>& graph);
  // Seeks the graph to the seek bar's position.
  void SeekToBar(const std::shared_ptr<CDirectShowEngine>& graph);
  // Gives the focus to the seek bar and brings the video forward, after a click on the bar.
  void AfterBarClick(const std::shared_ptr<CDirectShowEngine>& graph);
  // Posts the end to the owner: the owner closes the player in response, which must not
  // happen inside one of the player's own handlers.
  void ReportEnd();
  // Removes an end report still waiting in the owner's queue.
  void WithdrawEndReport();

  static VolumeMemory s_volume;  // the mute state and saved volume of every player

  CMciWindow m_mci;
  std::unique_ptr<CQuickTimeWnd> m_movieWindow;
  // Shared so that a handler waiting on the graph keeps it while a nested close lets it go.
  std::shared_ptr<CDirectShowEngine> m_graph;
  bool m_inDialog = false;
  bool m_fullScreenAllowed = true;
  bool m_forwardMouse = false;
  bool m_controlsVisible = true;
  bool m_mciNotifies = false;      // the MCI window reports its mode changes (a sound)
  bool m_mciSeenPlaying = false;   // its stop after this is the end, unless asked to pause
  bool m_pausedByCaller = false;
  ProgressWatch m_progress{kStallMs};
  HWND m_endReportedTo = nullptr;  // the owner an end report was posted to
  int64_t m_seekTarget = 0;
  int64_t m_duration = 0;  // media time
  int64_t m_frameCount = 0;
  std::string m_fileName;
  int m_selectionStart = 0;
  int m_selectionEnd = 0;
  bool m_repeat = false;
  CControlBar m_bar;
  int m_dragState = -1;  // -1 no drag; 0 began while not running; 1 began while running
};

}  // namespace glintora
