#include "win/show/draw_wnd.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/base/clock.h"
#include "core/show/movie_placement.h"
#include "core/show/shuffle_cycle.h"
#include "res/resource.h"
#include "win/platform/gdi_device.h"
#include "win/platform/handles.h"

namespace glintora {
namespace {

void RedrawWholeWindow(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

}  // namespace

void BuildMediaList(MediaList& list, const CConfig& config, ProfileStore& profile, const FileSystem& files,
                    bool keepsShuffle) {
  if (keepsShuffle && config.m_resumeShuffle) list.ContinueShuffle(LoadCycleState(profile), SystemClock());
  list.Build(files, config.m_directory, config.m_recursive, config.m_playMovies, config.m_random);
}

// clang-format off
GLINTORA_MESSAGE_MAP(CDrawWnd, CWnd, OnMessage<&CDrawWnd::OnPaint>(WM_PAINT), OnMessage<&CDrawWnd::OnTimer>(WM_TIMER),
                     OnMessage<&CDrawWnd::OnEraseBackground>(WM_ERASEBKGND), OnMessage<&CDrawWnd::OnClose>(WM_CLOSE),
                     OnMessage<&CDrawWnd::OnDestroy>(WM_DESTROY),
                     OnMessage<&CDrawWnd::OnPlayerDone>(WM_PLAYER_DONE),
                     OnMessage<&CDrawWnd::OnPrefetchDone>(WM_PREFETCH_DONE),
                     OnMessage<&CDrawWnd::OnTransitionDone>(WM_TRANSITION_DONE),
                     OnMessage<&CDrawWnd::OnMoviePrepared>(WM_MOVIE_PREPARED))
// clang-format on

CDrawWnd::CDrawWnd(int autoDelete, ProfileStore& settings, const FileSystem& files)
    : CConfig(settings), m_autoDelete(autoDelete), m_profile(settings), m_files(files), m_loader(CvxColor8(0, 0, 0)) {
  m_loader.SetAutoRotate(m_autoRotate);
  m_player.SetForwardMouse(true);
  m_player.ShowControls(false);
}

CDrawWnd::~CDrawWnd() {
  // A window still attached at this point is destroyed by the base; the worker must not
  // outlive the images it draws, and the runner waits for it before they go.
  m_transition.reset();
}

int CDrawWnd::Create(DWORD exStyle, const char* title, DWORD style, const RECT& rect, HWND parent, UINT id) {
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_GLINTORA));
  const char* className =
      RegisterWindowClass(CS_HREDRAW | CS_VREDRAW, nullptr, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), icon);
  const BOOL created = CreateEx(exStyle, className, title, style | WS_CLIPCHILDREN, rect, parent, id);
  // A window of its own fills its monitor: the monitor's width is the screen's. Only a child
  // (the preview) is a share of the screen.
  const int screenWidth = parent ? GetSystemMetrics(SM_CXSCREEN) : rect.right - rect.left;
  m_composition.SetGeometry(rect.left, rect.top, rect.right, rect.bottom, screenWidth);
  m_composition.m_enlarge = m_enlarge;
  if (m_blank) return created;
  if (!m_sharesItems) BuildMediaList(m_ownList, *this, m_profile, m_files, m_keepsShuffle);
  if (m_media.Empty()) return 0;
  m_media.Start();
  ShowCurrent();
  return created;
}

void CDrawWnd::ShowCurrent() {
  PresentCurrent();
  StartPrefetch();
}

void CDrawWnd::PresentCurrent() {
  if (m_hWnd) KillTimer(m_hWnd, kSlideTimerId);
  m_composition.m_frame.reset();
  Player().Close();
  m_movieOpening.Cancel();
  m_moviePlaying = false;
  if (m_media.Empty()) return;

  std::unique_ptr<CvxImage> from;
  PresentItem(from);
  RememberShuffle();
  if (!m_hWnd) return;

  if (m_useTransitions && from && m_composition.m_frame) {
    StartTransition(std::move(from));
    return;
  }
  from.reset();
  RedrawNow();
  ArmSlideTimer(m_moviePlaying ? MoviePeriod() : SlideTimerPeriod(m_delay));
}

