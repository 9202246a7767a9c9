#pragma once
// A managed control: flat at rest, three-dimensional while the mouse is over it or it has
// the focus. The frame is drawn over what the control draws itself, after each message that
// makes the control paint and whenever its state changes. This class draws the border of a
// control that has one (a list, a tree, a calendar); the kinds with more to draw derive.

#include <windows.h>

#include "win/ui/cool_controls/cm_core.h"
#include "win/ui/cool_controls/frames.h"

namespace glintora {

class CCMControl : public CCMCore {
 public:
  using CCMCore::CCMCore;

  bool IsHot() const { return (m_state & kMouseOver) != 0; }
  // Sets or clears the mouse-over bit and draws the frame again.
  void SetHot(bool hot);
  // Draws the frame now, when the control is visible.
  virtual void Redraw();
  // The control whose hot state a mouse over this one changes (itself, except for parts of
  // another control).
  virtual CCMControl* HoverTarget() { return this; }
  // Whether a screen point belongs to the control.
  virtual bool IsInside(POINT screen) const;
  virtual bool IsFocused() const { return GetFocus() == m_hWnd; }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Draws the frame on the window's whole device context; `window` is the window's rectangle
  // at (0, 0).
  virtual void DrawControl(HDC dc, const RECT& window);
  FrameState State() const;
  // The colour inside the border.
  virtual COLORREF Background() const;
  // Where the client area starts inside the window: the border's width (0: none).
  int BorderWidth() const;
};

}  // namespace glintora
