#include "win/ui/cool_controls/cm_combo_box.h"

namespace glintora {
namespace {

// The combo box proper: the window itself, or the one inside an extended combo box.
HWND ComboWindow(HWND window) {
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (GetComboBoxInfo(window, &info)) return window;
  constexpr UINT kGetComboControl = WM_USER + 6;  // CBEM_GETCOMBOCONTROL
  return reinterpret_cast<HWND>(SendMessageA(window, kGetComboControl, 0, 0));
}

}  // namespace

bool CCMComboBox::IsFocused() const {
  HWND focus = GetFocus();
  return focus && (focus == m_hWnd || IsChild(m_hWnd, focus));
}

RECT CCMComboBox::DropButton(bool* pressed) const {
  *pressed = false;
  HWND combo = ComboWindow(m_hWnd);
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (!combo || !GetComboBoxInfo(combo, &info) || IsRectEmpty(&info.rcButton)) return {};
  *pressed = (info.stateButton & STATE_SYSTEM_PRESSED) != 0;
  // From the combo box's client area to this window's rectangle.
  RECT button = info.rcButton;
  MapWindowPoints(combo, nullptr, reinterpret_cast<POINT*>(&button), 2);
  RECT window{};
  GetWindowRect(m_hWnd, &window);
  OffsetRect(&button, -window.left, -window.top);
  return button;
}

void CCMComboBox::DrawControl(HDC dc, const RECT& window) {
  const FrameState state = State();
  DrawFrame(dc, window, FieldColours(state, Background()));
  FrameState buttonState = state;
  const RECT button = DropButton(&buttonState.pressed);
  if (!IsRectEmpty(&button)) DrawFrame(dc, button, PushButtonColours(buttonState));
}

}  // namespace glintora
