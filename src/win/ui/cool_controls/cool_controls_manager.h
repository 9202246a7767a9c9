#pragma once
// The flat look of a thread's controls: while installed for a thread, a window hook gives
// the standard controls of that thread's windows a flat look that turns three-dimensional
// under the mouse or with the focus. In dialog mode a dialog's controls are taken when the
// dialog is initialised; otherwise each child window as it is created. A thread timer (every
// 100 ms) follows the mouse from one control to another.
//
// The hook and the timer reach their manager through the thread they run on; a manager's
// maps are used by the threads it hooks, one at a time (the program hooks only its
// user-interface thread).

#include <windows.h>

#include <atomic>
#include <map>
#include <memory>

#include "win/ui/cool_controls/cm_control.h"
#include "win/ui/cool_controls/control_kind.h"

namespace glintora {

class CCoolControlsManager {
 public:
  // The thread id that means the calling thread.
  static constexpr DWORD kCurrentThread = static_cast<DWORD>(-1);
  static constexpr UINT kHoverPeriodMs = 100;

  CCoolControlsManager();
  // Unhooks every thread, stops the timer and gives the controls still alive their
  // procedures back.
  ~CCoolControlsManager();
  CCoolControlsManager(const CCoolControlsManager&) = delete;
  CCoolControlsManager& operator=(const CCoolControlsManager&) = delete;

  // Hooks `threadId` (kCurrentThread: the caller's) unless it is hooked already; the mode
  // of the last installation holds. False when the hook could not be set.
  bool InstallHook(DWORD threadId = kCurrentThread, bool dialogMode = true);
  // Unhooks the thread; with no thread left, the hover timer stops. Controls already taken
  // keep their look until their windows go.
  void UninstallHook(DWORD threadId = kCurrentThread);
  // While disabled the hook takes no controls and the mouse is not followed.
  void Enable(bool enable) { m_enabled = enable; }
  bool IsEnabled() const { return m_enabled; }
  bool IsDialogMode() const { return m_dialogMode; }

  // Gives `window` the object its class and style call for; null when it gets none. The
  // first control taken starts the hover timer.
  CCMCore* AddControl(HWND window);
  // The dialog and each of its controls.
  void AddDialog(HWND dialog);
  // The object of a managed control (not of a dialog), or null.
  CCMControl* Control(HWND window) const;
  // The control under the mouse, raised; null when none.
  HWND HotControl() const { return m_hot; }
  // How many windows have objects (dialogs included).
  size_t ManagedCount() const { return m_controls.size(); }
  bool HoverTimerRunning() const { return m_hoverTimer != 0; }

  // One step of following the mouse (what the timer does).
  void TrackHover();
  // The window has received its last message: its object goes.
  void Forget(HWND window);

 private:
  static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
  static void CALLBACK HoverTimerProc(HWND, UINT, UINT_PTR timer, DWORD);
  void OnMessageSent(const CWPSTRUCT& call);
  std::unique_ptr<CCMCore> MakeObject(ControlKind kind);
  void StopHoverTimer();

  std::map<DWORD, HHOOK> m_hooks;  // thread id -> its hook
  bool m_dialogMode = true;
  bool m_enabled = true;
  std::map<HWND, std::unique_ptr<CCMCore>> m_controls;  // owned; dialogs and controls
  std::atomic<HWND> m_hot{nullptr};  // also read by other threads (tests)
  UINT_PTR m_hoverTimer = 0;  // a thread timer of the thread that took the first control
  DWORD m_timerThread = 0;
};

// The process's one manager, used by the configuration start-up.
CCoolControlsManager& GetCoolControlsManager();

}  // namespace glintora
