#include "win/media/player/media_player.h"

#include <vfw.h>

#include <algorithm>
#include <string_view>
#include <utility>

#include "core/base/text.h"
#include "core/media/movie_time.h"
#include "core/media/player_arithmetic.h"
#include "core/media/player_layout.h"
#include "res/resource.h"
#include "win/framework/win_app.h"
#include "win/media/files/movie_file_probe.h"
#include "win/media/movie_library/movie_library.h"
#include "win/media/movie_library/movie_reader.h"
#include "win/media/player/movie_editing.h"

namespace glintora {
namespace {

// A graph in error never answers its state; the wait gives up after this.
constexpr DWORD kStateWaitLimitMs = 5000;
// Each state query waits this long for the graph.
constexpr DWORD kStateQueryMs = 10;

bool IsDialog(HWND window) {
  char name[16] = {};
  return window && GetClassNameA(window, name, sizeof name) && std::string_view(name) == "#32770";
}

}  // namespace

VolumeMemory CMediaPlayer::s_volume;

GLINTORA_MESSAGE_MAP(CMediaPlayer, CWnd, OnMessage<&CMediaPlayer::OnGraphEvent>(WM_GRAPH_EVENT),
                     OnMessage<&CMediaPlayer::OnMovieWindowDone>(WM_MOVIE_WINDOW_DONE),
                     OnMessage<&CMediaPlayer::OnMciNotifyMode>(MCIWNDM_NOTIFYMODE),
                     OnMessage<&CMediaPlayer::OnDoubleClick>(WM_LBUTTONDBLCLK),
                     OnMessage<&CMediaPlayer::OnMouseInput>(WM_MOUSEMOVE),
                     OnMessage<&CMediaPlayer::OnMouseInput>(WM_LBUTTONDOWN),
                     OnMessage<&CMediaPlayer::OnMouseInput>(WM_MBUTTONDOWN),
                     OnMessage<&CMediaPlayer::OnMouseInput>(WM_RBUTTONDOWN),
                     OnMessage<&CMediaPlayer::OnEraseBackground>(WM_ERASEBKGND),
                     OnMessage<&CMediaPlayer::OnDestroy>(WM_DESTROY), OnMessage<&CMediaPlayer::OnTimer>(WM_TIMER),
                     OnCommand<&CMediaPlayer::OnPlayButton>(kPlayButtonId),
                     OnCommand<&CMediaPlayer::OnMuteButton>(kMuteButtonId),
                     OnMessage<&CMediaPlayer::OnSeekMoving>(WM_BITMAPSLIDER_MOVING),
                     OnMessage<&CMediaPlayer::OnSeekMoved>(WM_BITMAPSLIDER_MOVED))

CMediaPlayer::~CMediaPlayer() { Close(); }

bool CMediaPlayer::Open(const std::string& path, HWND parent, const RECT& rect) {
  Close();
  return Open(MovieOpening::PrepareWithin(path, Route(path), PrepareFor::Playing), parent, rect);
}

bool CMediaPlayer::Open(std::unique_ptr<PreparedMovie> movie, HWND parent, const RECT& rect) {
  Close();
  // A refused file reaches no engine: every system call about it was made in its preparation.
  if (!movie || !movie->playable) return false;
  const std::string& path = movie->path;
  const HCURSOR previousCursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  if (CreatePlayerWindow(parent, rect)) {
    switch (movie->route) {
      case EngineRoute::QuickTime: OpenMovieWindow(*movie, rect); break;
      case EngineRoute::Sound: OpenMci(path, parent, rect, true); break;
      case EngineRoute::Graph:
        if (!movie->graphRenders) {
          OpenMci(path, parent, rect, false);
          break;
        }
        switch (OpenGraph(path, rect)) {
          case GraphResult::Playing: break;
          case GraphResult::Abandoned: Close(); break;
          case GraphResult::Failed: OpenMci(path, parent, rect, false); break;
        }
        break;
    }
  }
  if (IsOpen()) {
    m_fileName = path;
    WatchProgress();
  } else {
    // An empty player window paints nothing: it would keep showing what was there before.
    Close();
  }
  SetCursor(previousCursor);
  return IsOpen();
}

bool CMediaPlayer::CreatePlayerWindow(HWND parent, const RECT& rect) {
  if (m_hWnd) DestroyWindow();
  const char* className = RegisterWindowClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW), nullptr, nullptr);
  if (!CreateEx(0, className, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect, parent, kPlayerControlId)) {
    return false;
  }
  m_inDialog = IsDialog(parent);
  return true;
}

