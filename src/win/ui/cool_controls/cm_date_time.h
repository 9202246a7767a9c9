#pragma once
// A date and time picker: drawn as a combo box whose drop button is the calendar's (none
// in the up-down style, whose arrows are a control of their own).

#include "win/ui/cool_controls/cm_combo_box.h"

namespace glintora {

class CCMDateTime : public CCMComboBox {
 public:
  using CCMComboBox::CCMComboBox;

 protected:
  RECT DropButton(bool* pressed) const override;
};

}  // namespace glintora
