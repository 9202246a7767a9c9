#pragma once
// An IP address field: the flat border around its four number fields, active while any of
// them has the focus.

#include "win/ui/cool_controls/cm_edit.h"

namespace glintora {

class CCMIPAddress : public CCMEdit {
 public:
  using CCMEdit::CCMEdit;

  bool IsFocused() const override;
};

}  // namespace glintora
