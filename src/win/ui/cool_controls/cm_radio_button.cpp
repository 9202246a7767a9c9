#include "win/ui/cool_controls/cm_radio_button.h"

namespace glintora {

void CCMRadioButton::DrawControl(HDC dc, const RECT& window) {
  DrawRoundFrame(dc, BoxRect(window), FieldColours(State(), Background()));
}

}  // namespace glintora
