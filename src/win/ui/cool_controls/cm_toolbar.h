#pragma once
// A tool bar: switched to the flat style, in which the system itself draws its buttons flat
// and raises the one under the mouse.

#include "win/ui/cool_controls/cm_control.h"

namespace glintora {

class CCMToolbar : public CCMControl {
 public:
  using CCMControl::CCMControl;

 protected:
  void OnAttached() override;
  void DrawControl(HDC, const RECT&) override {}
};

}  // namespace glintora
