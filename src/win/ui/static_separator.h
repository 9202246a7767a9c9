#pragma once
// A section heading: a static control whose text shows in the bold form of its font, with a
// separator line from the end of the text to the control's right end.

#include <windows.h>

#include "win/framework/static_control.h"
#include "win/ui/separator.h"

namespace glintora {

class CStaticSeparator : public CStatic {
  GLINTORA_DECLARE_MESSAGE_MAP()

 public:
  // The id of the line, a child of the heading.
  static constexpr UINT kLineId = 0xFFFF;

  CStaticSeparator() = default;
  ~CStaticSeparator() override;

  const CSeparator& Line() const { return m_line; }

 protected:
  // Takes the bold font and makes the line.
  void PreSubclassWindow() override;
  // Moved or resized: the line is placed again and the heading redrawn.
  LRESULT OnWindowPosChanged(WPARAM, LPARAM);
  // The line asks for its background: it is the dialog's, as for this control.
  LRESULT OnCtlColorStatic(WPARAM wParam, LPARAM lParam);

 private:
  void PlaceLine();

  HFONT m_boldFont = nullptr;  // owned; the control's font while it lives
  CSeparator m_line;           // child window of the control
};

}  // namespace glintora
