#include "win/media/movie_library/quick_time.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "win/media/movie_library/movie_library.h"

namespace glintora {
namespace {

// Reads at most this many frames a tick: a slow machine skips ahead rather than stalls.
constexpr int kReadsPerTick = 30;

// Frames decoded ahead of the one shown.
constexpr size_t kFramesAhead = 3;

// The movie's frames, read on the read-ahead thread.
class FrameSource : public CReadAhead<VideoFrame>::Source {
 public:
  explicit FrameSource(std::unique_ptr<CMovieReader> reader) : m_reader(std::move(reader)) {}
  bool Read(VideoFrame& frame) override { return m_reader->ReadFrame(frame); }
  void Seek(int64_t time) override { m_reader->Seek(time); }

 private:
  std::unique_ptr<CMovieReader> m_reader;
};

int16_t Side(LONG v) { return static_cast<int16_t>(std::clamp<LONG>(v, INT16_MIN, INT16_MAX)); }

void Fill(HDC dc, const RECT& r, COLORREF colour) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

}  // namespace

CQuickTime::CQuickTime() { Cqt::Start(); }

CQuickTime::~CQuickTime() { CloseMovie(); }

int64_t CQuickTime::NowMs() { return static_cast<int64_t>(GetTickCount64()); }

bool CQuickTime::OpenMovie(const std::string& fileName) {
  if (fileName.empty()) return false;
  CloseMovie();
  auto movie = std::make_unique<CMovieReader>();
  if (!movie->Open(fileName)) return false;
  std::unique_ptr<CMovieSound> sound;
  if (movie->HasAudio()) {
    sound = std::make_unique<CMovieSound>();
    if (!sound->Open(fileName)) sound.reset();
  }
  return OpenPrepared(fileName, std::move(movie), std::move(sound));
}

bool CQuickTime::OpenPrepared(const std::string& fileName, std::unique_ptr<CMovieReader> movie,
                              std::unique_ptr<CMovieSound> sound) {
  CloseMovie();
  if (!movie || !movie->IsOpen()) return false;
  m_movie = movie.get();
  m_sound = std::move(sound);
  AttachController(m_movie);
  m_frames = std::make_unique<CReadAhead<VideoFrame>>(std::make_unique<FrameSource>(std::move(movie)), kFramesAhead);
  m_opened = true;
  m_fileName = fileName;
  UpdateTitle();
  return true;
}

void CQuickTime::CloseMovie() {
  m_sound.reset();
  m_controller.reset();
  m_movie = nullptr;
  m_frames.reset();
  m_sampleTimes.reset();
  m_frame = VideoFrame{};
  m_next = VideoFrame{};
  m_hasNext = false;
  m_atEnd = false;
  m_previousFrameTime = -1;
  m_box = MovieBox{};
  m_opened = false;
  m_fileName.clear();
  if (m_movieWindow) UpdateTitle();
}

bool CQuickTime::CloseAndLetGoOfFile(DWORD limitMs) {
  bool released = !m_frames || m_frames->StopAndWait(limitMs);
  if (m_sound) released = m_sound->CloseAndLetGo(limitMs) && released;
  CloseMovie();
  return released;
}

bool CQuickTime::NewEmptyMovie() {
  CloseMovie();
  return false;
}

long CQuickTime::SaveMovieAs() { return -1; }

void CQuickTime::HandleEvent(HWND, UINT, WPARAM, LPARAM) {}

void CQuickTime::AttachWindow(HWND window, const CREATESTRUCTA*) {
  m_movieWindow = window;
  m_frameWindow = window ? ::GetParent(window) : nullptr;
  UpdateTitle();
}

void CQuickTime::DetachWindow() {
  CloseMovie();
  m_movieWindow = nullptr;
  m_frameWindow = nullptr;
}

void CQuickTime::AttachController(CMovieReader* movie) {
  if (!movie) return;
  m_box = MovieBox{0, 0, Side(movie->Height()), Side(movie->Width())};
  auto controller = std::make_unique<MovieController>();
  controller->bounds = RECT{0, 0, m_box.right, m_box.bottom + kControllerBarHeight};
  const int64_t duration = MovieUnits(movie->Duration());
  controller->position.SetSpan(0, duration);
  controller->volume = movie->HasAudio() ? kFullTrackVolume : 0;
  m_controller = std::move(controller);
}

const std::vector<int64_t>& CQuickTime::SampleTimes() {
  if (!m_sampleTimes) {
    m_sampleTimes = m_movie ? CMovieReader::SampleTimes(m_movie->Path()) : std::nullopt;
    if (!m_sampleTimes) m_sampleTimes.emplace();
  }
  return *m_sampleTimes;
}

int CQuickTime::CountFrames(CMovieReader* movie) {
  if (!movie) return 0;
  if (movie == m_movie) return static_cast<int>(SampleTimes().size());
  return CountFramesOfFile(movie->Path());
}

int CQuickTime::CountFramesOfFile(const std::string& fileName) {
  const auto times = CMovieReader::SampleTimes(fileName);
  return times ? static_cast<int>(times->size()) : 0;
}

int CQuickTime::LastFrameTime(CMovieReader* movie) {
  if (!movie) return 0;
  if (movie != m_movie) return LastFrameTimeOfFile(movie->Path());
  const std::vector<int64_t>& times = SampleTimes();
  return times.empty() ? 0 : static_cast<int>(MovieUnits(times.back()));
}

int CQuickTime::LastFrameTimeOfFile(const std::string& fileName) {
  const auto times = CMovieReader::SampleTimes(fileName);
  return times && !times->empty() ? static_cast<int>(MovieUnits(times->back())) : 0;
}

int CQuickTime::GetControllerTime() {
  if (!m_controller) return -1;
  return static_cast<int>(m_controller->position.At(NowMs()));
}

// The movie is only read: there is nothing to cut, copy, paste, clear or undo.
void CQuickTime::Cut() {}
void CQuickTime::Copy() {}
void CQuickTime::Paste() {}
void CQuickTime::Clear() {}
void CQuickTime::Undo() {}

void CQuickTime::SelectAll() {
  if (!m_controller) return;
  SetSelection(0, LastFrameTime(m_movie));
}

void CQuickTime::UpdateTitle() {
  if (!m_frameWindow) return;
  std::string title = m_appName;
  std::string file;
  GetFileTitle(file);
  if (!title.empty() && !file.empty()) title += " - ";
  title += file;
  SetWindowTextA(m_frameWindow, title.c_str());
}

void CQuickTime::GetFileTitle(std::string& title) {
  const size_t slash = m_fileName.find_last_of("\\/");
  title = slash == std::string::npos ? m_fileName : m_fileName.substr(slash + 1);
}

void CQuickTime::GetAppName(std::string& name) { name = m_appName; }

int CQuickTime::FrameWidth() {
  RECT window{};
  RECT client{};
  if (!m_frameWindow || !GetWindowRect(m_frameWindow, &window) || !GetClientRect(m_frameWindow, &client)) return 0;
  return (window.right - window.left) - client.right;
}

int CQuickTime::FrameHeight() {
  RECT window{};
  RECT client{};
  if (!m_frameWindow || !GetWindowRect(m_frameWindow, &window) || !GetClientRect(m_frameWindow, &client)) return 0;
  return (window.bottom - window.top) - client.bottom - CaptionHeight();
}

int CQuickTime::CaptionHeight() {
  if (!m_frameWindow) return 0;
  return (GetWindowLongA(m_frameWindow, GWL_STYLE) & WS_CAPTION) == WS_CAPTION ? GetSystemMetrics(SM_CYCAPTION) : 0;
}

MovieBox CQuickTime::GetDesktopRect() {
  RECT desktop{};
  GetWindowRect(GetDesktopWindow(), &desktop);
  return MovieBox{0, 0, Side(desktop.bottom - desktop.top), Side(desktop.right - desktop.left)};
}

CMovieReader* CQuickTime::GetMovie() { return m_movie; }

MovieController* CQuickTime::GetController() { return m_controller.get(); }

int64_t CQuickTime::Duration() const { return m_movie ? MovieUnits(m_movie->Duration()) : 0; }

bool CQuickTime::HasAudio() const { return m_movie && m_movie->HasAudio(); }

void CQuickTime::SetMute(bool mute) {
  if (!m_controller || !HasAudio()) return;
  long& volume = m_controller->volume;
  if ((mute && volume > 0) || (!mute && volume < 0)) volume = -volume;
  if (m_sound) m_sound->SetMute(volume < 0);
}

void CQuickTime::SetLooping(bool looping) {
  if (m_controller) m_controller->position.SetLooping(looping);
}

void CQuickTime::SetSelection(int64_t begin, int64_t length) {
  if (!m_controller) return;
  PlayPosition& position = m_controller->position;
  const int64_t now = NowMs();
  position.SetSpan(begin, begin + length);
  position.Rewind(now);
  SeekToPosition();
}

bool CQuickTime::IsMovieDone() const {
  if (!m_controller) return true;
  const int64_t now = NowMs();
  return m_controller->position.Done(now) || (!m_controller->position.Looping() && PastLastFrame(now)) ||
         Starved(now);
}

bool CQuickTime::Starved(int64_t nowMs) const {
  if (m_atEnd || m_hasNext || !m_frames) return false;
  const PlayPosition& position = m_controller->position;
  const int64_t due = MediaTimeOfUnits(position.At(nowMs));
  const int64_t last = m_frame.time >= 0 ? m_frame.time : MediaTimeOfUnits(position.Begin());
  return due > last && due - last >= kFrameStallMax;
}

bool CQuickTime::PastLastFrame(int64_t nowMs) const {
  if (!m_atEnd || m_hasNext) return false;
  if (m_frame.time < 0) return true;  // the stream ended before its first frame
  const int64_t due = MediaTimeOfUnits(m_controller->position.At(nowMs));
  return due > m_frame.time && due - m_frame.time >= LastFrameHold(m_frame.time, m_previousFrameTime);
}

void CQuickTime::StartMovie() {
  if (!m_controller) return;
  m_controller->position.Start(NowMs());
  if (m_sound && !IsMovieDone()) m_sound->Play();
}

void CQuickTime::StopMovie() {
  if (!m_controller) return;
  m_controller->position.Stop(NowMs());
  if (m_sound) m_sound->Pause();
}

void CQuickTime::SeekToPosition() {
  if (!m_frames || !m_controller) return;
  const int64_t time = MediaTimeOfUnits(m_controller->position.At(NowMs()));
  m_frames->Seek(time);
  if (m_sound) m_sound->Seek(time);
  m_hasNext = false;
  m_atEnd = false;
  m_frame.time = -1;
  m_previousFrameTime = -1;
}

bool CQuickTime::PresentFrames() {
  if (!m_movie || !m_controller) return false;
  if (m_sound) {
    if (IsMovieDone()) {
      m_sound->Pause();  // the selection's end, or the movie's
    } else {
      m_sound->Feed();
    }
  }
  const int64_t due = MediaTimeOfUnits(m_controller->position.At(NowMs()));
  // The span ends before its end time: the frame there belongs to what follows the selection.
  const int64_t end = MediaTimeOfUnits(m_controller->position.End());
  // A position that went back (a loop, a new selection) starts reading there again.
  if (m_frame.time > due) SeekToPosition();
  bool changed = false;
  for (int read = 0; read < kReadsPerTick; ++read) {
    if (!m_hasNext) {
      // Frames come from the read-ahead thread; none ready yet, the one shown stays.
      using Next = CReadAhead<VideoFrame>::Next;
      const Next next = m_atEnd ? Next::End : m_frames->Take(m_next);
      if (next == Next::Pending) break;
      if (next == Next::End) {
        m_atEnd = true;
        break;
      }
      m_hasNext = true;
    }
    if ((m_next.time > due || m_next.time >= end) && m_frame.time >= 0) break;
    m_previousFrameTime = m_frame.time;
    std::swap(m_frame, m_next);
    m_hasNext = false;
    changed = true;
  }
  // The movie ends with its frames, whatever duration its file claims: a loop starts again
  // once the last frame has had its time.
  if (m_controller->position.Looping() && PastLastFrame(NowMs())) {
    m_controller->position.Rewind(NowMs());
    SeekToPosition();
  }
  return changed;
}

void CQuickTime::Paint(HDC dc, const RECT& area, bool withBar) const {
  RECT picture = area;
  if (withBar) picture.bottom = std::max(picture.top, picture.bottom - kControllerBarHeight);
  if (m_frame.width > 0 && picture.right > picture.left && picture.bottom > picture.top) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = m_frame.width;
    info.bmiHeader.biHeight = -m_frame.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const int previous = SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, picture.left, picture.top, picture.right - picture.left, picture.bottom - picture.top, 0, 0,
                  m_frame.width, m_frame.height, m_frame.pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
    SetStretchBltMode(dc, previous);
  } else {
    Fill(dc, picture, RGB(0, 0, 0));
  }
  if (!withBar) return;
  // The bar: how far the movie has played, on dark grey.
  RECT bar{area.left, picture.bottom, area.right, area.bottom};
  Fill(dc, bar, RGB(40, 40, 44));
  if (m_controller) {
    const PlayPosition& position = m_controller->position;
    const int64_t length = position.End() - position.Begin();
    const int64_t played = position.At(NowMs()) - position.Begin();
    if (length > 0) {
      RECT done = bar;
      InflateRect(&done, 0, -6);
      const int64_t part = (bar.right - bar.left) * std::clamp<int64_t>(played, 0, length) / length;
      done.right = done.left + static_cast<LONG>(part);
      Fill(dc, done, RGB(200, 200, 210));
    }
  }
}

}  // namespace glintora
