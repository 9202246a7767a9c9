#pragma once
// A monitor other than the primary while the saver runs full screen: a show of its own, or
// black. It keeps none of the saver's duties: its input, and the user leaving it, end the
// saver through the primary window, which owns the cursor, the password and the run's end.

#include "win/saver/saver_wnd.h"

namespace glintora {

class CMonitorWnd : public CDrawWnd {
  GLINTORA_DECLARE_MESSAGE_MAP()

 public:
  // Self-owned: the object deletes itself after its window is gone. `primary` outlives it
  // (it destroys its monitors' windows first).
  CMonitorWnd(CglintoraWnd& primary, ProfileStore& settings);

  // A top-most pop-up exactly over `monitor`, shown without taking the activation from the
  // primary window.
  int CreateOn(const RECT& monitor);

 protected:
  LRESULT OnSetCursor(WPARAM, LPARAM) { return TRUE; }
  LRESULT OnSysCommand(WPARAM, LPARAM);
  LRESULT OnActivate(WPARAM, LPARAM);
  LRESULT OnClose(WPARAM, LPARAM);
  // Keys, clicks and mouse travel on this window or inside it (a movie's window).
  BOOL PreTranslateMessage(MSG* msg) override;

 private:
  CglintoraWnd& m_primary;
};

}  // namespace glintora