void CDrawWnd::ArmSlideTimer(UINT period) {
  if (period == 0 || !m_hWnd) return;
  const UINT extra = std::exchange(m_firstChangeDelay, 0);
  SetTimer(m_hWnd, kSlideTimerId, std::max(period, period + extra), nullptr);
}

UINT CDrawWnd::MoviePeriod() {
  // A movie never holds the show. One being prepared is given up after the preparation's
  // bound (or the delay, when longer). One that plays moves the show on with WM_PLAYER_DONE
  // at its end (every engine's end reaches the show, see CMediaPlayer::ReportsEnd), and
  // after "Movie Limit" at the latest. One that nothing plays holds the delay.
  if (m_movieOpening.Pending()) return std::max<UINT>(SlideTimerPeriod(m_delay), MovieOpening::kLimitMs);
  if (!Player().IsOpen()) return SlideTimerPeriod(m_delay);
  return MovieLimitPeriod(m_movieLimit);
}

bool CDrawWnd::PresentItem(std::unique_ptr<CvxImage>& from) {
  // One full pass means every distinct item tried once: in shuffled order the pass may run
  // into a new cycle that brings failed items back before untried ones. Only then does the
  // show give up with an empty black frame.
  std::vector<bool> failed;  // by list index; made at the first failure
  size_t failures = 0;
  const auto fail = [&](size_t index) {
    if (failed.empty()) failed.assign(m_media.Size(), false);
    failed[index] = true;
    if (++failures < m_media.Size()) return false;
    m_composition.ShowBlank();
    return true;
  };

  // What the prefetcher found from here on, as this loop would have found it. When it found
  // nothing, every item is tried again now: a file may have been mended meanwhile.
  if (m_prefetcher.Pending() && m_prefetcher.FirstIndex() != m_media.CurrentIndex()) m_prefetcher.Cancel();
  if (m_prefetcher.Pending()) {
    PrefetchResult ahead = m_prefetcher.Take();
    if (ahead.kind == PrefetchResult::Kind::None) ahead.failed = 0;
    for (size_t n = 0; n < ahead.failed; ++n) {
      if (fail(m_media.CurrentIndex())) return false;
      m_media.Advance();
    }
    if (ahead.kind == PrefetchResult::Kind::Picture) {
      from = m_composition.Place(std::move(ahead.fitted));
      return true;
    }
    if (ahead.kind == PrefetchResult::Kind::Movie) {
      ShowMovie(m_media.Current());
      return true;
    }
  }

  for (;;) {
    const size_t index = m_media.CurrentIndex();
    if (failed.empty() || !failed[index]) {
      const std::string path = m_media.Current();
      if (std::unique_ptr<CvxImage> fitted = LoadForShow(path)) {
        from = m_composition.Place(std::move(fitted));
        return true;
      }
      if (m_media.IsMovie(path)) {
        ShowMovie(path);
        return true;
      }
      if (fail(index)) return false;
    }
    m_media.Advance();
  }
}

std::unique_ptr<CvxImage> CDrawWnd::LoadForShow(const std::string& path) {
  m_loader.SetRawParams(m_rawParams);
  if (m_decodeAhead) return LoadFitted(m_loader, m_composition, path);
  return m_composition.Fit(m_loader.Load(path));
}

void CDrawWnd::StartPrefetch() {
  m_prefetcher.Cancel();
  if (!m_decodeAhead || m_closing || !m_hWnd || m_media.Empty()) return;
  std::vector<PrefetchItem> items;
  for (size_t index : m_media.Upcoming(kPrefetchItems)) {
    const std::string& path = m_media.Files()[index];
    items.push_back({index, path, m_media.IsMovie(path)});
  }
  m_loader.SetRawParams(m_rawParams);
  m_prefetcher.Start(m_hWnd, WM_PREFETCH_DONE, m_composition, std::move(items), m_loader);
}

