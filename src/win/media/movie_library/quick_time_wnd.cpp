#include "win/media/movie_library/quick_time_wnd.h"

#include <utility>

#include "core/media/movie_span_writer.h"
#include "core/media/movie_time.h"
#include "core/media/movie_writer.h"
#include "core/show/movie_placement.h"
#include "win/framework/win_app.h"
#include "win/media/files/file_replace.h"
#include "win/platform/handles.h"

namespace glintora {

// The top-most pop-up that shows one movie over the whole screen. Only one movie of the
// process is full screen at a time: s_current. It deletes itself after its window's last
// message; its movie window (the host) outlives it.
class CFullScreenMovieWnd : public CWnd {
  GLINTORA_DECLARE_MESSAGE_MAP()

 public:
  static CFullScreenMovieWnd* s_current;

  explicit CFullScreenMovieWnd(CQuickTimeWnd& host) : m_host(host) {}
  CQuickTimeWnd& Host() const { return m_host; }
  bool Create() {
    const char* type = RegisterWindowClass(0, LoadCursor(nullptr, IDC_ARROW),
                                           static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), nullptr);
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return CreateEx(WS_EX_TOPMOST, type, "", WS_POPUP | WS_VISIBLE, screen, nullptr, 0);
  }

 protected:
  // Two button releases within the system's double-click time and rectangle leave full
  // screen (or, where that is not allowed, are a double click on the movie window).
  LRESULT OnButtonUp(WPARAM wParam, LPARAM lParam);
  LRESULT OnKeyUp(WPARAM key, LPARAM);
  LRESULT OnEraseBackground(WPARAM, LPARAM) { return 1; }  // the painting covers it all
  LRESULT OnPaint(WPARAM, LPARAM);
  LRESULT OnNcDestroy(WPARAM, LPARAM) {
    if (s_current == this) s_current = nullptr;
    return Default();
  }
  void PostNcDestroy() override { delete this; }

 private:
  CQuickTimeWnd& m_host;
  bool m_firstClick = false;
  POINT m_firstPosition{};
  int64_t m_firstClickMs = 0;
};

CFullScreenMovieWnd* CFullScreenMovieWnd::s_current = nullptr;

namespace {

// Saved frames stay close to what was shown.
constexpr int kSavedJpegQuality = 90;
// How long a save waits for the movie's readers to let the file go before replacing it.
constexpr DWORD kLetGoLimitMs = 5000;

// The high-resolution clock in milliseconds, for telling double clicks.
int64_t PreciseMs() {
  LARGE_INTEGER frequency{};
  LARGE_INTEGER count{};
  if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart == 0 || !QueryPerformanceCounter(&count)) {
    return static_cast<int64_t>(GetTickCount64());
  }
  return count.QuadPart / (frequency.QuadPart / 1000 > 0 ? frequency.QuadPart / 1000 : 1);
}

void FillBlack(HDC dc, const RECT& r) { FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))); }

// The movie's box fitted into `area` with its shape kept (enlarged too), centred: the show's
// own movie fit.
RECT FittedBox(const MovieBox& box, const RECT& area) {
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  if (width <= 0 || height <= 0) return area;
  const IntRect fitted = FitMovieRect(width, height, {area.left, area.top, area.right, area.bottom}, true, false);
  return RECT{fitted.left, fitted.top, fitted.right, fitted.bottom};
}

// Writes the frames of `source` shown from `begin` to `end` (movie units) into a new movie at
// `target`; false when any frame of the span cannot be read, and for a source with sound: the
// writer keeps pictures only, and a save must not lose the sound without a word.
bool WriteMovieSpan(const std::string& source, int64_t begin, int64_t end, const std::string& target) {
  CMovieReader reader;
  if (!reader.Open(source) || reader.HasAudio() || !reader.Seek(MediaTimeOfUnits(begin))) return false;
  MovieWriter writer;
  if (!writer.Begin(target, reader.Width(), reader.Height(), static_cast<uint32_t>(kMovieTimeScale))) return false;
  return WriteFrameSpan([&reader](VideoFrame& frame) { return reader.Read(frame); }, begin, end, kSavedJpegQuality,
                        writer);
}

}  // namespace

GLINTORA_MESSAGE_MAP(CFullScreenMovieWnd, CWnd, OnMessage<&CFullScreenMovieWnd::OnButtonUp>(WM_LBUTTONUP),
                     OnMessage<&CFullScreenMovieWnd::OnKeyUp>(WM_KEYUP),
                     OnMessage<&CFullScreenMovieWnd::OnEraseBackground>(WM_ERASEBKGND),
                     OnMessage<&CFullScreenMovieWnd::OnPaint>(WM_PAINT),
                     OnMessage<&CFullScreenMovieWnd::OnNcDestroy>(WM_NCDESTROY))

