#include "win/ui/cool_controls/cm_edit_combo.h"

namespace glintora {

CCMControl* CCMEditCombo::Combo() const { return dynamic_cast<CCMControl*>(FromHandle(GetParent(m_hWnd))); }

CCMControl* CCMEditCombo::HoverTarget() {
  CCMControl* combo = Combo();
  return combo ? combo : this;
}

void CCMEditCombo::Redraw() {
  if (CCMControl* combo = Combo()) combo->Redraw();
}

}  // namespace glintora