void CDrawWnd::ShowMovie(const std::string& path) {
  // The picture after a movie comes without a transition.
  m_composition.ForgetLastPicture();
  m_moviePlaying = true;
  // Prepared on a thread of its own: the system's media support may take seconds over a file,
  // and this thread must go on serving input meanwhile. Without a thread nothing plays, and
  // the show moves on after its delay.
  if (m_hWnd) {
    m_movieOpening.Start(m_hWnd, WM_MOVIE_PREPARED, path, RouteFor(path), PrepareFor::Playing,
                         m_autoRotate ? MovieTurning::Upright : MovieTurning::AsStored);
  }
}

LRESULT CDrawWnd::OnMoviePrepared(WPARAM, LPARAM) {
  // Only the preparation of the movie being shown counts; a given-up one tells nobody.
  if (m_closing || !m_moviePlaying || !m_movieOpening.Done()) return 0;
  KillTimer(m_hWnd, kSlideTimerId);
  PlayPreparedMovie(m_movieOpening.Take());
  return 0;
}

void CDrawWnd::PlayPreparedMovie(std::unique_ptr<PreparedMovie> movie) {
  if (movie && movie->playable) {
    const double zoom = MovieZoom(m_movieZoom, m_composition.m_previewScale);
    const RECT target{0, 0, static_cast<int>(m_composition.m_width), static_cast<int>(m_composition.m_height)};
    const RECT placed =
        Player().FitRect(ZoomMovieSide(movie->width, zoom), ZoomMovieSide(movie->height, zoom), target, false);
    Player().Open(std::move(movie), m_hWnd, placed);
    Player().SetMute(m_muteMovies);
    // The show is full screen already, and a double click on the movie ends the saver: the
    // movie window must never take the screen for itself.
    Player().SetFullScreenAllowed(false);
  }
  ArmSlideTimer(MoviePeriod());
}

void CDrawWnd::StartTransition(std::unique_ptr<CvxImage> from) {
  m_job.window = m_hWnd;
  m_job.from = std::move(from);
  m_job.to = m_composition.m_frame.get();
  m_job.frameX = m_composition.m_frameX;
  m_job.frameY = m_composition.m_frameY;
  m_job.duration = m_transitionDuration;
  m_job.enabled = m_usage.data();
  m_job.timerPeriod = SlideTimerPeriod(m_delay);
  ++m_job.number;
  m_job.callback = &CDrawWnd::PumpMessages;
  m_job.context = this;
  // The previous worker posted its end as its last act; the runner waits for it at once.
  if (!m_transition->Start([job = &m_job] { return TransitionThreadProc(job); })) {
    // No thread: show the new frame at once.
    m_job.from.reset();
    RedrawNow();
    ArmSlideTimer(m_job.timerPeriod);
  }
}

UINT CDrawWnd::TransitionThreadProc(TransitionJob* job) {
  auto* window = static_cast<CDrawWnd*>(job->context);
  bool finished = false;
  {
    const WindowDc dc(job->window);
    const SavedDcState state(dc.Get());
    // The transition draws in canvas coordinates.
    SetViewportOrgEx(dc.Get(), job->frameX, job->frameY, nullptr);
    GdiDevice device(dc.Get());
    const auto& from = static_cast<const CvxImageColor8&>(*job->from);
    const auto& to = static_cast<const CvxImageColor8&>(*job->to);
    finished = RunRandomTransition(device, {0, 0, to.m_width, to.m_height}, from, to, job->enabled,
                                   static_cast<float>(job->duration), job->callback, job->context,
                                   window->m_transitionOptions);
  }
  job->from.reset();
  RedrawWholeWindow(job->window);
  PostMessageA(job->window, WM_TRANSITION_DONE, job->number, 0);
  return finished ? 1 : 0;
}

bool CDrawWnd::PumpMessages(void* context) {
  ServeWaitingMessages();
  return static_cast<CDrawWnd*>(context)->m_transition->KeepRunning();
}

