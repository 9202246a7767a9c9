#pragma once
// Which kind of flat-look object a window gets, from its window class and style.

#include <windows.h>

namespace glintora {

enum class ControlKind {
  None,  // left alone
  Generic,  // a control with a plain border: lists, trees, calendars, track bars
  PushButton,
  CheckBox,
  RadioButton,
  Edit,
  EditCombo,  // the edit field inside a combo box
  ComboBox,
  DateTime,
  ScrollBar,  // scroll bars and up-down arrows
  Header,
  TabControl,
  Toolbar,
  IPAddress,
};

// The kind for a window of class `className` (compared without case) with `style`, whose
// parent has class `parentClass` (may be empty). Buttons by style: group boxes, owner-drawn
// and flat buttons are left alone; check boxes (styles 2, 3, 5, 6), radio buttons (4, 9),
// push buttons otherwise.
ControlKind ClassifyControl(const char* className, DWORD style, const char* parentClass);

}  // namespace glintora
