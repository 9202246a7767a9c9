#pragma once
// A list's column header: each column's button gets the push button's flat frame.

#include "win/ui/cool_controls/cm_control.h"

namespace glintora {

class CCMHeaderCtrl : public CCMControl {
 public:
  using CCMControl::CCMControl;

 protected:
  void DrawControl(HDC dc, const RECT& window) override;
};

}  // namespace glintora
