#pragma once
// A separator line: an etched line through the middle of the control, horizontal, or
// vertical when the control is taller than wide; drawn with the visual style's separator
// where styles are on. Either subclasses a static control of a dialog (whose text it does
// not show) or is created as a child window.

#include <windows.h>

#include "win/framework/wnd.h"

namespace glintora {

class CSeparator : public CWnd {
  GLINTORA_DECLARE_MESSAGE_MAP()

 public:
  // Creates the line as a visible child of `parent` at `rect` (parent's client coordinates).
  BOOL Create(HWND parent, const RECT& rect, UINT id);

 protected:
  LRESULT OnPaint(WPARAM, LPARAM);
  LRESULT OnEraseBackground(WPARAM, LPARAM) { return 1; }  // OnPaint fills the whole control
};

}  // namespace glintora
