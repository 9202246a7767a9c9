#pragma once
// An edit field (also hot-key fields and rich edits): the flat border around a field that
// is grey when read-only or disabled.

#include "win/ui/cool_controls/cm_control.h"

namespace glintora {

class CCMEdit : public CCMControl {
 public:
  using CCMControl::CCMControl;

 protected:
  COLORREF Background() const override;
};

}  // namespace glintora
