#pragma once
// A dialog whose controls have the flat look. Controls tell their dialog about focus changes
// also where the focus goes to a part of them (a combo box's edit field) and about dropping
// down their lists; after any notification from a managed control the dialog redraws that
// control's frame.

#include "win/ui/cool_controls/cm_core.h"

namespace glintora {

class CCMDialog : public CCMCore {
 public:
  using CCMCore::CCMCore;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace glintora