CMediaPlayer::GraphResult CMediaPlayer::OpenGraph(const std::string& path, const RECT& rect) {
  auto graph = std::make_shared<CDirectShowEngine>();
  m_graph = graph;  // from here on Close() releases it, whatever fails
  // Runs on the window's thread, which the graph's video window needs: the same file was
  // rendered into a trial graph off this thread, within MovieOpening's bound, just before.
  if (!graph->Render(path) || !graph->SetNotifyWindow(m_hWnd, WM_GRAPH_EVENT)) return GraphResult::Failed;
  const HRESULT visible = graph->QueryVideoVisible();
  if (FAILED(visible) && visible != E_NOINTERFACE) return GraphResult::Abandoned;
  if (SUCCEEDED(visible)) {
    HWND owner = m_inDialog ? ::GetParent(m_hWnd) : m_hWnd;
    if (!graph->AttachVideo(owner)) return GraphResult::Failed;
    if (m_controlsVisible) m_bar.Create(m_hWnd, rect.right - rect.left, rect.bottom - rect.top, s_volume.Muted());
    MoveTo(rect);
  }
  s_volume.NoteOpeningVolume(graph->Volume());
  SetMute(s_volume.Muted());
  if (graph->CanGetDuration()) {
    m_duration = graph->ReadDuration();
    m_frameCount = graph->ReadFrameCount(m_duration);
    m_selectionStart = 0;
    m_selectionEnd = static_cast<int>(std::clamp<int64_t>(m_frameCount, 0, INT32_MAX));
  }
  if (m_bar.HasSeekBar() && graph->CanSeekAbsolute()) {
    m_bar.EnableSeeking();
    SetTimer(m_hWnd, kSeekTimerId, kSeekTimerMs, nullptr);
  }
  if (FAILED(graph->RequestState(State_Running))) return GraphResult::Failed;
  return GraphResult::Playing;
}

void CMediaPlayer::OpenMci(const std::string& path, HWND parent, const RECT& rect, bool sound) {
  // On the window's thread, which must own the MCI window: its opening of the file is not
  // bounded. Only sounds and files that passed the byte checks and that the graph refused in
  // their preparation come here.
  Close();
  if (!CreatePlayerWindow(parent, rect)) return;
  if (!m_mci.Create(m_hWnd, path, MciWindowStyle(sound, m_controlsVisible))) return;
  m_mciNotifies = sound;
  if (!sound) m_mci.Move(rect.right - rect.left, rect.bottom - rect.top);
  if (m_mci.Play() != 0) Close();
}

bool CMediaPlayer::OpenMovieWindow(PreparedMovie& movie, const RECT& rect) {
  auto window = std::make_unique<CQuickTimeWnd>(m_controlsVisible);
  if (!window->Create(m_hWnd)) return false;
  window->SetForwardMouse(m_forwardMouse);
  window->SetFullScreenAllowed(m_fullScreenAllowed);
  // A file the library cannot read (or a system without the library) leaves no window: the
  // show then moves on after its delay, as for any movie that nothing plays.
  if (!window->OpenPrepared(movie.path, std::move(movie.picture), std::move(movie.sound))) return false;
  window->SetLooping(m_repeat);
  MoveWindow(window->m_hWnd, 0, 0, rect.right - rect.left, rect.bottom - rect.top, TRUE);
  ShowWindow(window->m_hWnd, SW_SHOW);
  window->StartPlaying();
  window->SetMute(s_volume.Muted());
  m_movieWindow = std::move(window);
  return true;
}

bool CMediaPlayer::IsOpen() const { return static_cast<bool>(m_mci) || m_graph != nullptr || m_movieWindow; }

CMediaPlayer::Engine CMediaPlayer::CurrentEngine() const {
  if (m_movieWindow) return Engine::MovieWindow;
  if (m_mci) return Engine::Mci;
  if (m_graph) return Engine::Graph;
  return Engine::None;
}

bool CMediaPlayer::ReportsEnd() const { return IsOpen(); }

void CMediaPlayer::WatchProgress() {
  m_mciSeenPlaying = false;
  m_pausedByCaller = false;
  m_progress.Restart(static_cast<int64_t>(GetTickCount64()));
  // The movie window ends by its own frames.
  if (m_hWnd && !m_movieWindow) SetTimer(m_hWnd, kProgressTimerId, kProgressTimerMs, nullptr);
}

