#include "win/ui/cool_controls/control_kind.h"

#include <string_view>

#include "core/base/text.h"

namespace glintora {
namespace {

struct ClassKind {
  std::string_view className;
  ControlKind kind;
};

// The window classes that get a flat look; "Button" is decided by its style.
constexpr ClassKind kClasses[] = {
    {"Button", ControlKind::PushButton},
    {"ComboBox", ControlKind::ComboBox},
    {"Edit", ControlKind::Edit},
    {"ListBox", ControlKind::Generic},
    {"SysListView32", ControlKind::Generic},
    {"SHELLDLL_DefView", ControlKind::Generic},
    {"SysTreeView32", ControlKind::Generic},
    {"SysDateTimePick32", ControlKind::DateTime},
    {"SysMonthCal32", ControlKind::Generic},
    {"msctls_updown32", ControlKind::ScrollBar},
    {"ComboLBox", ControlKind::Generic},
    {"ScrollBar", ControlKind::ScrollBar},
    {"ComboBoxEx32", ControlKind::ComboBox},
    {"msctls_hotkey32", ControlKind::Edit},
    {"SysIPAddress32", ControlKind::IPAddress},
    {"msctls_trackbar32", ControlKind::Generic},
    {"RichEdit", ControlKind::Edit},
    {"RichEdit20W", ControlKind::Edit},
    {"SysHeader32", ControlKind::Header},
    {"ToolbarWindow32", ControlKind::Toolbar},
    {"SysTabControl32", ControlKind::TabControl},
};

ControlKind ButtonKind(DWORD style) {
  if (style & BS_FLAT) return ControlKind::None;
  switch (style & BS_TYPEMASK) {
    case BS_GROUPBOX:
    case BS_OWNERDRAW:
      return ControlKind::None;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
      return ControlKind::CheckBox;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return ControlKind::RadioButton;
    default:
      return ControlKind::PushButton;
  }
}

}  // namespace

ControlKind ClassifyControl(const char* className, DWORD style, const char* parentClass) {
  const std::string_view name = className ? className : "";
  for (const ClassKind& entry : kClasses) {
    if (!EqualsIgnoreCase(name, entry.className)) continue;
    if (entry.kind == ControlKind::PushButton) return ButtonKind(style);
    if (entry.kind == ControlKind::Edit && EqualsIgnoreCase(name, "Edit") && parentClass &&
        EqualsIgnoreCase(parentClass, "ComboBox")) {
      return ControlKind::EditCombo;
    }
    return entry.kind;
  }
  return ControlKind::None;
}

}  // namespace glintora
