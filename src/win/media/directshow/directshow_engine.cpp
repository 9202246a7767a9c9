#include "win/media/directshow/directshow_engine.h"

#include <qedit.h>

#include <cmath>

namespace glintora {
namespace {

// Whether a filter's first input pin is connected.
bool InputConnected(IBaseFilter* filter) {
  ComPtr<IEnumPins> pins;
  if (FAILED(filter->EnumPins(pins.Put())) || !pins) return false;
  ComPtr<IPin> pin;
  while (pins->Next(1, pin.Put(), nullptr) == S_OK) {
    PIN_DIRECTION direction;
    if (FAILED(pin->QueryDirection(&direction)) || direction != PINDIR_INPUT) continue;
    ComPtr<IPin> peer;
    return SUCCEEDED(pin->ConnectedTo(peer.Put())) && peer;
  }
  return false;
}

}  // namespace

std::wstring WidePath(const std::string& path) {
  if (path.empty() || path.size() >= MAX_PATH) return {};
  wchar_t wide[MAX_PATH];
  const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
  return length > 0 ? std::wstring(wide) : std::wstring();
}

HRESULT CDirectShowEngine::RenderWithGdiRenderer(IGraphBuilder* graph, const std::string& path) {
  const std::wstring file = WidePath(path);
  if (file.empty()) return E_INVALIDARG;
  // The graph connects video to a renderer already in it before it looks for another.
  ComPtr<IBaseFilter> renderer;
  if (SUCCEEDED(
          CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, renderer.PutVoid())) &&
      FAILED(graph->AddFilter(renderer.Get(), L"Video Renderer"))) {
    renderer.Reset();
  }
  const HRESULT rendered = graph->RenderFile(file.c_str(), nullptr);
  // A file without video leaves the renderer unconnected; it must not stand for a video window.
  if (renderer && (FAILED(rendered) || !InputConnected(renderer.Get()))) graph->RemoveFilter(renderer.Get());
  return rendered;
}

bool CDirectShowEngine::Render(const std::string& path) {
  Release();
  if (FAILED(
          CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, m_graph.PutVoid()))) {
    return false;
  }
  if (FAILED(RenderWithGdiRenderer(m_graph.Get(), path))) return false;
  return SUCCEEDED(m_graph.QueryInto(IID_IMediaControl, m_control)) &&
         SUCCEEDED(m_graph.QueryInto(IID_IMediaEventEx, m_events)) &&
         SUCCEEDED(m_graph.QueryInto(IID_IMediaSeeking, m_seeking)) &&
         SUCCEEDED(m_graph.QueryInto(IID_IVideoWindow, m_video)) &&
         SUCCEEDED(m_graph.QueryInto(IID_IBasicVideo, m_basicVideo)) &&
         SUCCEEDED(m_graph.QueryInto(IID_IBasicAudio, m_audio));
}

bool CDirectShowEngine::SetNotifyWindow(HWND window, UINT message) {
  return m_events && SUCCEEDED(m_events->SetNotifyWindow(reinterpret_cast<OAHWND>(window), message, 0));
}

HRESULT CDirectShowEngine::QueryVideoVisible() const {
  if (!m_video) return E_NOINTERFACE;
  long visible = 0;
  return m_video->get_Visible(&visible);
}

