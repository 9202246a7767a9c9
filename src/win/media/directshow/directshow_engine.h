#pragma once
// The player's DirectShow engine: one filter graph that renders a movie file, with the
// interfaces the player drives it through. Holds its own COM initialisation, released after
// every interface. Every operation checks that its interface is there, so a released engine
// answers as a closed one.

#include <dshow.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "win/platform/com_ptr.h"

namespace glintora {

class CDirectShowEngine {
 public:
  CDirectShowEngine() = default;
  ~CDirectShowEngine() { Release(); }
  CDirectShowEngine(const CDirectShowEngine&) = delete;
  CDirectShowEngine& operator=(const CDirectShowEngine&) = delete;

  // Creates the graph, renders `path` into it (video through the GDI renderer, the one that
  // draws inside a child window everywhere) and queries media control, events, seeking, video
  // window, basic video and basic audio, in that order. False at the first failure.
  bool Render(const std::string& path);
  // Graph events arrive at `window` as `message` with parameter 0.
  bool SetNotifyWindow(HWND window, UINT message);
  // The video window's visibility query: S_OK, E_NOINTERFACE for a file without video, or
  // another failure.
  HRESULT QueryVideoVisible() const;
  // Makes the video a child of `owner` (WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN) that
  // passes its mouse and keyboard messages to `owner`.
  bool AttachVideo(HWND owner);
  void MoveVideo(int x, int y, int width, int height);
  // Ends full-screen video and hides it (the first steps of closing).
  void HideVideo();
  bool IsFullScreen() const;
  bool SetFullScreen(bool on);
  void BringVideoForward();

  bool HasAudio() const;
  std::optional<long> Volume() const;
  void SetVolume(long volume);

  bool CanGetDuration() const;
  bool CanSeekAbsolute() const;
  // The duration in media time (100 ns); 0 when it cannot be read.
  int64_t ReadDuration() const;
  // The duration in frames: read in the frame format where the graph has it, else from the
  // video's time per frame; 0 when neither can be told.
  int64_t ReadFrameCount(int64_t duration) const;
  // The current position in media time.
  std::optional<int64_t> CurrentTime() const;
  // The current position in frames, where the graph reads positions in frames.
  std::optional<int64_t> CurrentFrame() const;
  // Seeks the current position to `time` (media time), leaving the stop position.
  bool SeekTo(int64_t time);
  // Sets both positions, absolute, in media time.
  bool SetPositions(int64_t start, int64_t stop);

  // Each state query waits this long for the graph.
  static constexpr DWORD kStateQueryMs = 10;
  // A graph in error never answers its state; a wait for one gives up after this.
  static constexpr DWORD kStateWaitLimitMs = 5000;

  // The graph's state with a time-out in milliseconds: S_OK with the state, or a failure or
  // an intermediate answer (the change is still under way).
  HRESULT GetState(DWORD timeoutMs, OAFilterState& state) const;
  // Whether the graph answers within one query that it runs.
  bool Running() const;
  // Asks for a state (State_Stopped, State_Paused or State_Running); S_FALSE while the
  // change is under way.
  HRESULT RequestState(OAFilterState state);
  // Brings the graph to `target`; with `wait`, until it gets there or kStateWaitLimitMs has
  // passed, calling `serve` between the queries (the thread that owns the video window must
  // go on serving its own messages). A handler that `serve` runs may release this graph: the
  // caller keeps the object alive through the call. False when the state was not reached or
  // the graph was released meanwhile.
  bool ChangeState(OAFilterState target, bool wait, const std::function<void()>& serve);

  // Takes the next waiting event, frees its parameters at once and gives its code; false
  // when none is waiting.
  bool NextEvent(long& code);

  // Releases media events, seeking, media control, basic audio, basic video, the video window
  // and the graph, in that order. The graph's clock is given a periodic advice first that
  // nobody withdraws: a clock whose advise thread has nothing to wait for may sleep through
  // its stop signal (measured under Wine, about one release in ten on a busy machine) and
  // hold the release, and so the show, for ever; the advice wakes it every tick.
  void Release();
  bool IsBuilt() const { return static_cast<bool>(m_graph); }

  // The natural video size of a file through a graph of its own; false when it cannot be
  // told.
  static bool VideoSize(const std::string& path, int& width, int& height);
  // Renders `path` into a graph of its own, as Render does, and lets it go: whether a graph
  // plays the file, with its video size (0 × 0 without video). Blocks for as long as the
  // system's render takes: call it off the show's thread.
  static bool ProbeRender(const std::string& path, int& width, int& height);
  // The frame rate the media detector reads from a file's first stream.
  static std::optional<double> DetectFrameRate(const std::string& path);

 private:
  // Renders `path` into `graph`, with the GDI video renderer added first and taken out again
  // when the file has no video for it.
  static HRESULT RenderWithGdiRenderer(IGraphBuilder* graph, const std::string& path);

  // Gives the graph's clock, where it has one, the periodic advice described at Release.
  void KeepClockAwake() const;
  static constexpr REFERENCE_TIME kClockTick = 100 * 10000;  // 100 ms in media time

  ComInitialisation m_com;  // first in, last out: every interface is released before it
  ComPtr<IGraphBuilder> m_graph;
  ComPtr<IMediaControl> m_control;
  ComPtr<IMediaEventEx> m_events;
  ComPtr<IMediaSeeking> m_seeking;
  ComPtr<IVideoWindow> m_video;
  ComPtr<IBasicVideo> m_basicVideo;
  ComPtr<IBasicAudio> m_audio;
};

// A file name in UTF-16 as the graph wants it: from the ANSI code page, at most MAX_PATH
// characters. Empty when it does not convert.
std::wstring WidePath(const std::string& path);

}  // namespace glintora
