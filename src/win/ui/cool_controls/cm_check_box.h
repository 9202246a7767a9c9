#pragma once
// A check box: a flat frame around its box, sunken while active. The box is where the
// system's buttons put it: a square of 12 pixels plus one at 96 dots per inch, on the left
// (on the right with BS_LEFTTEXT), centred vertically unless BS_TOP or BS_BOTTOM.

#include "win/ui/cool_controls/cm_push_button.h"

namespace glintora {

class CCMCheckBox : public CCMPushButton {
 public:
  using CCMPushButton::CCMPushButton;

 protected:
  void DrawControl(HDC dc, const RECT& window) override;
  // The box in window coordinates.
  RECT BoxRect(const RECT& window) const;
};

}  // namespace glintora
