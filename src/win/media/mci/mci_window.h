#pragma once
// The player's MCI engine: a Video for Windows MCI window that plays one file inside the
// player, loops, reports its mode changes (when made to) and answers length and position.

#include <windows.h>

#include <cstdint>
#include <string>

namespace glintora {

class CMciWindow {
 public:
  CMciWindow() = default;
  ~CMciWindow() { Close(); }
  CMciWindow(const CMciWindow&) = delete;
  CMciWindow& operator=(const CMciWindow&) = delete;

  // Creates the window as a child of `parent` with the MCI window style flags `style` and
  // opens `path` in it; false when it was not made.
  bool Create(HWND parent, const std::string& path, uint32_t style);
  HWND Handle() const { return m_window; }
  explicit operator bool() const { return m_window != nullptr; }

  // The MCI commands; each answers the window's result (0 for success).
  LRESULT Play();
  LRESULT Pause();
  LRESULT Resume();
  void SetRepeat(bool repeat);
  // Length and position in milliseconds or in frames; -1 without a window.
  int64_t LengthMilliseconds();
  int64_t LengthFrames();
  int64_t PositionFrames();
  // Whether it plays now, and whether it stands stopped (neither while it seeks or opens).
  bool Playing();
  bool Stopped();
  // Plays the frames from `first` to `last`.
  void PlayFrames(int64_t first, int64_t last);
  void Move(int width, int height);
  // Stops the file, closes the window and forgets it.
  void Close();

 private:
  void SetTimeFormat(const char* format);

  HWND m_window = nullptr;
};

}  // namespace glintora
