#pragma once
// The seam between the movie player and the engines that play for it: the DirectShow graph
// (CGraphEngine), the MCI window (CMciEngine) and the movie library's window
// (CMovieWindowEngine). An engine plays one file from its opening to its destruction, which
// stops it and lets go of everything it holds, in whatever state it is.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace glintora {

enum class PlayerEngineKind { None, Mci, Graph, MovieWindow };

// The player's settings, which an engine reads as they stand whenever it acts on them.
struct PlayerSettings {
  bool repeat = false;
  bool controlsVisible = true;
  bool fullScreenAllowed = true;
  bool forwardMouse = false;
};

// What an engine asks of the player that holds it.
class PlayerEngineHost {
 public:
  // What plays has ended, or given up: the player tells its owner.
  virtual void EngineEnded() = 0;
  // Serves the player window's own messages while the engine waits on the system. A handler
  // may close the player meanwhile, and so destroy the waiting engine.
  virtual void ServePlayerMessages() = 0;
  // The control bar's mute button: the mute state every player shares turns over.
  virtual void ToggleMute() = 0;

 protected:
  ~PlayerEngineHost() = default;
};

// Where the player's progress watch finds an engine.
struct EngineProgress {
  // It stopped at its end without telling anybody.
  bool ended = false;
  // Where it stands while it plays; none while it is paused or between states.
  std::optional<int64_t> position;
};

class CPlayerEngine {
 public:
  virtual ~CPlayerEngine() = default;

  virtual PlayerEngineKind Kind() const = 0;
  // The engine's own window inside the player; null where the system owns the video.
  virtual HWND Window() const = 0;
  // A message to the player window, offered to its engine first: the engine's notifications,
  // its timers and its control bar's commands. True when the engine took it, and the player
  // does nothing more with it. The engine may be destroyed before this returns.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

  virtual bool Pause() = 0;
  virtual bool Play() = 0;
  // The new setting is in the player's settings already.
  virtual void SetRepeat(bool repeat) = 0;
  virtual void SetFullScreenAllowed(bool allowed) = 0;
  virtual void SetForwardMouse(bool forward) = 0;
  virtual void SuppressStepButtons() = 0;
  virtual void ToggleFullScreen() = 0;
  // The player window is now width × height.
  virtual void Move(int width, int height) = 0;

  virtual bool HasAudio() const = 0;
  // The volume the player's shared mute memory keeps, where the engine has one.
  virtual std::optional<long> Volume() const = 0;
  // `volume` is the level that memory gives back; none leaves the level as it is.
  virtual void SetMute(bool mute, std::optional<long> volume) = 0;

  // The length in the engine's own units (see CMediaPlayer::GetLength), in milliseconds
  // (-1 when unknown) and in frames; the current frame and the frames per second.
  virtual int64_t Length() = 0;
  virtual int64_t LengthMilliseconds() = 0;
  virtual int64_t FrameCount() = 0;
  virtual int64_t FramePosition() = 0;
  virtual double FrameRate() = 0;
  // Plays frames [first, last) from now on (already in order and within the movie).
  virtual void SetSelection(int first, int last) = 0;
  // Writes frames [first, last) of the file to `target` (see SaveAviSelection); calls
  // `letGoOfFile`, which destroys the engine, when the file must be let go to be replaced.
  virtual bool SaveSelection(const std::string& target, int first, int last,
                             const std::function<void()>& letGoOfFile) = 0;

  // Whether the player watches that it moves on: an engine whose end may never come from the
  // system is ended once it stands still (kStallMs).
  virtual bool Watched() const = 0;
  virtual EngineProgress Progress() = 0;
};

}  // namespace glintora
