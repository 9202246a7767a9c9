#include "win/ui/cool_controls/cm_ip_address.h"

namespace glintora {

bool CCMIPAddress::IsFocused() const {
  HWND focus = GetFocus();
  return focus && (focus == m_hWnd || IsChild(m_hWnd, focus));
}

}  // namespace glintora
