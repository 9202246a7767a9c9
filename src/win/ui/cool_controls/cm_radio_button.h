#pragma once
// A radio button: the check box's flat frame, round.

#include "win/ui/cool_controls/cm_check_box.h"

namespace glintora {

class CCMRadioButton : public CCMCheckBox {
 public:
  using CCMCheckBox::CCMCheckBox;

 protected:
  void DrawControl(HDC dc, const RECT& window) override;
};

}  // namespace glintora
