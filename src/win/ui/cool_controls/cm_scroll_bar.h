#pragma once
// A scroll bar control, or the arrows of an up-down control: each arrow button (and the
// scroll bar's thumb) gets the push button's flat frame.

#include "win/ui/cool_controls/cm_control.h"

namespace glintora {

class CCMScrollBar : public CCMControl {
 public:
  using CCMControl::CCMControl;

 protected:
  void DrawControl(HDC dc, const RECT& window) override;

 private:
  // The buttons to frame, in window coordinates; returns how many (up to 3).
  int Buttons(const RECT& window, RECT* buttons) const;
};

}  // namespace glintora