LRESULT CFullScreenMovieWnd::OnButtonUp(WPARAM wParam, LPARAM lParam) {
  const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  const int64_t now = PreciseMs();
  if (m_firstClick &&
      IsSecondClick(m_firstPosition.x, m_firstPosition.y, m_firstClickMs, at.x, at.y, now,
                    GetSystemMetrics(SM_CXDOUBLECLK), GetSystemMetrics(SM_CYDOUBLECLK), GetDoubleClickTime())) {
    m_firstClick = false;
    if (m_host.FullScreenAllowed()) {
      m_host.LeaveFullScreen();
    } else {
      SendMessageA(m_host.m_hWnd, WM_LBUTTONDBLCLK, wParam, lParam);
    }
    return 0;
  }
  m_firstClick = true;
  m_firstPosition = at;
  m_firstClickMs = now;
  return 0;
}

LRESULT CFullScreenMovieWnd::OnKeyUp(WPARAM key, LPARAM) {
  if (key == VK_ESCAPE && m_host.FullScreenAllowed()) {
    m_host.LeaveFullScreen();
    return 0;
  }
  return Default();
}

LRESULT CFullScreenMovieWnd::OnPaint(WPARAM, LPARAM) {
  const PaintDc painting(m_hWnd);
  HDC dc = painting.Get();
  RECT client{};
  GetClientRect(m_hWnd, &client);
  FillBlack(dc, client);
  m_host.Movie().Paint(dc, FittedBox(m_host.Movie().Box(), client), false);
  return 0;
}

GLINTORA_MESSAGE_MAP(CQuickTimeWnd, CWnd, OnMessage<&CQuickTimeWnd::OnSize>(WM_SIZE),
                     OnMessage<&CQuickTimeWnd::OnTimer>(WM_TIMER),
                     OnMessage<&CQuickTimeWnd::OnMouseInput>(WM_MOUSEMOVE),
                     OnMessage<&CQuickTimeWnd::OnMouseInput>(WM_LBUTTONDOWN),
                     OnMessage<&CQuickTimeWnd::OnMouseInput>(WM_MBUTTONDOWN),
                     OnMessage<&CQuickTimeWnd::OnMouseInput>(WM_RBUTTONDOWN),
                     OnMessage<&CQuickTimeWnd::OnPaint>(WM_PAINT))

CQuickTimeWnd::~CQuickTimeWnd() { DestroyWindow(); }

bool CQuickTimeWnd::Create(HWND parent) {
  const char* type = RegisterWindowClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                                         static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), nullptr);
  return CreateEx(0, type, "", WS_CHILD, RECT{0, 0, 0, 0}, parent, 0);
}

LRESULT CQuickTimeWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      auto* creation = reinterpret_cast<CREATESTRUCTA*>(lParam);
      creation->style |= WS_CLIPCHILDREN;
      const LRESULT result = CWnd::WindowProc(message, wParam, lParam);
      SetWindowLongA(m_hWnd, GWL_STYLE, GetWindowLongA(m_hWnd, GWL_STYLE) | WS_CLIPCHILDREN);
      if (CWinApp* app = AfxGetApp()) m_movie.SetAppName(app->AppName());
      m_movie.AttachWindow(m_hWnd, creation);
      return result;
    }
    case WM_ERASEBKGND: {
      const LRESULT result = CWnd::WindowProc(message, wParam, lParam);
      m_movie.HandleEvent(m_hWnd, message, wParam, lParam);
      return result;
    }
    case WM_LBUTTONDBLCLK: {
      if (m_fullScreenAllowed) {
        ToggleFullScreen();
        m_movie.StartMovie();
        return CWnd::WindowProc(message, wParam, lParam);
      }
      HWND self = m_hWnd;
      if (HWND owner = GetOwner()) SendMessageA(owner, WM_LBUTTONDBLCLK, wParam, lParam);
      return IsWindow(self) ? CWnd::WindowProc(message, wParam, lParam) : 0;
    }
    case WM_DESTROY: {
      if (IsFullScreen()) LeaveFullScreen();
      KillTimer(m_hWnd, kDoneTimerId);
      KillTimer(m_hWnd, kFrameTimerId);
      const LRESULT result = CWnd::WindowProc(message, wParam, lParam);
      m_movie.DetachWindow();
      return result;
    }
    default: break;
  }
  m_movie.HandleEvent(m_hWnd, message, wParam, lParam);
  return CWnd::WindowProc(message, wParam, lParam);
}

LRESULT CQuickTimeWnd::OnSize(WPARAM, LPARAM lParam) {
  if (MovieController* controller = m_movie.GetController()) {
    // Hidden controls: the bar lies below the window, out of sight.
    controller->bounds.right = LOWORD(lParam);
    controller->bounds.bottom = HIWORD(lParam) + (m_controlsVisible ? 0 : kControllerBarHeight);
  }
  Repaint();
  return Default();
}

