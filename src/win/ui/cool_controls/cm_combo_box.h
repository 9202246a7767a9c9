#pragma once
// A combo box: the flat border around it and a flat drop button, both three-dimensional
// while active; the drop button is sunken while the list is dropped down.

#include "win/ui/cool_controls/cm_control.h"

namespace glintora {

class CCMComboBox : public CCMControl {
 public:
  using CCMControl::CCMControl;

  // Focused also when its edit field has the focus.
  bool IsFocused() const override;

 protected:
  void DrawControl(HDC dc, const RECT& window) override;
  // The drop button in window coordinates; empty when there is none.
  virtual RECT DropButton(bool* pressed) const;
};

}  // namespace glintora