void CMediaPlayer::OnProgressTimer() {
  const int64_t now = static_cast<int64_t>(GetTickCount64());
  std::optional<int64_t> position;
  if (m_mci) {
    if (m_mci.Playing()) {
      m_mciSeenPlaying = true;
      position = m_mci.PositionFrames();
    } else if (m_mciSeenPlaying && !m_pausedByCaller && m_mci.Stopped() && !m_repeat) {
      // A video in the MCI window tells nobody its end: it just stops.
      ReportEnd();
      return;
    } else if (!m_mciSeenPlaying) {
      position = -1;  // one that never starts stands still
    }
  } else if (GraphRunning(m_graph)) {
    position = m_graph->CurrentTime();
  }
  if (!position) {
    m_progress.Restart(now);  // paused, or between states
    return;
  }
  if (m_progress.Stalled(*position, now)) ReportEnd();
}

void CMediaPlayer::ReleaseEngines() {
  m_movieWindow.reset();
  m_mci.Close();
  m_mciNotifies = false;
  if (std::shared_ptr<CDirectShowEngine> graph = std::exchange(m_graph, nullptr)) {
    // On the window's thread, bounded by kStateWaitLimitMs; the release after it is bounded
    // by the clock's periodic advice (see CDirectShowEngine::Release).
    SetGraphState(graph, State_Stopped, true);
    graph->HideVideo();
    graph->Release();
    m_bar.DestroySeekBar();
    if (m_hWnd) KillTimer(m_hWnd, kSeekTimerId);
  }
  m_dragState = -1;
  m_duration = 0;
  m_frameCount = 0;
  m_seekTarget = 0;
}

void CMediaPlayer::Close() {
  ReleaseEngines();
  WithdrawEndReport();
  m_fileName.clear();
  // The next movie starts with the whole of itself selected.
  m_selectionStart = 0;
  m_selectionEnd = 0;
  if (m_hWnd) DestroyWindow();
}

LRESULT CMediaPlayer::OnDestroy(WPARAM, LPARAM) {
  // Destroyed with its parent: the engines go before the windows they draw in.
  ReleaseEngines();
  return Default();
}

