#include "win/media/player/media_player.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "win/media/mci/mci_engine.h"
#include "win/media/movie_library/movie_window_engine.h"

namespace glintora {
namespace {

bool IsDialog(HWND window) {
  char name[16] = {};
  return window && GetClassNameA(window, name, sizeof name) && std::string_view(name) == "#32770";
}

}  // namespace

VolumeMemory CMediaPlayer::s_volume;

GLINTORA_MESSAGE_MAP(CMediaPlayer, CWnd, OnMessage<&CMediaPlayer::OnDoubleClick>(WM_LBUTTONDBLCLK),
                     OnMessage<&CMediaPlayer::OnMouseInput>(WM_MOUSEMOVE),
                     OnMessage<&CMediaPlayer::OnMouseInput>(WM_LBUTTONDOWN),
                     OnMessage<&CMediaPlayer::OnMouseInput>(WM_MBUTTONDOWN),
                     OnMessage<&CMediaPlayer::OnMouseInput>(WM_RBUTTONDOWN),
                     OnMessage<&CMediaPlayer::OnEraseBackground>(WM_ERASEBKGND),
                     OnMessage<&CMediaPlayer::OnDestroy>(WM_DESTROY), OnMessage<&CMediaPlayer::OnTimer>(WM_TIMER))

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
      case EngineRoute::LibraryThenGraph: break;  // a prepared movie names the engine it chose
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
  auto engine = std::make_unique<CGraphEngine>(*this, m_settings, m_bar, m_hWnd, m_inDialog);
  CGraphEngine& graph = *engine;
  UseEngine(std::move(engine));  // from here on Close() releases it, whatever fails
  const GraphResult built = graph.Build(path, rect.right - rect.left, rect.bottom - rect.top);
  if (built != GraphResult::Playing) return built;
  s_volume.NoteOpeningVolume(graph.Volume());
  SetMute(s_volume.Muted());
  const GraphResult started = graph.Start();
  // The whole movie is selected, where the graph tells its frames.
  m_selectionStart = 0;
  m_selectionEnd = static_cast<int>(std::clamp<int64_t>(graph.FrameCount(), 0, INT32_MAX));
  return started;
}

void CMediaPlayer::OpenMci(const std::string& path, HWND parent, const RECT& rect, bool sound) {
  // On the window's thread, which must own the MCI window: its opening of the file is not
  // bounded. Only sounds and files that passed the byte checks and that the graph refused in
  // their preparation come here.
  Close();
  if (!CreatePlayerWindow(parent, rect)) return;
  auto engine = std::make_unique<CMciEngine>(*this, m_settings);
  if (engine->Open(m_hWnd, path, sound, rect.right - rect.left, rect.bottom - rect.top)) UseEngine(std::move(engine));
}

bool CMediaPlayer::OpenMovieWindow(PreparedMovie& movie, const RECT& rect) {
  auto engine = std::make_unique<CMovieWindowEngine>(*this, m_settings);
  // A file the library cannot read (or a system without the library) leaves no window: the
  // show then moves on after its delay, as for any movie that nothing plays.
  if (!engine->Open(m_hWnd, movie, rect.right - rect.left, rect.bottom - rect.top, s_volume.Muted())) return false;
  UseEngine(std::move(engine));
  return true;
}

bool CMediaPlayer::IsOpen() const { return m_engine != nullptr; }

CMediaPlayer::Engine CMediaPlayer::CurrentEngine() const { return m_engine ? m_engine->Kind() : Engine::None; }

HWND CMediaPlayer::EngineWindow(Engine kind) const {
  return m_engine && m_engine->Kind() == kind ? m_engine->Window() : nullptr;
}

bool CMediaPlayer::ReportsEnd() const { return IsOpen(); }

LRESULT CMediaPlayer::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // The engine may be gone once it has taken the message.
  if (m_engine && m_engine->OnMessage(message, wParam, lParam)) return 0;
  return CWnd::WindowProc(message, wParam, lParam);
}

