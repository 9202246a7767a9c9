#pragma once
// The slide-show window: loads the current item on its own thread, composes the frame,
// hands each change of picture to a transition on a worker thread, hands movies to the
// player and re-arms one timer after each item. The preview is a plain CDrawWnd child; the
// full-screen saver window derives from it.

#include <windows.h>

#include <atomic>
#include <memory>

#include "core/base/file_system.h"
#include "core/loaders/image_loader.h"
#include "core/settings/config.h"
#include "core/show/frame_composition.h"
#include "core/show/item_dealer.h"
#include "core/show/media_list.h"
#include "core/show/show_items.h"
#include "core/transitions/engine.h"
#include "win/framework/stoppable_worker.h"
#include "win/framework/wnd.h"
#include "win/media/player/media_player.h"
#include "win/show/item_prefetcher.h"

namespace glintora {

// The one timer of the show, for every pause between items.
inline constexpr UINT_PTR kSlideTimerId = 666;

// CDrawWnd's `autoDelete` for windows that own themselves (the preview and the saver
// window): the object deletes itself after its window's last message.
inline constexpr int kDeletesItself = 1;

// Posted by the item prefetcher when the next item is ready.
inline constexpr UINT WM_PREFETCH_DONE = WM_USER + 2;
// Posted by the transition worker as its last act: the window arms the slide timer (a
// timer belongs to the thread that owns its window).
inline constexpr UINT WM_TRANSITION_DONE = WM_USER + 3;
// Posted by the movie's preparation when it is done.
inline constexpr UINT WM_MOVIE_PREPARED = WM_USER + 4;
// How many upcoming items the prefetcher tries before it leaves the rest to the change.
inline constexpr size_t kPrefetchItems = 64;

// What the transition worker needs; lives in the window, the worker gets its address.
struct TransitionJob {
  HWND window = nullptr;
  // The previous picture on the common canvas. Set by the window before the worker starts;
  // the worker releases it when the transition ends.
  std::unique_ptr<CvxImage> from;
  const CvxImage* to = nullptr;  // the new frame; the window's
  int frameX = 0;                // where the canvas stands on the window
  int frameY = 0;
  double duration = 0;           // seconds
  const uint8_t* enabled = nullptr;  // the 101 enabled flags
  UINT timerPeriod = 0;          // the slide timer armed when the transition is done
  WPARAM number = 0;             // counts the window's transitions; tells a stale end apart
  ContinueCallback callback = nullptr;
  void* context = nullptr;
};

// Builds `list` from the folder and choices of `config`; with `keepsShuffle` (the full-screen
// saver), a shuffled list continues the cycle kept in `profile` where the last run left it.
void BuildMediaList(MediaList& list, const CConfig& config, ProfileStore& profile, const FileSystem& files,
                    bool keepsShuffle);

class CDrawWnd : public CWnd, public CConfig {
  GLINTORA_DECLARE_MESSAGE_MAP()

 public:
  // Loads the settings from `settings`; with `autoDelete` the object deletes itself after
  // its window is gone.
  CDrawWnd(int autoDelete, ProfileStore& settings, const FileSystem& files = SystemFileSystem());
  ~CDrawWnd() override;

  // Creates the window (black background, icon 128, WS_CLIPCHILDREN added), takes the
  // geometry from `rect`, builds the media list and shows the first item. 0 when the list
  // is empty or the window was not made.
  virtual int Create(DWORD exStyle, const char* title, DWORD style, const RECT& rect, HWND parent, UINT id);

  // Before Create: the show walks the items `dealer` deals to `monitor` from `list` (built,
  // not empty) instead of a list of its own. Both must outlive the window.
  void ShareItems(MediaList& list, ItemDealer& dealer, size_t monitor) {
    m_media = ShowItems(list, dealer, monitor);
    m_sharesItems = true;
  }
  // Before Create: the window stays black and shows nothing (a monitor without a show).
  void ShowNothing() { m_blank = true; }
  // Before Create: the first change comes this much later than the delay, so that shows on
  // several monitors take turns.
  void DelayFirstChange(UINT ms) { m_firstChangeDelay = ms; }

