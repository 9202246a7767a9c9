#pragma once
// The root of the flat look's objects: one object per managed window, attached by
// subclassing (its own window procedure in front, the previous one kept for everything it
// does not handle). The object is owned by the manager that made it, which deletes it after
// the window's last message.

#include <windows.h>

namespace glintora {

class CCoolControlsManager;

class CCMCore {
 public:
  explicit CCMCore(CCoolControlsManager& manager) : m_manager(manager) {}
  virtual ~CCMCore();
  CCMCore(const CCMCore&) = delete;
  CCMCore& operator=(const CCMCore&) = delete;

  // Puts this object in front of `window`'s procedure; false when the window has one of
  // these objects already or cannot be subclassed.
  bool Subclass(HWND window);
  // Gives the window its previous procedure back when ours is still in front; when another
  // procedure was put in front since, ours stays in the chain and passes everything on.
  void Detach();
  // The object attached to `window`, or null.
  static CCMCore* FromHandle(HWND window);

  HWND m_hWnd = nullptr;
  WNDPROC m_oldWndProc = nullptr;  // the procedure this object passes messages on to
  UINT m_state = 0;                // bit 0 (kMouseOver): the mouse is over the control

  static constexpr UINT kMouseOver = 0x1;

 protected:
  // Called once attached, before the window's next message.
  virtual void OnAttached() {}
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallOld(message, wParam, lParam);
  }
  LRESULT CallOld(UINT message, WPARAM wParam, LPARAM lParam) const;

  CCoolControlsManager& m_manager;

 private:
  int m_depth = 0;             // messages of this object being handled on the stack
  bool m_lastMessage = false;  // WM_NCDESTROY seen: the manager deletes the object at depth 0

  static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace glintora
