#pragma once
// A list box whose items carry check boxes: an owner-drawn fixed list with strings, attached
// by subclassing. Each item's check state is kept in its item data. A click on an item's box
// or the space bar on the caret item changes the state (for the automatic styles) and tells
// the parent with WM_COMMAND (control id, kCheckChangeNotification).

#include <windows.h>

#include "win/framework/wnd.h"

namespace glintora {

// The notification code the parent receives when a click or the space bar changed a check.
inline constexpr UINT kCheckChangeNotification = 40;

class CCheckListBox : public CWnd {
  GLINTORA_DECLARE_MESSAGE_MAP()

 public:
  // BS_CHECKBOX, BS_AUTOCHECKBOX, BS_3STATE or BS_AUTO3STATE: the automatic styles change
  // the state themselves; the others only notify.
  void SetCheckStyle(UINT style) { m_checkStyle = style; }
  UINT GetCheckStyle() const { return m_checkStyle; }
  // 0 unchecked, 1 checked, 2 indeterminate (three-state styles).
  void SetCheck(int index, int check);
  int GetCheck(int index) const;

  int AddString(const char* text);
  int GetCount() const;

  // The item under a client point and whether the point is on its box; -1 when none.
  int CheckFromPoint(POINT point, bool* onBox) const;
  // The item's box within its item rectangle.
  RECT BoxRect(const RECT& item) const;

 protected:
  // Gives the list an item height that fits its font and the boxes.
  void PreSubclassWindow() override;

  LRESULT OnDrawItem(WPARAM, LPARAM);
  LRESULT OnMeasureItem(WPARAM, LPARAM);
  LRESULT OnLButtonDown(WPARAM, LPARAM);
  LRESULT OnKeyDown(WPARAM, LPARAM);
  LRESULT OnChar(WPARAM, LPARAM);

 private:
  int MinimumItemHeight() const;
  // The user's click or key on item `index`: the next state for automatic styles, then the
  // parent's notification.
  void UserToggle(int index);
  void DrawItem(const DRAWITEMSTRUCT& item) const;

  UINT m_checkStyle = BS_CHECKBOX;
};

}  // namespace glintora
