#include "win/media/directshow/graph_engine.h"

#include <algorithm>

#include "core/media/player_arithmetic.h"
#include "core/media/player_layout.h"
#include "win/media/player/movie_editing.h"
#include "win/ui/bitmap_slider.h"

namespace glintora {

CGraphEngine::CGraphEngine(PlayerEngineHost& host, const PlayerSettings& settings, CControlBar& bar, HWND player,
                           bool inDialog)
    : m_host(host), m_settings(settings), m_bar(bar), m_player(player), m_inDialog(inDialog) {}

CGraphEngine::~CGraphEngine() {
  *m_open = false;
  // On the window's thread, bounded by kStateWaitLimitMs; the release after it is bounded by
  // the clock's periodic advice (see CDirectShowEngine::Release).
  ChangeState(m_graph, State_Stopped, true);
  m_graph->HideVideo();
  m_graph->Release();
  m_bar.DestroySeekBar();
  KillTimer(m_player, kSeekTimerId);
}

GraphOpening CGraphEngine::Build(const std::string& path, int width, int height) {
  m_path = path;
  // The same file was rendered into a trial graph off this thread, within MovieOpening's
  // bound, just before.
  if (!m_graph->Render(path) || !m_graph->SetNotifyWindow(m_player, WM_GRAPH_EVENT)) return GraphOpening::Failed;
  const HRESULT visible = m_graph->QueryVideoVisible();
  if (FAILED(visible) && visible != E_NOINTERFACE) return GraphOpening::Abandoned;
  if (SUCCEEDED(visible)) {
    if (!m_graph->AttachVideo(m_inDialog ? ::GetParent(m_player) : m_player)) return GraphOpening::Failed;
    if (m_settings.controlsVisible) m_bar.Create(m_player, width, height);
    Move(width, height);
  }
  return GraphOpening::Playing;
}

GraphOpening CGraphEngine::Start() {
  if (m_graph->CanGetDuration()) {
    m_duration = m_graph->ReadDuration();
    m_frameCount = m_graph->ReadFrameCount(m_duration);
    m_selectionFirst = 0;
    m_selectionLast = static_cast<int>(std::clamp<int64_t>(m_frameCount, 0, INT32_MAX));
  }
  if (m_bar.HasSeekBar() && m_graph->CanSeekAbsolute()) {
    m_bar.EnableSeeking();
    SetTimer(m_player, kSeekTimerId, kSeekTimerMs, nullptr);
  }
  if (FAILED(m_graph->RequestState(State_Running))) return GraphOpening::Failed;
  return GraphOpening::Playing;
}

bool CGraphEngine::ChangeState(const std::shared_ptr<CDirectShowEngine>& graph, OAFilterState target, bool wait) {
  return graph->ChangeState(target, wait, [&host = m_host] { host.ServePlayerMessages(); });
}

bool CGraphEngine::OnMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_GRAPH_EVENT: OnGraphEvent(); return true;
    case WM_TIMER:
      // The player's own timers pass on, and so does this one after its work.
      if (wParam == kSeekTimerId) OnSeekTimer();
      return false;
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) return false;
      if (LOWORD(wParam) == kPlayButtonId) {
        OnPlayButton();
        return true;
      }
      if (LOWORD(wParam) == kMuteButtonId) {
        OnMuteButton();
        return true;
      }
      return false;
    case WM_BITMAPSLIDER_MOVING:
      if (wParam == kSeekBarId) OnSeekMoving();
      return true;
    case WM_BITMAPSLIDER_MOVED:
      if (wParam == kSeekBarId) OnSeekMoved();
      return true;
    default: return false;
  }
}

void CGraphEngine::OnGraphEvent() {
  const std::shared_ptr<CDirectShowEngine> graph = m_graph;
  const std::shared_ptr<bool> open = m_open;
  long code = 0;
  // Each event's parameters are freed as it is taken, before anything can release the graph.
  while (*open && graph->NextEvent(code)) {
    if (code == EC_COMPLETE) {
      OnGraphComplete();
    } else if (code == EC_ERRORABORT || code == EC_ERRORABORTEX || code == EC_USERABORT) {
      // A graph that gave up never completes; the show must not wait for it.
      m_host.EngineEnded();
    }
  }
}

void CGraphEngine::OnGraphComplete() {
  const std::shared_ptr<CDirectShowEngine> graph = m_graph;
  const std::shared_ptr<bool> open = m_open;
  const MediaSpan span = SelectionSpan(m_duration, m_frameCount, m_selectionFirst, m_selectionLast);
  // Waited for only when it plays again; a movie that is done is closed by its owner next.
  ChangeState(graph, State_Stopped, m_settings.repeat);
  if (!*open) return;
  graph->SetPositions(span.start, span.stop);
  m_seekTarget = span.start;
  m_bar.SetSeekPosition(SeekBarPositionFor(span.start, m_duration));
  if (!m_settings.repeat) m_bar.ShowPlaying(false);
  // A graph just asked to run may still answer that it is on its way (some systems even name
  // the old state meanwhile): the accepted request counts, not a state read 10 ms later.
  if (m_settings.repeat && (graph->Running() || ChangeState(graph, State_Running, false))) return;
  m_host.EngineEnded();
}

