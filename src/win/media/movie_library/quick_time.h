#pragma once
// CQuickTime: one movie of the movie library, its controller and the window they draw in.
// The library reads the movie (CMovieReader); the controller here plays it: it paces the
// frames by a play position against the clock, paints them into the window with GDI, loops,
// plays a selection and tells when the movie is done. Times are in the movie's own units,
// 600 a second.
//
// The operations in slot order, with the answer of each that the library has no counterpart
// for (it reads movies; it does not edit them, and the window is painted with GDI):
//
// | slot | operation             | here                                                        |
// |------|-----------------------|-------------------------------------------------------------|
// |  0   | destructor            | closes the movie                                            |
// |  1   | OpenMovie             | opens the file read-only, attaches the controller           |
// |  2   | CloseMovie            | lets movie and controller go; no port to size (no effect)   |
// |  3   | NewEmptyMovie         | closes, then false: no empty movie to edit                  |
// |  4   | SaveMovieAs           | -1: no save dialog, no movie edits to save                  |
// |  5   | HandleEvent           | no effect: the controller takes no window events            |
// |  6   | AttachWindow          | keeps the window and its parent, updates the title; no port |
// |  7   | DetachWindow          | CloseMovie, forgets the windows                             |
// |  8   | AttachController      | a controller in the movie's box; grow box and keys: none    |
// |  9   | CountFrames           | the number of video samples                                 |
// | 10   | CountFramesOfFile     | likewise for a file, 0 when it does not open                |
// | 11   | LastFrameTime         | time of the last video sample                               |
// | 12   | LastFrameTimeOfFile   | likewise for a file, 0 when it does not open                |
// | 13   | GetControllerTime     | the play position, -1 without a controller                  |
// | 14   | Cut                   | no effect (no editing)                                      |
// | 15   | Copy                  | no effect (no editing)                                      |
// | 16   | Paste                 | no effect (no editing)                                      |
// | 17   | Clear                 | no effect (no editing)                                      |
// | 18   | Undo                  | no effect (no editing)                                      |
// | 19   | SelectAll             | selects 0 to the last sample's time                         |
// | 20   | UpdateTitle           | the frame window's text: program " - " file                 |
// | 21   | GetFileTitle          | the file name after its last separator                      |
// | 22   | GetAppName            | the program's name                                          |
// | 23   | FrameWidth            | the frame window's borders                                  |
// | 24   | FrameHeight           | its borders without the caption                             |
// | 25   | CaptionHeight         | the caption's height, 0 without one                         |
// | 26   | GetDesktopRect        | the desktop's rectangle at the origin                       |
// | 27   | GetMovie              | the movie's reader                                          |
// | 28   | GetController         | the controller                                              |
//
// Of the window's operations, the grow box (set on opening) and the step buttons
// (SuppressStepButtons) have no counterpart either: the first has no effect, the second only
// records its flag.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/media/movie_time.h"
#include "core/media/video_frame.h"
#include "win/media/movie_library/movie_reader.h"
#include "win/media/movie_library/movie_sound.h"
#include "win/media/movie_library/read_ahead.h"
#include "win/platform/com_initialisation.h"

namespace glintora {

// A rectangle in the order of sides the movie's callers use.
struct MovieBox {
  int16_t top = 0;
  int16_t left = 0;
  int16_t bottom = 0;
  int16_t right = 0;
};

// The height of the controller's bar below the picture.
inline constexpr int kControllerBarHeight = 16;
// The controller flag that hides the step buttons.
inline constexpr uint32_t kNoStepButtons = 2;
// An audible track's full volume; negative while muted.
inline constexpr long kFullTrackVolume = 256;

// What plays a movie in its window.
struct MovieController {
  RECT bounds{};  // in the window: the picture, then the bar along its bottom
  PlayPosition position;
  uint32_t flags = 0;
  long volume = 0;  // of the audible track; 0 without one
};

class CQuickTime {
 public:
  // Starts the movie library the first time any movie is made.
  CQuickTime();
  virtual ~CQuickTime();
  CQuickTime(const CQuickTime&) = delete;
  CQuickTime& operator=(const CQuickTime&) = delete;