void CMediaPlayer::ServePlayerMessages() {
  // Only the player's own messages (and what other threads send, which the renderer may
  // wait on): a handler of the show could close the player, or delete it, under this wait.
  MSG msg;
  while (m_hWnd && PeekMessageA(&msg, m_hWnd, 0, 0, PM_REMOVE)) {
    if (CWnd::WalkPreTranslate(&msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void CMediaPlayer::WatchProgress() {
  m_progress.Restart(static_cast<int64_t>(GetTickCount64()));
  if (m_hWnd && m_engine && m_engine->Watched()) SetTimer(m_hWnd, kProgressTimerId, kProgressTimerMs, nullptr);
}

void CMediaPlayer::OnProgressTimer() {
  if (!m_engine) return;
  const int64_t now = static_cast<int64_t>(GetTickCount64());
  const EngineProgress progress = m_engine->Progress();
  if (progress.ended) {
    ReportEnd();
  } else if (!progress.position) {
    m_progress.Restart(now);  // paused, or between states
  } else if (m_progress.Stalled(*progress.position, now)) {
    ReportEnd();
  }
}

void CMediaPlayer::ReleaseEngine() {
  // Out of the player before it goes: a graph's stop serves the player's messages meanwhile,
  // and their handlers must find no engine.
  std::unique_ptr<CPlayerEngine> engine = std::move(m_engine);
  engine.reset();
}

void CMediaPlayer::Close() {
  ReleaseEngine();
  WithdrawEndReport();
  m_fileName.clear();
  // The next movie starts with the whole of itself selected.
  m_selectionStart = 0;
  m_selectionEnd = 0;
  if (m_hWnd) DestroyWindow();
}

LRESULT CMediaPlayer::OnDestroy(WPARAM, LPARAM) {
  // Destroyed with its parent: the engine goes before the windows it draws in.
  ReleaseEngine();
  return Default();
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
  if (m_settings.fullScreenAllowed) {
    ToggleFullScreen();
  } else if (HWND owner = GetOwner()) {
    SendMessageA(owner, WM_LBUTTONDBLCLK, 0, lParam);
  }
  return Default();
}

LRESULT CMediaPlayer::OnTimer(WPARAM id, LPARAM) {
  if (id == kProgressTimerId) {
    OnProgressTimer();
    return 0;
  }
  return Default();
}

void CMediaPlayer::SetRepeat(bool repeat) {
  m_settings.repeat = repeat;
  if (m_engine) m_engine->SetRepeat(repeat);
}

void CMediaPlayer::SuppressStepButtons() {
  if (m_engine) m_engine->SuppressStepButtons();
}

void CMediaPlayer::SetFullScreenAllowed(bool allowed) {
  m_settings.fullScreenAllowed = allowed;
  if (m_engine) m_engine->SetFullScreenAllowed(allowed);
}

void CMediaPlayer::SetForwardMouse(bool forward) {
  m_settings.forwardMouse = forward;
  if (m_engine) m_engine->SetForwardMouse(forward);
}

bool CMediaPlayer::Pause() { return m_engine && m_engine->Pause(); }

bool CMediaPlayer::Play() {
  m_progress.Restart(static_cast<int64_t>(GetTickCount64()));
  return m_engine && m_engine->Play();
}

bool CMediaPlayer::HasAudio() const { return m_engine && m_engine->HasAudio(); }

void CMediaPlayer::SetMute(bool mute) {
  const std::optional<long> volume = s_volume.SetMute(mute, m_engine ? m_engine->Volume() : std::nullopt);
  if (m_engine) m_engine->SetMute(mute, volume);
  m_bar.ShowMuted(mute);
}

int64_t CMediaPlayer::GetLength() { return m_engine ? m_engine->Length() : -1; }

int64_t CMediaPlayer::GetFrameCount() { return m_engine ? m_engine->FrameCount() : -1; }

int64_t CMediaPlayer::GetFramePosition() { return m_engine ? m_engine->FramePosition() : -1; }

double CMediaPlayer::GetFrameRate() { return m_engine ? m_engine->FrameRate() : -1; }

int64_t CMediaPlayer::LengthMilliseconds() { return m_engine ? m_engine->LengthMilliseconds() : -1; }

void CMediaPlayer::ToggleFullScreen() {
  if (m_settings.fullScreenAllowed && m_engine) m_engine->ToggleFullScreen();
}

void CMediaPlayer::MoveTo(const RECT& rect) {
  if (!m_hWnd) return;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  MoveWindow(m_hWnd, rect.left, rect.top, width, height, TRUE);
  if (m_engine) m_engine->Move(width, height);
}

void CMediaPlayer::SetSelection(int first, int last) {
  const FrameRange range = NormaliseSelection(first, last, GetFrameCount());
  m_selectionStart = range.first;
  m_selectionEnd = range.last;
  if (m_engine) m_engine->SetSelection(range.first, range.last);
}

bool CMediaPlayer::SaveSelection(const std::string& path) {
  if (m_fileName.empty() || path.empty() || !m_engine) return false;
  return m_engine->SaveSelection(path, m_selectionStart, m_selectionEnd, [this] { Close(); });
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
  const IntRect placed = FitMovieRect(width, height, {target.left, target.top, target.right, target.bottom},
                                      enlarge, m_settings.controlsVisible);
  return RECT{placed.left, placed.top, placed.right, placed.bottom};
}

}  // namespace glintora
