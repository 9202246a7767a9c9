#include "win/ui/cool_controls/cm_dialog.h"

#include "win/ui/cool_controls/cm_control.h"

namespace glintora {

LRESULT CCMDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CallOld(message, wParam, lParam);
  if (message == WM_COMMAND && lParam) {
    // The control may have gone while its notification was handled.
    if (auto* control = dynamic_cast<CCMControl*>(FromHandle(reinterpret_cast<HWND>(lParam)))) control->Redraw();
  }
  return result;
}

}  // namespace glintora
