#pragma once
// The edit field inside a combo box: the combo box draws the frame, so the mouse over the
// field and the field's focus change the combo box's look.

#include "win/ui/cool_controls/cm_edit.h"

namespace glintora {

class CCMEditCombo : public CCMEdit {
 public:
  using CCMEdit::CCMEdit;

  CCMControl* HoverTarget() override;
  void Redraw() override;

 private:
  // The combo box's object, when the combo box is managed.
  CCMControl* Combo() const;
};

}  // namespace glintora
