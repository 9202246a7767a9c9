#pragma once
// A tab control: the page under the tabs gets the push button's flat frame.

#include "win/ui/cool_controls/cm_control.h"

namespace glintora {

class CCMTabControl : public CCMControl {
 public:
  using CCMControl::CCMControl;

 protected:
  void DrawControl(HDC dc, const RECT& window) override;
};

}  // namespace glintora