  // Presents the item at the current position, then starts loading the next one ahead.
  void ShowCurrent();
  void Advance() { m_media.Advance(); }
  // Stops a running transition and waits for its worker, serving this thread's messages.
  void StopWorker();
  // Between animation steps: serves the calling thread's messages; false once the show
  // wants the transition to stop.
  static bool PumpMessages(void* context);
  // The worker's entry.
  static UINT TransitionThreadProc(TransitionJob* job);

  bool TransitionRunning() const { return m_transition->Running(); }
  const FrameComposer& Composition() const { return m_composition; }
  const ShowItems& Media() const { return m_media; }
  // The next item is being loaded ahead and is not ready yet.
  bool Prefetching() const { return m_prefetcher.Pending() && !m_prefetcher.Done(); }
  // The transition engine's options (tests script the clock).
  TransitionOptions m_transitionOptions;
  // Camera RAW decoding parameters for every load of the show; null: the defaults (tests
  // slow the decode down). The block must outlive the window.
  const CvxRawParams* m_rawParams = nullptr;
  // Set before Create by the full-screen saver: with "Random" and "Resume Shuffle" on, the
  // show continues the shuffled cycle where the last run left it and keeps where it gets to.
  // Previews start a cycle of their own.
  bool m_keepsShuffle = false;

 protected:
  LRESULT OnPaint(WPARAM, LPARAM);
  LRESULT OnTimer(WPARAM, LPARAM);
  LRESULT OnEraseBackground(WPARAM, LPARAM) { return 1; }
  LRESULT OnClose(WPARAM, LPARAM);
  LRESULT OnDestroy(WPARAM, LPARAM);
  LRESULT OnPlayerDone(WPARAM, LPARAM);
  LRESULT OnPrefetchDone(WPARAM, LPARAM);
  LRESULT OnTransitionDone(WPARAM, LPARAM);
  LRESULT OnMoviePrepared(WPARAM, LPARAM);
  void PostNcDestroy() override;
  // The player movies are handed to (tests hand a player of their own).
  virtual CMediaPlayer& Player() { return m_player; }

 private:
  void NextItem();
  void PresentCurrent();
  void StartPrefetch();
  // Loads an item on this thread as the show does (no larger than shown when decoding
  // ahead is on), fitted to the window; null when it does not load.
  std::unique_ptr<CvxImage> LoadForShow(const std::string& path);
  // Loads the current item, skipping what does not load; false (and a blank frame) once
  // every distinct item failed. Composes a picture or opens a movie.
  bool PresentItem(std::unique_ptr<CvxImage>& from);
  // Starts preparing the movie off this thread; it plays once prepared (OnMoviePrepared).
  void ShowMovie(const std::string& path);
  // Places and opens a prepared movie, then arms the slide timer for it.
  void PlayPreparedMovie(std::unique_ptr<PreparedMovie> movie);
  // The slide timer's period for the movie being shown.
  UINT MoviePeriod();
  void StartTransition(std::unique_ptr<CvxImage> from);
  void RedrawNow();
  // Arms the slide timer for `period`, plus the first change's extra delay once.
  void ArmSlideTimer(UINT period);
  // Keeps where the shuffled cycle has got, for the next run.
  void RememberShuffle();

  int m_autoDelete;
  ProfileStore& m_profile;  // where the settings came from, and the cycle is kept
  const FileSystem& m_files;
  MediaList m_ownList;                // the items of a show of its own
  ShowItems m_media{m_ownList};       // what this show walks: its own list or dealt items
  bool m_sharesItems = false;         // the items are dealt from a list shared by several shows
  bool m_blank = false;               // a black window without a show
  UINT m_firstChangeDelay = 0;        // added once, to the first change's period
  FrameComposer m_composition;  // geometry, the frame and the previous picture
  CvxImageLoader m_loader;
  CMediaPlayer m_player;
  MovieOpening m_movieOpening;
  bool m_moviePlaying = false;  // the current item is a movie (being prepared or played)
  bool m_closing = false;  // WM_CLOSE or WM_DESTROY has begun: no further items
  ItemPrefetcher m_prefetcher;  // the next item, loading ahead
  bool m_changeDue = false;     // the change waits for the prefetcher
  TransitionJob m_job;
  // The running transition; released first of all in the destructor, before the images it
  // draws.
  std::unique_ptr<CStoppableWorker> m_transition = std::make_unique<CStoppableWorker>();
};

}  // namespace glintora