  virtual bool OpenMovie(const std::string& fileName);
  // Takes a movie whose readers were opened elsewhere (see PrepareMovie); `sound` may be null.
  bool OpenPrepared(const std::string& fileName, std::unique_ptr<CMovieReader> movie,
                    std::unique_ptr<CMovieSound> sound);
  virtual void CloseMovie();
  // Closes the movie and waits up to `limitMs` until its readers have let the file go (they
  // read on threads of their own); true when they have. Before the file is replaced.
  bool CloseAndLetGoOfFile(DWORD limitMs);
  virtual bool NewEmptyMovie();
  virtual long SaveMovieAs();
  virtual void HandleEvent(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  virtual void AttachWindow(HWND window, const CREATESTRUCTA* creation);
  virtual void DetachWindow();
  virtual void AttachController(CMovieReader* movie);
  virtual int CountFrames(CMovieReader* movie);
  virtual int CountFramesOfFile(const std::string& fileName);
  virtual int LastFrameTime(CMovieReader* movie);
  virtual int LastFrameTimeOfFile(const std::string& fileName);
  virtual int GetControllerTime();
  virtual void Cut();
  virtual void Copy();
  virtual void Paste();
  virtual void Clear();
  virtual void Undo();
  virtual void SelectAll();
  virtual void UpdateTitle();
  virtual void GetFileTitle(std::string& title);
  virtual void GetAppName(std::string& name);
  virtual int FrameWidth();
  virtual int FrameHeight();
  virtual int CaptionHeight();
  virtual MovieBox GetDesktopRect();
  virtual CMovieReader* GetMovie();
  virtual MovieController* GetController();

  // For the movie window.
  void SetAppName(const std::string& name) { m_appName = name; }
  bool Opened() const { return m_opened; }
  const std::string& FileName() const { return m_fileName; }
  const MovieBox& Box() const { return m_box; }
  // Duration in movie units; 0 without a movie.
  int64_t Duration() const;
  // The movie has a sound track.
  bool HasAudio() const;
  // Mutes or unmutes the sound track: its volume turns negative while muted, and the sound
  // output goes silent.
  void SetMute(bool mute);
  void SetLooping(bool looping);
  // Plays only [begin, begin + length) in movie units, from its beginning.
  void SetSelection(int64_t begin, int64_t length);
  // Done: a movie that does not loop played to the end of what it plays, or past its last
  // frame (a file may claim far more than it holds); and so is a missing movie, so that a
  // window without one tells its end at once.
  bool IsMovieDone() const;
  void StartMovie();
  void StopMovie();
  // Whether the movie's sound reaches a sound device.
  bool PlaysSound() const { return m_sound != nullptr; }
  // Reads the frames due by now (and queues the sound); true when the picture changed.
  bool PresentFrames();
  // Paints the movie into `area` of `dc` (the picture fitted into the top of it above the
  // bar when `withBar`), black where there is no frame.
  void Paint(HDC dc, const RECT& area, bool withBar) const;
  const VideoFrame& Frame() const { return m_frame; }

  // Milliseconds of the clock the controller plays by.
  static int64_t NowMs();

 private:
  // The sample times of the open movie, read once.
  const std::vector<int64_t>& SampleTimes();
  // Back to where the play position stands: the next frame read is the one due there.
  void SeekToPosition();
  // The reader has no more frames and the last one has stayed its time (LastFrameHold).
  bool PastLastFrame(int64_t nowMs) const;
  // The reader has not given the next frame for kFrameStallMax of play past the last one.
  bool Starved(int64_t nowMs) const;

  // The window's thread uses the movie's objects: its COM is initialised for as long as
  // this lives, and so before and after them.
  ComInitialisation m_com;
  std::string m_appName;
  bool m_opened = false;
  // The open movie's reader, for what does not change once it is open (its path, size,
  // duration, sound); m_frames owns it and reads it on a thread of its own.
  CMovieReader* m_movie = nullptr;
  std::unique_ptr<CReadAhead<VideoFrame>> m_frames;
  std::unique_ptr<MovieController> m_controller;
  std::unique_ptr<CMovieSound> m_sound;  // where the movie has sound and the system a device
  MovieBox m_box;
  std::string m_fileName;
  HWND m_frameWindow = nullptr;
  HWND m_movieWindow = nullptr;

  std::optional<std::vector<int64_t>> m_sampleTimes;
  VideoFrame m_frame;     // shown
  VideoFrame m_next;      // read ahead, due later
  bool m_hasNext = false;
  bool m_atEnd = false;   // the reader has no more frames until it seeks
  int64_t m_previousFrameTime = -1;  // of the frame shown before m_frame; -1 none
};

}  // namespace glintora
