#include "win/media/quick_time_wnd.h"

#include <utility>

#include "core/media/movie_span_writer.h"
#include "core/media/movie_time.h"
#include "core/media/movie_writer.h"
#include "win/media/file_replace.h"
#include "win/framework/win_app.h"

namespace glintora {

// Only one movie of the process can be full screen: the window that shows it, the movie
// window whose movie it is, and the first click of a double click on it.
struct FullScreenState {
  HWND window = nullptr;
  CQuickTimeWnd* host = nullptr;
  bool firstClick = false;
  POINT firstPosition{};
  int64_t firstClickMs = 0;

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

namespace {

FullScreenState g_fullScreen;
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

// The movie's box fitted into `area` with its shape kept, centred.
RECT FittedBox(const MovieBox& box, const RECT& area) {
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  const int areaWidth = area.right - area.left;
  const int areaHeight = area.bottom - area.top;
  if (width <= 0 || height <= 0) return area;
  int w = areaWidth;
  int h = static_cast<int>(static_cast<int64_t>(height) * areaWidth / width);
  if (h > areaHeight) {
    h = areaHeight;
    w = static_cast<int>(static_cast<int64_t>(width) * areaHeight / height);
  }
  const int left = area.left + (areaWidth - w) / 2;
  const int top = area.top + (areaHeight - h) / 2;
  return RECT{left, top, left + w, top + h};
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

LRESULT CALLBACK FullScreenState::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CQuickTimeWnd* host = g_fullScreen.host;
  if (!host) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_LBUTTONUP: {
      const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      const int64_t now = PreciseMs();
      if (g_fullScreen.firstClick &&
          IsSecondClick(g_fullScreen.firstPosition.x, g_fullScreen.firstPosition.y, g_fullScreen.firstClickMs, at.x,
                        at.y, now, GetSystemMetrics(SM_CXDOUBLECLK), GetSystemMetrics(SM_CYDOUBLECLK),
                        GetDoubleClickTime())) {
        g_fullScreen.firstClick = false;
        if (host->m_fullScreenAllowed) {
          host->LeaveFullScreen();
        } else {
          SendMessageA(host->m_hWnd, WM_LBUTTONDBLCLK, wParam, lParam);
        }
        return 0;
      }
      g_fullScreen.firstClick = true;
      g_fullScreen.firstPosition = at;
      g_fullScreen.firstClickMs = now;
      return 0;
    }
    case WM_KEYUP:
      if (wParam == VK_ESCAPE && host->m_fullScreenAllowed) {
        host->LeaveFullScreen();
        return 0;
      }
      break;
    case WM_ERASEBKGND: return 1;  // the painting covers it all
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT client{};
      GetClientRect(window, &client);
      const RECT box = FittedBox(host->m_movie.Box(), client);
      FillBlack(dc, client);
      host->m_movie.Paint(dc, box, false);
      EndPaint(window, &paint);
      return 0;
    }
    default: break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
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
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(m_hWnd, &paint);
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
  EndPaint(m_hWnd, &paint);
  return 0;
}

void CQuickTimeWnd::Repaint() {
  if (IsFullScreen()) {
    InvalidateRect(g_fullScreen.window, nullptr, FALSE);
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

HWND CQuickTimeWnd::FullScreenWindow() { return g_fullScreen.window; }

bool CQuickTimeWnd::IsFullScreen() const { return g_fullScreen.host == this && g_fullScreen.window; }

void CQuickTimeWnd::LeaveFullScreen() {
  if (g_fullScreen.host != this) return;
  m_movie.StopMovie();
  HWND window = std::exchange(g_fullScreen.window, nullptr);
  g_fullScreen.host = nullptr;
  g_fullScreen.firstClick = false;
  if (window) ::DestroyWindow(window);
  m_movie.StartMovie();
  Repaint();
}

void CQuickTimeWnd::ToggleFullScreen() {
  m_movie.StopMovie();
  if (g_fullScreen.host) {
    g_fullScreen.host->LeaveFullScreen();
    return;
  }
  static const char* const kClass = [] {
    WNDCLASSA type{};
    type.lpfnWndProc = &FullScreenState::Procedure;
    type.hInstance = GetModuleHandleA(nullptr);
    type.hCursor = LoadCursor(nullptr, IDC_ARROW);
    type.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    type.lpszClassName = "glintoraFullScreenMovie";
    RegisterClassA(&type);
    return type.lpszClassName;
  }();
  g_fullScreen.host = this;
  g_fullScreen.firstClick = false;
  HWND window = CreateWindowExA(WS_EX_TOPMOST, kClass, "", WS_POPUP | WS_VISIBLE, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (!window) {
    g_fullScreen.host = nullptr;  // the movie stays stopped in its window
    return;
  }
  g_fullScreen.window = window;
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
