#include "win/ui/cool_controls/cm_push_button.h"

namespace glintora {

void CCMPushButton::DrawControl(HDC dc, const RECT& window) {
  FrameState state = State();
  state.pressed = (SendMessageA(m_hWnd, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
  DrawFrame(dc, window, PushButtonColours(state));
}

}  // namespace glintora