void CDrawWnd::StopWorker() {
  // The worker's final redraw is served by this thread, so it keeps serving while it waits.
  m_transition->Stop([] { ServeWaitingMessages(); });
}

void CDrawWnd::RedrawNow() { RedrawWholeWindow(m_hWnd); }

void CDrawWnd::RememberShuffle() {
  // After every item rather than at the end, so that a run ended without a goodbye (the
  // system may end a saver's process) still leaves where it got to.
  if (const CycleState* progress = m_media.CycleProgress()) StoreCycleState(m_profile, *progress);
}

void CDrawWnd::NextItem() {
  KillTimer(m_hWnd, kSlideTimerId);
  // A timer that fires while the window closes (served while waiting for the worker) must
  // not start another transition.
  if (m_closing) return;
  // The next item is still loading: the change comes when it is ready.
  m_changeDue = m_prefetcher.Pending() && !m_prefetcher.Done();
  if (m_changeDue) return;
  Advance();
  ShowCurrent();
}

LRESULT CDrawWnd::OnTransitionDone(WPARAM number, LPARAM) {
  // Nothing for a window that began closing meanwhile, nor for a transition that another
  // change has followed already.
  if (!m_closing && m_hWnd && number == m_job.number) ArmSlideTimer(m_job.timerPeriod);
  return 0;
}

LRESULT CDrawWnd::OnPrefetchDone(WPARAM, LPARAM) {
  if (m_changeDue) NextItem();
  return 0;
}

LRESULT CDrawWnd::OnTimer(WPARAM id, LPARAM) {
  if (id == kSlideTimerId) NextItem();
  return Default();
}

LRESULT CDrawWnd::OnPlayerDone(WPARAM, LPARAM) {
  // Only the end of the movie being shown moves the show on.
  if (m_moviePlaying) NextItem();
  return 0;
}

LRESULT CDrawWnd::OnClose(WPARAM, LPARAM) {
  m_closing = true;
  m_prefetcher.Cancel();
  m_movieOpening.Cancel();
  StopWorker();
  return Default();
}

LRESULT CDrawWnd::OnDestroy(WPARAM, LPARAM) {
  m_closing = true;
  m_prefetcher.Cancel();
  m_movieOpening.Cancel();
  KillTimer(m_hWnd, kSlideTimerId);
  StopWorker();
  return Default();
}

LRESULT CDrawWnd::OnPaint(WPARAM, LPARAM) {
  const PaintDc painting(m_hWnd);
  HDC dc = painting.Get();
  RECT client{};
  GetClientRect(m_hWnd, &client);
  const int width = static_cast<int>(m_composition.m_width);
  const int height = static_cast<int>(m_composition.m_height);
  {
    // The frame is composed off screen and put on the window in one blit.
    const MemoryDc memoryDc(dc);
    const GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, width, height));
    const SelectedObject selected(memoryDc.Get(), bitmap.Get());
    HDC memory = memoryDc.Get();
    const RECT whole{0, 0, width, height};
    FillRect(memory, &whole, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (const CvxImage* frame = m_composition.m_frame.get()) {
      GdiDevice device(memory);
      const float x = static_cast<float>(m_composition.m_frameX);
      const float y = static_cast<float>(m_composition.m_frameY);
      frame->Draw(device, {0, 0, static_cast<float>(frame->m_width), static_cast<float>(frame->m_height)},
                  {x, y, x + frame->m_width, y + frame->m_height});
    }
    BitBlt(dc, client.left, client.top, client.right - client.left, client.bottom - client.top, memory, 0, 0, SRCCOPY);
  }
  return 0;
}

void CDrawWnd::PostNcDestroy() {
  if (!m_autoDelete) return;
  // The show owns its player: deleting the show frees the player with it. When the show's
  // window went from inside one of the player's handlers (the player pumps messages while
  // its graph changes state, and the preview's parent may be destroyed then), the player's
  // frames are still on the stack; the show is deleted once they have returned.
  Player().AfterHandlers([this] { delete this; });
}

}  // namespace glintora