LRESULT CQuickTimeWnd::OnTimer(WPARAM id, LPARAM) {
  if (id == kFrameTimerId) {
    if (m_movie.PresentFrames()) Repaint();
    return 0;
  }
  if (id == kDoneTimerId && m_movie.IsMovieDone()) {
    if (HWND owner = GetOwner()) {
      KillTimer(m_hWnd, kDoneTimerId);
      KillTimer(m_hWnd, kFrameTimerId);
      // Posted: the owner closes this window in response, which must not happen inside
      // this handler.
      if (!std::exchange(m_endReported, true)) PostMessageA(owner, WM_QUICKTIME_DONE, 0, 0);
    }
  }
  return Default();
}

LRESULT CQuickTimeWnd::OnPaint(WPARAM, LPARAM) {
  const PaintDc painting(m_hWnd);
  HDC dc = painting.Get();
  RECT client{};
  GetClientRect(m_hWnd, &client);
  const MovieController* controller = m_movie.GetController();
  if (!controller || IsFullScreen()) {
    FillBlack(dc, client);
  } else {
    // Black where the controller does not reach, then the movie and its bar.
    const RECT& bounds = controller->bounds;
    FillBlack(dc, RECT{bounds.right, 0, client.right, client.bottom});
    FillBlack(dc, RECT{0, bounds.bottom, bounds.right, client.bottom});
    m_movie.Paint(dc, bounds, true);
  }
  return 0;
}

void CQuickTimeWnd::Repaint() {
  if (IsFullScreen()) {
    InvalidateRect(CFullScreenMovieWnd::s_current->m_hWnd, nullptr, FALSE);
  } else if (m_hWnd) {
    InvalidateRect(m_hWnd, nullptr, FALSE);
  }
}

void CQuickTimeWnd::SetLooping(bool looping) { m_movie.SetLooping(looping); }

bool CQuickTimeWnd::OpenFile(const std::string& fileName) {
  // The movie's size is the library's: there is no grow box to limit.
  m_endReported = false;
  return m_movie.OpenMovie(fileName);
}

void CQuickTimeWnd::StartPlaying() {
  m_endReported = false;
  m_movie.StartMovie();
  if (!m_hWnd) return;
  if (m_movie.PresentFrames()) Repaint();
  SetTimer(m_hWnd, kDoneTimerId, kDoneTimerMs, nullptr);
  SetTimer(m_hWnd, kFrameTimerId, kFrameTimerMs, nullptr);
}

void CQuickTimeWnd::SetSelection(int first, int last) {
  const MovieSpan span = MovieSelection(GetDuration(), GetFrameCount(), first, last);
  m_movie.SetSelection(span.begin, span.length);
  if (m_movie.PresentFrames()) Repaint();
}

void CQuickTimeWnd::SuppressStepButtons() {
  if (MovieController* controller = m_movie.GetController()) controller->flags |= kNoStepButtons;
}

HWND CQuickTimeWnd::FullScreenWindow() {
  return CFullScreenMovieWnd::s_current ? CFullScreenMovieWnd::s_current->m_hWnd : nullptr;
}

bool CQuickTimeWnd::IsFullScreen() const {
  return CFullScreenMovieWnd::s_current && &CFullScreenMovieWnd::s_current->Host() == this;
}

void CQuickTimeWnd::LeaveFullScreen() {
  if (!IsFullScreen()) return;
  m_movie.StopMovie();
  // Forgotten first; the window deletes itself once its handlers have returned.
  std::exchange(CFullScreenMovieWnd::s_current, nullptr)->DestroyWindow();
  m_movie.StartMovie();
  Repaint();
}

void CQuickTimeWnd::ToggleFullScreen() {
  m_movie.StopMovie();
  if (CFullScreenMovieWnd* current = CFullScreenMovieWnd::s_current) {
    current->Host().LeaveFullScreen();
    return;
  }
  auto* window = new CFullScreenMovieWnd(*this);  // deletes itself with its window
  if (!window->Create()) {
    delete window;  // the movie stays stopped in its window
    return;
  }
  CFullScreenMovieWnd::s_current = window;
  m_movie.StartMovie();
  Repaint();
}

bool CQuickTimeWnd::SaveSelection(const std::string& fileName) {
  const MovieController* controller = m_movie.GetController();
  if (!controller) return false;
  const std::string temporary = TemporaryBeside(fileName);
  if (temporary.empty()) return false;
  if (!WriteMovieSpan(m_movie.FileName(), controller->position.Begin(), controller->position.End(), temporary)) {
    DeleteFileA(temporary.c_str());
    return false;
  }
  // The movie being played holds its file: it lets it go for the new one to take its place.
  if (SameFile(fileName, m_movie.FileName())) {
    KillTimer(m_hWnd, kFrameTimerId);
    m_movie.CloseAndLetGoOfFile(kLetGoLimitMs);
    Repaint();
  }
  return ReplaceWith(temporary, fileName);
}

}  // namespace glintora