bool CDirectShowEngine::AttachVideo(HWND owner) {
  if (!m_video) return false;
  const auto handle = reinterpret_cast<OAHWND>(owner);
  return SUCCEEDED(m_video->put_Owner(handle)) && SUCCEEDED(m_video->put_MessageDrain(handle)) &&
         SUCCEEDED(m_video->put_WindowStyle(WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
}

void CDirectShowEngine::MoveVideo(int x, int y, int width, int height) {
  if (m_video) m_video->SetWindowPosition(x, y, width, height);
}

void CDirectShowEngine::HideVideo() {
  if (!m_video) return;
  // Each of these changes the active window under some systems even when there is nothing
  // to change (leaving a full screen it is not in, giving a child window to the desktop),
  // which ends a screen saver. The video window stays the player's child and goes with the
  // graph, which is released while the player's window still stands.
  if (IsFullScreen()) m_video->put_FullScreenMode(OAFALSE);
  m_video->put_Visible(OAFALSE);
}

bool CDirectShowEngine::IsFullScreen() const {
  long mode = OAFALSE;
  return m_video && SUCCEEDED(m_video->get_FullScreenMode(&mode)) && mode != OAFALSE;
}

bool CDirectShowEngine::SetFullScreen(bool on) {
  return m_video && SUCCEEDED(m_video->put_FullScreenMode(on ? OATRUE : OAFALSE));
}

void CDirectShowEngine::BringVideoForward() {
  if (m_video) m_video->SetWindowForeground(OATRUE);
}

bool CDirectShowEngine::HasAudio() const {
  long volume = 0;
  return m_audio && m_audio->get_Volume(&volume) != E_NOTIMPL;
}

std::optional<long> CDirectShowEngine::Volume() const {
  long volume = 0;
  if (m_audio && SUCCEEDED(m_audio->get_Volume(&volume))) return volume;
  return std::nullopt;
}

void CDirectShowEngine::SetVolume(long volume) {
  if (m_audio) m_audio->put_Volume(volume);
}

bool CDirectShowEngine::CanGetDuration() const {
  DWORD capability = AM_SEEKING_CanGetDuration;
  return m_seeking && m_seeking->CheckCapabilities(&capability) == S_OK;
}

bool CDirectShowEngine::CanSeekAbsolute() const {
  DWORD capability = AM_SEEKING_CanSeekAbsolute;
  return m_seeking && m_seeking->CheckCapabilities(&capability) == S_OK;
}

int64_t CDirectShowEngine::ReadDuration() const {
  LONGLONG duration = 0;
  if (!m_seeking || FAILED(m_seeking->SetTimeFormat(&TIME_FORMAT_MEDIA_TIME)) ||
      FAILED(m_seeking->GetDuration(&duration)) || duration < 0) {
    return 0;
  }
  return duration;
}

int64_t CDirectShowEngine::ReadFrameCount(int64_t duration) const {
  if (!m_seeking) return 0;
  LONGLONG frames = 0;
  const bool inFrames =
      SUCCEEDED(m_seeking->SetTimeFormat(&TIME_FORMAT_FRAME)) && SUCCEEDED(m_seeking->GetDuration(&frames));
  // Positions are read and set in media time everywhere else.
  m_seeking->SetTimeFormat(&TIME_FORMAT_MEDIA_TIME);
  if (inFrames && frames > 0) return frames;
  REFTIME secondsPerFrame = 0;
  if (m_basicVideo && SUCCEEDED(m_basicVideo->get_AvgTimePerFrame(&secondsPerFrame)) && secondsPerFrame > 0 &&
      duration > 0) {
    return std::llround(static_cast<double>(duration) / 1e7 / secondsPerFrame);
  }
  return 0;
}

std::optional<int64_t> CDirectShowEngine::CurrentTime() const {
  LONGLONG position = 0;
  if (!m_seeking || FAILED(m_seeking->SetTimeFormat(&TIME_FORMAT_MEDIA_TIME)) ||
      FAILED(m_seeking->GetCurrentPosition(&position))) {
    return std::nullopt;
  }
  return position;
}

std::optional<int64_t> CDirectShowEngine::CurrentFrame() const {
  if (!m_seeking) return std::nullopt;
  LONGLONG frame = 0;
  const bool read =
      SUCCEEDED(m_seeking->SetTimeFormat(&TIME_FORMAT_FRAME)) && SUCCEEDED(m_seeking->GetCurrentPosition(&frame));
  m_seeking->SetTimeFormat(&TIME_FORMAT_MEDIA_TIME);
  if (!read) return std::nullopt;
  return frame;
}

bool CDirectShowEngine::SeekTo(int64_t time) {
  if (!m_seeking) return false;
  m_seeking->SetTimeFormat(&TIME_FORMAT_MEDIA_TIME);
  LONGLONG current = time;
  return SUCCEEDED(
      m_seeking->SetPositions(&current, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning));
}

bool CDirectShowEngine::SetPositions(int64_t start, int64_t stop) {
  if (!m_seeking) return false;
  m_seeking->SetTimeFormat(&TIME_FORMAT_MEDIA_TIME);
  LONGLONG current = start;
  LONGLONG end = stop;
  return SUCCEEDED(
      m_seeking->SetPositions(&current, AM_SEEKING_AbsolutePositioning, &end, AM_SEEKING_AbsolutePositioning));
}

HRESULT CDirectShowEngine::GetState(DWORD timeoutMs, OAFilterState& state) const {
  if (!m_control) return E_POINTER;
  return m_control->GetState(static_cast<LONG>(timeoutMs), &state);
}

HRESULT CDirectShowEngine::RequestState(OAFilterState state) {
  if (!m_control) return E_POINTER;
  switch (state) {
    case State_Stopped: return m_control->Stop();
    case State_Paused: return m_control->Pause();
    default: return m_control->Run();
  }
}

bool CDirectShowEngine::Running() const {
  OAFilterState state = State_Stopped;
  return GetState(kStateQueryMs, state) == S_OK && state == State_Running;
}

bool CDirectShowEngine::ChangeState(OAFilterState target, bool wait, const std::function<void()>& serve) {
  // On the window's thread: each state query is bounded by kStateQueryMs and the whole wait
  // by kStateWaitLimitMs; input for other windows waits in the queue meanwhile.
  OAFilterState state = State_Stopped;
  if (GetState(kStateQueryMs, state) == S_OK && state == target) return true;
  const HRESULT requested = RequestState(target);
  if (FAILED(requested)) return false;
  if (requested != S_FALSE || !wait) return true;
  const DWORD start = GetTickCount();
  for (;;) {
    if (GetState(kStateQueryMs, state) == S_OK && state == target) return true;
    if (GetTickCount() - start > kStateWaitLimitMs) return false;
    serve();
    if (!IsBuilt()) return false;  // released meanwhile
  }
}

bool CDirectShowEngine::NextEvent(long& code) {
  if (!m_events) return false;
  LONG_PTR first = 0;
  LONG_PTR second = 0;
  if (FAILED(m_events->GetEvent(&code, &first, &second, 0))) return false;
  m_events->FreeEventParams(code, first, second);
  return true;
}

void CDirectShowEngine::Release() {
  m_events.Reset();
  m_seeking.Reset();
  m_control.Reset();
  m_audio.Reset();
  m_basicVideo.Reset();
  m_video.Reset();
  KeepClockAwake();
  m_graph.Reset();
}

void CDirectShowEngine::KeepClockAwake() const {
  // One semaphore for the process, never closed: a clock that outlived its graph may still
  // signal it, and must never signal a handle that was closed and reused.
  static const HANDLE tick = CreateSemaphoreA(nullptr, 0, LONG_MAX, nullptr);
  ComPtr<IMediaFilter> filter;
  ComPtr<IReferenceClock> clock;
  REFERENCE_TIME now = 0;
  DWORD_PTR cookie = 0;
  if (!tick || FAILED(m_graph.QueryInto(IID_IMediaFilter, filter)) || FAILED(filter->GetSyncSource(clock.Put())) ||
      !clock || FAILED(clock->GetTime(&now))) {
    return;
  }
  clock->AdvisePeriodic(now + kClockTick, kClockTick, reinterpret_cast<HSEMAPHORE>(tick), &cookie);
}

bool CDirectShowEngine::VideoSize(const std::string& path, int& width, int& height) {
  const ComInitialisation com;
  ComPtr<IGraphBuilder> graph;
  if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.PutVoid()))) {
    return false;
  }
  const std::wstring file = WidePath(path);
  if (file.empty() || FAILED(graph->RenderFile(file.c_str(), nullptr))) return false;
  ComPtr<IBasicVideo> video;
  long w = 0;
  long h = 0;
  if (FAILED(graph.QueryInto(IID_IBasicVideo, video)) || FAILED(video->GetVideoSize(&w, &h))) return false;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

