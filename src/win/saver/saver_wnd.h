#pragma once
// The full-screen saver window: the slide show, plus what makes it a screen saver. It hides
// the cursor, tells the system a saver runs, closes on the user's first key press, click,
// deactivation or mouse travel beyond the threshold (asking for the password where the
// saver must), and ends the application when it is destroyed.

#include <string>
#include <vector>

#include "win/show/draw_wnd.h"

namespace glintora {

// The system's screen-saver settings of the current user.
inline constexpr const char* kScreenSaversKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
// Pixels the mouse may travel (per axis) before the saver ends, when the system names none.
inline constexpr LONG kDefaultMouseThreshold = 3;

class CglintoraWnd : public CDrawWnd {
  GLINTORA_DECLARE_MESSAGE_MAP()

 public:
  // Self-owned: the object deletes itself after its window is gone.
  explicit CglintoraWnd(ProfileStore& settings, const FileSystem& files = SystemFileSystem());

  // A top-most pop-up over the primary screen titled with the application name.
  int CreateFullScreen();
  // The same over `monitor` (the primary monitor's rectangle).
  int CreateFullScreen(const RECT& monitor);
  // The application name, the title of every window of the run.
  static std::string WindowTitle();
  // `window` covers another monitor in this run: it is destroyed with this window.
  void AdoptMonitorWindow(HWND window) { m_monitorWindows.push_back(window); }
  // Input meant for any window of the run (this one, another monitor's, a movie's inside
  // them): a key, a click, or mouse travel beyond the threshold asks to close.
  void TakeUserInput(UINT message);
  // The user left the run (another program took the activation): asks to close.
  void UserLeft();
  // A user action asks to close: remembered, and WM_CLOSE posted to the window.
  void RequestClose();
  // The cursor has left the square of ±m_mouseThreshold around m_startPoint (per axis).
  bool MovedBeyondThreshold() const;
  // "Password Delay" and "Mouse Threshold" of the system's saver settings.
  void ReadSystemSaverSettings();
  // The saver password, on the systems where the saver itself must ask; TRUE elsewhere.
  static BOOL VerifyPassword(HWND window);

  int m_checkingPassword = 0;
  int m_closeRequested = 0;
  POINT m_startPoint{};
  DWORD m_startTick = 0;
  DWORD m_passwordDelay = 0;  // seconds
  LONG m_mouseThreshold = kDefaultMouseThreshold;  // pixels

 protected:
  LRESULT OnCreate(WPARAM, LPARAM);
  LRESULT OnDestroy(WPARAM, LPARAM);
  LRESULT OnSetCursor(WPARAM, LPARAM) { return TRUE; }
  LRESULT OnSysCommand(WPARAM, LPARAM);
  LRESULT OnNcActivate(WPARAM, LPARAM);
  LRESULT OnActivate(WPARAM, LPARAM);
  LRESULT OnActivateApp(WPARAM, LPARAM);
  LRESULT OnMouseMove(WPARAM, LPARAM);
  LRESULT OnUserInput(WPARAM, LPARAM);
  LRESULT OnClose(WPARAM, LPARAM);
  // Input that lands on a window inside the show (a movie's, whichever engine made it) ends
  // the saver as input on the show itself does: not every engine passes it on.
  BOOL PreTranslateMessage(MSG* msg) override;

 private:
  std::vector<HWND> m_monitorWindows;  // the other monitors' windows of this run
};

}  // namespace glintora
