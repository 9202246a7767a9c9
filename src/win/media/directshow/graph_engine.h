#pragma once
// The player's DirectShow engine: one filter graph (CDirectShowEngine) playing a file in the
// player window, its video a child of the player (of the dialog, when the player sits in
// one) with the control bar below it when the controls are shown. It tells the end at the
// graph's completion or abort, plays the selection again when repeating, and answers the
// bar. Waiting for the graph to change state serves the player's own messages meanwhile,
// whose handlers may close the player: a handler that waited checks that the engine is still
// open before it touches the engine again.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "win/media/player/control_bar.h"
#include "win/media/player/player_engine.h"
// After the framework's headers: the graph's define macros that clash with its names.
#include "win/media/directshow/directshow_engine.h"

namespace glintora {

// The graph's events arrive at the player window as this message.
inline constexpr UINT WM_GRAPH_EVENT = WM_USER;
// While the seek bar can seek, this timer moves it with the movie.
inline constexpr UINT_PTR kSeekTimerId = 3284;
inline constexpr UINT kSeekTimerMs = 100;

// How an opening went: Failed leaves the file to the MCI window, Abandoned to nothing.
enum class GraphOpening { Playing, Failed, Abandoned };

class CGraphEngine : public CPlayerEngine {
 public:
  // Plays in the player window `player`, `inDialog` when its parent is a dialog; the bar is
  // made in `bar` when the settings show the controls.
  CGraphEngine(PlayerEngineHost& host, const PlayerSettings& settings, CControlBar& bar, HWND player, bool inDialog);
  ~CGraphEngine() override;

  // Renders `path` (on the window's thread, which the graph's video window needs) and shows
  // its video in the player of width × height, with the bar.
  GraphOpening Build(const std::string& path, int width, int height);
  // Reads the length, selects the whole movie, lets the bar seek and runs the graph.
  GraphOpening Start();

  PlayerEngineKind Kind() const override { return PlayerEngineKind::Graph; }
  HWND Window() const override { return nullptr; }
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool Pause() override;
  bool Play() override;
  void SetRepeat(bool) override {}
  void SetFullScreenAllowed(bool) override {}
  void SetForwardMouse(bool) override {}
  void SuppressStepButtons() override {}
  void ToggleFullScreen() override;
  void Move(int width, int height) override;
  bool HasAudio() const override { return m_graph->HasAudio(); }
  std::optional<long> Volume() const override { return m_graph->Volume(); }
  void SetMute(bool mute, std::optional<long> volume) override;
  // In media time (100 ns).
  int64_t Length() override { return m_duration; }
  int64_t LengthMilliseconds() override { return m_duration > 0 ? m_duration / 10000 : -1; }
  int64_t FrameCount() override { return m_frameCount; }
  int64_t FramePosition() override;
  double FrameRate() override;
  void SetSelection(int first, int last) override;
  bool SaveSelection(const std::string& target, int first, int last,
                     const std::function<void()>& letGoOfFile) override;
  bool Watched() const override { return true; }
  EngineProgress Progress() override;

 private:
  // The graph's ChangeState, serving the player's messages while it waits.
  bool ChangeState(const std::shared_ptr<CDirectShowEngine>& graph, OAFilterState target, bool wait);
  void OnGraphEvent();
  // Back to the start of the selection, then again or done.
  void OnGraphComplete();
  void OnSeekTimer();
  void OnPlayButton();
  void OnMuteButton();
  void OnSeekMoving();
  void OnSeekMoved();
  // Seeks the graph to the seek bar's position.
  void SeekToBar();
  // Gives the focus to the seek bar and brings the video forward, after a click on the bar.
  void AfterBarClick();

  PlayerEngineHost& m_host;
  const PlayerSettings& m_settings;
  CControlBar& m_bar;
  HWND m_player;
  bool m_inDialog;
  // Shared so that a handler waiting on the graph keeps it while a nested close lets it go.
  std::shared_ptr<CDirectShowEngine> m_graph = std::make_shared<CDirectShowEngine>();
  // False from the start of the engine's destruction on; a handler keeps its own share to
  // look at after a wait, when the engine itself may be gone.
  std::shared_ptr<bool> m_open = std::make_shared<bool>(true);
  std::string m_path;
  int64_t m_duration = 0;  // media time
  int64_t m_frameCount = 0;
  int m_selectionFirst = 0;
  int m_selectionLast = 0;
  int64_t m_seekTarget = 0;
  int m_dragState = -1;  // -1 no drag; 0 began while not running; 1 began while running
};

}  // namespace glintora