bool CMediaPlayer::SetGraphState(const std::shared_ptr<CDirectShowEngine>& graph, OAFilterState target, bool wait) {
  // On the window's thread: each state query is bounded by kStateQueryMs and the whole wait
  // by kStateWaitLimitMs; input for other windows waits in the queue meanwhile.
  if (!graph) return false;
  OAFilterState state = State_Stopped;
  if (graph->GetState(kStateQueryMs, state) == S_OK && state == target) return true;
  const HRESULT requested = graph->RequestState(target);
  if (FAILED(requested)) return false;
  if (requested != S_FALSE || !wait) return true;
  const DWORD start = GetTickCount();
  for (;;) {
    if (graph->GetState(kStateQueryMs, state) == S_OK && state == target) return true;
    if (GetTickCount() - start > kStateWaitLimitMs) return false;
    // Only the player's own messages (and what other threads send, which the renderer may
    // wait on): a handler of the show could close the player, or delete it, under this wait.
    MSG msg;
    while (m_hWnd && PeekMessageA(&msg, m_hWnd, 0, 0, PM_REMOVE)) {
      if (CWnd::WalkPreTranslate(&msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (!graph->IsBuilt()) return false;  // closed meanwhile
  }
}

bool CMediaPlayer::GraphRunning(const std::shared_ptr<CDirectShowEngine>& graph) const {
  OAFilterState state = State_Stopped;
  return graph && graph->GetState(kStateQueryMs, state) == S_OK && state == State_Running;
}

LRESULT CMediaPlayer::OnGraphEvent(WPARAM, LPARAM) {
  const std::shared_ptr<CDirectShowEngine> graph = m_graph;
  long code = 0;
  // Each event's parameters are freed as it is taken, before anything can release the graph.
  while (graph && m_graph == graph && graph->NextEvent(code)) {
    if (code == EC_COMPLETE) {
      OnGraphComplete(graph);
    } else if (code == EC_ERRORABORT || code == EC_ERRORABORTEX || code == EC_USERABORT) {
      // A graph that gave up never completes; the show must not wait for it.
      ReportEnd();
    }
  }
  return 0;
}

void CMediaPlayer::OnGraphComplete(const std::shared_ptr<CDirectShowEngine>& graph) {
  // Back to the start of the selection, then again or done.
  const MediaSpan span = SelectionSpan(m_duration, m_frameCount, m_selectionStart, m_selectionEnd);
  // Waited for only when it plays again; a movie that is done is closed by its owner next.
  SetGraphState(graph, State_Stopped, m_repeat);
  if (m_graph != graph) return;
  graph->SetPositions(span.start, span.stop);
  m_seekTarget = span.start;
  m_bar.SetSeekPosition(SeekBarPositionFor(span.start, m_duration));
  if (!m_repeat) m_bar.ShowPlaying(false);
  // A graph just asked to run may still answer that it is on its way (some systems even name
  // the old state meanwhile): the accepted request counts, not a state read 10 ms later.
  if (m_repeat && (GraphRunning(graph) || SetGraphState(graph, State_Running, false))) return;
  ReportEnd();
}

LRESULT CMediaPlayer::OnMovieWindowDone(WPARAM, LPARAM) {
  // Passed on, so that the show does not wait for a movie that has ended.
  ReportEnd();
  return 0;
}

LRESULT CMediaPlayer::OnMciNotifyMode(WPARAM window, LPARAM mode) {
  // Only the current MCI window counts; one being closed reports its stop as well.
  if (!m_mci || reinterpret_cast<HWND>(window) != m_mci.Handle() || mode != MCI_MODE_STOP) return 0;
  if (m_repeat) {
    m_mci.Play();
  } else {
    ReportEnd();
  }
  return 0;
}

void CMediaPlayer::ReportEnd() {
  if (m_hWnd) KillTimer(m_hWnd, kProgressTimerId);
  HWND owner = GetOwner();
  if (!owner) return;
  PostMessageA(owner, WM_PLAYER_DONE, 0, 0);
  m_endReportedTo = owner;
}

void CMediaPlayer::WithdrawEndReport() {
  HWND owner = std::exchange(m_endReportedTo, nullptr);
  MSG msg;
  while (owner && PeekMessageA(&msg, owner, WM_PLAYER_DONE, WM_PLAYER_DONE, PM_REMOVE | PM_NOYIELD)) {
  }
}

LRESULT CMediaPlayer::OnDoubleClick(WPARAM, LPARAM lParam) {
  if (m_fullScreenAllowed) {
    ToggleFullScreen();
  } else if (HWND owner = GetOwner()) {
    SendMessageA(owner, WM_LBUTTONDBLCLK, 0, lParam);
  }
  return Default();
}

void CMediaPlayer::SetRepeat(bool repeat) {
  m_repeat = repeat;
  m_mci.SetRepeat(repeat);
  if (m_movieWindow) m_movieWindow->SetLooping(repeat);
}

void CMediaPlayer::SuppressStepButtons() {
  if (m_movieWindow) m_movieWindow->SuppressStepButtons();
}

void CMediaPlayer::SetFullScreenAllowed(bool allowed) {
  m_fullScreenAllowed = allowed;
  if (m_movieWindow) m_movieWindow->SetFullScreenAllowed(allowed);
}

void CMediaPlayer::SetForwardMouse(bool forward) {
  m_forwardMouse = forward;
  if (m_movieWindow) m_movieWindow->SetForwardMouse(forward);
}

bool CMediaPlayer::Pause() {
  m_pausedByCaller = true;
  if (m_movieWindow) {
    m_movieWindow->Movie().StopMovie();
    return true;
  }
  if (m_mci) return m_mci.Pause() == 0;
  const bool paused = SetGraphState(m_graph, State_Paused, false);
  if (paused) m_bar.ShowPlaying(false);
  return paused;
}

bool CMediaPlayer::Play() {
  m_pausedByCaller = false;
  m_progress.Restart(static_cast<int64_t>(GetTickCount64()));
  if (m_movieWindow) {
    m_movieWindow->Movie().StartMovie();
    return true;
  }
  if (m_mci) return m_mci.Resume() == 0;
  const bool running = SetGraphState(m_graph, State_Running, false);
  if (running) m_bar.ShowPlaying(true);
  return running;
}

bool CMediaPlayer::HasAudio() const {
  if (m_movieWindow) return m_movieWindow->HasAudio();
  if (m_mci) return true;
  return m_graph && m_graph->HasAudio();
}

void CMediaPlayer::SetMute(bool mute) {
  const std::optional<long> current = m_graph ? m_graph->Volume() : std::nullopt;
  const std::optional<long> volume = s_volume.SetMute(mute, current);
  // The MCI window's sound is left as it is.
  if (m_graph && volume) m_graph->SetVolume(*volume);
  if (m_movieWindow) m_movieWindow->SetMute(mute);
  m_bar.ShowMuted(mute);
}

int64_t CMediaPlayer::GetLength() {
  if (m_movieWindow) return m_movieWindow->GetDuration();
  if (m_mci) return m_mci.LengthMilliseconds();
  if (m_graph) return m_duration;
  return -1;
}

int64_t CMediaPlayer::GetFrameCount() {
  if (m_movieWindow) return m_movieWindow->GetFrameCount();
  if (m_mci) return m_mci.LengthFrames();
  if (m_graph) return m_frameCount;
  return -1;
}

int64_t CMediaPlayer::GetFramePosition() {
  if (m_movieWindow) {
    return FrameAtMovieTime(m_movieWindow->GetControllerTime(), m_movieWindow->GetDuration(),
                            m_movieWindow->GetFrameCount());
  }
  if (m_mci) return m_mci.PositionFrames();
  if (!m_graph) return -1;
  if (GraphRunning(m_graph)) {
    if (const std::optional<int64_t> frame = m_graph->CurrentFrame()) return *frame;
    if (const std::optional<int64_t> time = m_graph->CurrentTime()) return FrameAtTime(*time, m_duration, m_frameCount);
  }
  return FrameAtTime(m_seekTarget, m_duration, m_frameCount);
}

double CMediaPlayer::GetFrameRate() {
  if (m_movieWindow) return MovieFrameRate(m_movieWindow->GetFrameCount(), m_movieWindow->GetDuration());
  if (m_mci) return FrameRateOverMilliseconds(m_mci.LengthFrames(), m_mci.LengthMilliseconds());
  if (!m_graph) return -1;
  if (const std::optional<double> rate = CDirectShowEngine::DetectFrameRate(m_fileName)) return *rate;
  return FrameRateOverDuration(m_frameCount, m_duration);
}

int64_t CMediaPlayer::LengthMilliseconds() {
  if (m_movieWindow) {
    const int64_t duration = m_movieWindow->GetDuration();
    return duration > 0 ? duration * 1000 / kMovieTimeScale : -1;
  }
  if (m_mci) {
    const int64_t length = m_mci.LengthMilliseconds();
    return length >= 0 ? length : -1;
  }
  if (m_graph && m_duration > 0) return m_duration / 10000;
  return -1;
}

void CMediaPlayer::ToggleFullScreen() {
  if (!m_fullScreenAllowed) return;
  if (m_movieWindow) {
    m_movieWindow->ToggleFullScreen();
    return;
  }
  if (!m_graph) return;
  if (m_graph->IsFullScreen()) {
    m_graph->SetFullScreen(false);
    if (m_hWnd) {
      UpdateWindow(m_hWnd);
      SetFocus(m_hWnd);
    }
  } else {
    m_graph->SetFullScreen(true);
  }
}

void CMediaPlayer::MoveTo(const RECT& rect) {
  if (!m_hWnd) return;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  MoveWindow(m_hWnd, rect.left, rect.top, width, height, TRUE);
  if (m_movieWindow) MoveWindow(m_movieWindow->m_hWnd, 0, 0, width, height, TRUE);
  if (m_mci) m_mci.Move(width, height);
  if (m_graph) {
    POINT origin{0, 0};
    if (m_inDialog) MapWindowPoints(m_hWnd, ::GetParent(m_hWnd), &origin, 1);
    const IntRect video = VideoRect(width, height, m_controlsVisible);
    m_graph->MoveVideo(origin.x, origin.y, video.Width(), video.Height());
    m_bar.Place(width, height);
  }
}

void CMediaPlayer::SetSelection(int first, int last) {
  const FrameRange range = NormaliseSelection(first, last, GetFrameCount());
  m_selectionStart = range.first;
  m_selectionEnd = range.last;
  if (m_movieWindow) {
    m_movieWindow->SetSelection(range.first, range.last);
    return;
  }
  if (m_mci) {
    m_mci.PlayFrames(range.first, range.last);
    return;
  }
  const std::shared_ptr<CDirectShowEngine> graph = m_graph;
  if (!graph) return;
  const MediaSpan span = SelectionSpan(m_duration, m_frameCount, range.first, range.last);
  m_bar.SetSeekMarks(SeekBarPositionFor(span.start, m_duration), SeekBarPositionFor(span.stop, m_duration));
  OAFilterState before = State_Stopped;
  graph->GetState(kStateQueryMs, before);
  SetGraphState(graph, State_Stopped, true);
  if (m_graph != graph) return;
  graph->SetPositions(span.start, span.stop);
  m_seekTarget = span.start;
  if (before != State_Stopped) SetGraphState(graph, before, true);
}

LRESULT CMediaPlayer::OnTimer(WPARAM id, LPARAM) {
  if (id == kProgressTimerId) {
    OnProgressTimer();
    return 0;
  }
  if (id == kSeekTimerId && m_bar.HasSeekBar() && GraphRunning(m_graph)) {
    if (const std::optional<int64_t> time = m_graph->CurrentTime()) {
      m_bar.SetSeekPosition(SeekBarPositionFor(*time, m_duration));
    }
  }
  return Default();
}

void CMediaPlayer::AfterBarClick(const std::shared_ptr<CDirectShowEngine>& graph) {
  if (m_graph != graph) return;  // closed while the graph changed state
  m_bar.FocusSeekBar();
  graph->BringVideoForward();
}

void CMediaPlayer::OnPlayButton() {
  const std::shared_ptr<CDirectShowEngine> graph = m_graph;
  if (!graph) return;
  const bool play = !GraphRunning(graph);
  SetGraphState(graph, play ? State_Running : State_Paused, true);
  if (m_graph != graph) return;
  m_bar.ShowPlaying(play);
  AfterBarClick(graph);
}

void CMediaPlayer::OnMuteButton() {
  const std::shared_ptr<CDirectShowEngine> graph = m_graph;
  SetMute(!s_volume.Muted());
  if (graph) AfterBarClick(graph);
}

void CMediaPlayer::SeekToBar(const std::shared_ptr<CDirectShowEngine>& graph) {
  m_seekTarget = SeekTargetFor(m_bar.SeekPosition(), m_duration);
  graph->SeekTo(m_seekTarget);
}

LRESULT CMediaPlayer::OnSeekMoving(WPARAM id, LPARAM) {
  const std::shared_ptr<CDirectShowEngine> graph = m_graph;
  if (id != kSeekBarId || !graph) return 0;
  if (m_dragState == -1) {
    // The movie holds still while the thumb is dragged, and runs on afterwards if it ran.
    m_dragState = GraphRunning(graph) ? 1 : 0;
    if (m_dragState == 1) SetGraphState(graph, State_Paused, true);
    if (m_graph != graph) return 0;
  }
  SeekToBar(graph);
  m_bar.FocusSeekBar();
  return 0;
}

LRESULT CMediaPlayer::OnSeekMoved(WPARAM id, LPARAM) {
  const std::shared_ptr<CDirectShowEngine> graph = m_graph;
  if (id != kSeekBarId || !graph) return 0;
  SeekToBar(graph);
  if (m_dragState == 1 && !GraphRunning(graph)) SetGraphState(graph, State_Running, false);
  m_dragState = -1;
  return 0;
}

bool CMediaPlayer::SaveSelection(const std::string& path) {
  if (m_fileName.empty() || path.empty()) return false;
  if (m_movieWindow) {
    const bool saved = m_movieWindow->SaveSelection(path);
    // Saved over itself: the movie was let go for the new file to take its place.
    if (!m_movieWindow->Movie().Opened()) Close();
    return saved;
  }
  return SaveAviSelection(m_fileName, path, m_selectionStart, m_selectionEnd, [this] { Close(); });
}

bool CMediaPlayer::GetMovieSize(const std::string& path, int& width, int& height) {
  width = 0;
  height = 0;
  const std::unique_ptr<PreparedMovie> movie =
      MovieOpening::PrepareWithin(path, RouteFor(path), PrepareFor::SizeOnly);
  if (!movie || !movie->playable || movie->width <= 0 || movie->height <= 0) return false;
  width = movie->width;
  height = movie->height;
  return true;
}

RECT CMediaPlayer::FitRect(int width, int height, const RECT& target, bool enlarge) const {
  const IntRect placed =
      FitMovieRect(width, height, {target.left, target.top, target.right, target.bottom}, enlarge, m_controlsVisible);
  return RECT{placed.left, placed.top, placed.right, placed.bottom};
}

}  // namespace glintora