bool CGraphEngine::Pause() {
  const bool paused = ChangeState(m_graph, State_Paused, false);
  if (paused) m_bar.ShowPlaying(false);
  return paused;
}

bool CGraphEngine::Play() {
  const bool running = ChangeState(m_graph, State_Running, false);
  if (running) m_bar.ShowPlaying(true);
  return running;
}

void CGraphEngine::SetMute(bool, std::optional<long> volume) {
  if (volume) m_graph->SetVolume(*volume);
}

int64_t CGraphEngine::FramePosition() {
  if (m_graph->Running()) {
    if (const std::optional<int64_t> frame = m_graph->CurrentFrame()) return *frame;
    if (const std::optional<int64_t> time = m_graph->CurrentTime()) return FrameAtTime(*time, m_duration, m_frameCount);
  }
  return FrameAtTime(m_seekTarget, m_duration, m_frameCount);
}

double CGraphEngine::FrameRate() {
  if (const std::optional<double> rate = CDirectShowEngine::DetectFrameRate(m_path)) return *rate;
  return FrameRateOverDuration(m_frameCount, m_duration);
}

EngineProgress CGraphEngine::Progress() {
  if (!m_graph->Running()) return {};
  return {false, m_graph->CurrentTime()};
}

void CGraphEngine::ToggleFullScreen() {
  if (m_graph->IsFullScreen()) {
    m_graph->SetFullScreen(false);
    UpdateWindow(m_player);
    SetFocus(m_player);
  } else {
    m_graph->SetFullScreen(true);
  }
}

void CGraphEngine::Move(int width, int height) {
  POINT origin{0, 0};
  if (m_inDialog) MapWindowPoints(m_player, ::GetParent(m_player), &origin, 1);
  const IntRect video = VideoRect(width, height, m_settings.controlsVisible);
  m_graph->MoveVideo(origin.x, origin.y, video.Width(), video.Height());
  m_bar.Place(width, height);
}

void CGraphEngine::SetSelection(int first, int last) {
  const std::shared_ptr<CDirectShowEngine> graph = m_graph;
  const std::shared_ptr<bool> open = m_open;
  m_selectionFirst = first;
  m_selectionLast = last;
  const MediaSpan span = SelectionSpan(m_duration, m_frameCount, first, last);
  m_bar.SetSeekMarks(SeekBarPositionFor(span.start, m_duration), SeekBarPositionFor(span.stop, m_duration));
  OAFilterState before = State_Stopped;
  graph->GetState(CDirectShowEngine::kStateQueryMs, before);
  ChangeState(graph, State_Stopped, true);
  if (!*open) return;
  graph->SetPositions(span.start, span.stop);
  m_seekTarget = span.start;
  if (before != State_Stopped) ChangeState(graph, before, true);
}

bool CGraphEngine::SaveSelection(const std::string& target, int first, int last,
                                 const std::function<void()>& letGoOfFile) {
  return SaveAviSelection(m_path, target, first, last, letGoOfFile);
}

void CGraphEngine::OnSeekTimer() {
  if (!m_bar.HasSeekBar() || !m_graph->Running()) return;
  if (const std::optional<int64_t> time = m_graph->CurrentTime()) {
    m_bar.SetSeekPosition(SeekBarPositionFor(*time, m_duration));
  }
}

void CGraphEngine::AfterBarClick() {
  m_bar.FocusSeekBar();
  m_graph->BringVideoForward();
}

void CGraphEngine::OnPlayButton() {
  const std::shared_ptr<CDirectShowEngine> graph = m_graph;
  const std::shared_ptr<bool> open = m_open;
  const bool play = !graph->Running();
  ChangeState(graph, play ? State_Running : State_Paused, true);
  if (!*open) return;  // closed while the graph changed state
  m_bar.ShowPlaying(play);
  AfterBarClick();
}

void CGraphEngine::OnMuteButton() {
  m_host.ToggleMute();
  AfterBarClick();
}

void CGraphEngine::SeekToBar() {
  m_seekTarget = SeekTargetFor(m_bar.SeekPosition(), m_duration);
  m_graph->SeekTo(m_seekTarget);
}

void CGraphEngine::OnSeekMoving() {
  const std::shared_ptr<CDirectShowEngine> graph = m_graph;
  const std::shared_ptr<bool> open = m_open;
  if (m_dragState == -1) {
    // The movie holds still while the thumb is dragged, and runs on afterwards if it ran.
    m_dragState = graph->Running() ? 1 : 0;
    if (m_dragState == 1) ChangeState(graph, State_Paused, true);
    if (!*open) return;
  }
  SeekToBar();
  m_bar.FocusSeekBar();
}

void CGraphEngine::OnSeekMoved() {
  SeekToBar();
  if (m_dragState == 1 && !m_graph->Running()) ChangeState(m_graph, State_Running, false);
  m_dragState = -1;
}

}  // namespace glintora
