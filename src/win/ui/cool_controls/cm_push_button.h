#pragma once
// A push button: the four pens of the flat look around the whole button, sunken while it is
// held down.

#include "win/ui/cool_controls/cm_control.h"

namespace glintora {

class CCMPushButton : public CCMControl {
 public:
  using CCMControl::CCMControl;

 protected:
  void DrawControl(HDC dc, const RECT& window) override;
};

}  // namespace glintora