bool CDirectShowEngine::ProbeRender(const std::string& path, int& width, int& height) {
  width = 0;
  height = 0;
  CDirectShowEngine graph;
  if (!graph.Render(path)) return false;
  long w = 0;
  long h = 0;
  if (graph.m_basicVideo && SUCCEEDED(graph.m_basicVideo->GetVideoSize(&w, &h)) && w > 0 && h > 0) {
    width = static_cast<int>(w);
    height = static_cast<int>(h);
  }
  return true;
}

std::optional<double> CDirectShowEngine::DetectFrameRate(const std::string& path) {
  const ComInitialisation com;
  ComPtr<IMediaDet> detector;
  if (FAILED(CoCreateInstance(CLSID_MediaDet, nullptr, CLSCTX_INPROC_SERVER, IID_IMediaDet, detector.PutVoid()))) {
    return std::nullopt;
  }
  const std::wstring file = WidePath(path);
  if (file.empty()) return std::nullopt;
  BSTR name = SysAllocString(file.c_str());
  const HRESULT named = name ? detector->put_Filename(name) : E_OUTOFMEMORY;
  SysFreeString(name);
  double rate = 0;
  if (FAILED(named) || FAILED(detector->get_FrameRate(&rate)) || !(rate > 0)) return std::nullopt;
  return rate;
}

}  // namespace glintora
