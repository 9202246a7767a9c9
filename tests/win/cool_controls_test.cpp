// The flat control look: which object each window class and button style gets, and, on a
// dialog of the tests, the controls taken at its initialisation, the hot control following
// the mouse, and a push button's frame as the screen shows it at rest and under the mouse.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <typeinfo>
#include <vector>

#include "dialog_driver.h"
#include "test_dialogs.h"
#include "win/framework/dialog.h"
#include "win/ui/cool_controls/cm_check_box.h"
#include "win/ui/cool_controls/cm_combo_box.h"
#include "win/ui/cool_controls/cm_edit.h"
#include "win/ui/cool_controls/cm_push_button.h"
#include "win/ui/cool_controls/control_kind.h"
#include "win/ui/cool_controls/cool_controls_manager.h"

namespace glintora {
namespace {

using testing::WaitUntil;

TEST(FlatLook, ClassifiesWindowClassesAndButtonStyles) {
  struct Case {
    const char* className;
    DWORD style;
    const char* parent;
    ControlKind kind;
  };
  const Case cases[] = {
      {"Button", BS_PUSHBUTTON, "", ControlKind::PushButton},
      {"button", BS_DEFPUSHBUTTON, "", ControlKind::PushButton},
      {"Button", BS_CHECKBOX, "", ControlKind::CheckBox},
      {"Button", BS_AUTOCHECKBOX | WS_TABSTOP, "", ControlKind::CheckBox},
      {"Button", BS_3STATE, "", ControlKind::CheckBox},
      {"Button", BS_AUTO3STATE, "", ControlKind::CheckBox},
      {"Button", BS_RADIOBUTTON, "", ControlKind::RadioButton},
      {"Button", BS_AUTORADIOBUTTON, "", ControlKind::RadioButton},
      {"Button", BS_GROUPBOX, "", ControlKind::None},
      {"Button", BS_OWNERDRAW, "", ControlKind::None},
      {"Button", BS_PUSHBUTTON | BS_FLAT, "", ControlKind::None},
      {"Button", BS_AUTOCHECKBOX | BS_FLAT, "", ControlKind::None},
      {"ComboBox", 0, "", ControlKind::ComboBox},
      {"ComboBoxEx32", 0, "", ControlKind::ComboBox},
      {"Edit", 0, "#32770", ControlKind::Edit},
      {"EDIT", 0, "ComboBox", ControlKind::EditCombo},
      {"msctls_hotkey32", 0, "", ControlKind::Edit},
      {"RichEdit", 0, "", ControlKind::Edit},
      {"RichEdit20W", 0, "", ControlKind::Edit},
      {"ListBox", 0, "", ControlKind::Generic},
      {"ComboLBox", 0, "", ControlKind::Generic},
      {"SysListView32", 0, "", ControlKind::Generic},
      {"SHELLDLL_DefView", 0, "", ControlKind::Generic},
      {"SysTreeView32", 0, "", ControlKind::Generic},
      {"SysMonthCal32", 0, "", ControlKind::Generic},
      {"msctls_trackbar32", 0, "", ControlKind::Generic},
      {"SysDateTimePick32", 0, "", ControlKind::DateTime},
      {"msctls_updown32", 0, "", ControlKind::ScrollBar},
      {"ScrollBar", 0, "", ControlKind::ScrollBar},
      {"SysIPAddress32", 0, "", ControlKind::IPAddress},
      {"SysHeader32", 0, "", ControlKind::Header},
      {"ToolbarWindow32", 0, "", ControlKind::Toolbar},
      {"SysTabControl32", 0, "", ControlKind::TabControl},
      {"Static", 0, "", ControlKind::None},
      {"#32770", 0, "", ControlKind::None},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClassifyControl(c.className, c.style, c.parent), c.kind) << c.className << " " << c.style;
  }
}

class FlatLookDialog : public CDialog {
 public:
  FlatLookDialog() : CDialog(IDD_TEST) {}
};

// What the screen shows at a point of `window` (window coordinates).
COLORREF ScreenPixel(HWND window, int x, int y) {
  RECT place{};
  GetWindowRect(window, &place);
  HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, place.left + x, place.top + y);
  ReleaseDC(nullptr, screen);
  return colour;
}

// The middles of a button's four sides, outer and inner ring: left, top, right, bottom.
std::vector<COLORREF> FramePixels(HWND button) {
  RECT place{};
  GetWindowRect(button, &place);
  const int w = place.right - place.left, h = place.bottom - place.top;
  return {ScreenPixel(button, 0, h / 2),     ScreenPixel(button, 1, h / 2),     ScreenPixel(button, w / 2, 0),
          ScreenPixel(button, w / 2, 1),     ScreenPixel(button, w - 1, h / 2), ScreenPixel(button, w - 2, h / 2),
          ScreenPixel(button, w / 2, h - 1), ScreenPixel(button, w / 2, h - 2)};
}

std::vector<COLORREF> Expected(const FrameColours& c) {
  return {c.outerTopLeft,     c.innerTopLeft,     c.outerTopLeft,     c.innerTopLeft,
          c.outerBottomRight, c.innerBottomRight, c.outerBottomRight, c.innerBottomRight};
}

TEST(FlatLook, TakesADialogsControlsOnlyWhileEnabled) {
  CCoolControlsManager manager;
  ASSERT_TRUE(manager.InstallHook(CCoolControlsManager::kCurrentThread, true));
  manager.Enable(false);
  FlatLookDialog plain;
  size_t takenWhileDisabled = 1;
  testing::RunDriven(plain, [&](HWND) { takenWhileDisabled = manager.ManagedCount(); });
  EXPECT_EQ(takenWhileDisabled, 0u);

  manager.Enable(true);
  FlatLookDialog flat;
  const struct {
    int id;
    const std::type_info& kind;
  } controls[] = {{IDC_T_NAME, typeid(CCMEdit)},       {IDC_T_FLAG, typeid(CCMCheckBox)},
                  {IDC_T_COMBO, typeid(CCMComboBox)},  {IDC_T_LIST, typeid(CCMControl)},
                  {IDC_T_NESTED, typeid(CCMPushButton)}, {IDOK, typeid(CCMPushButton)}};
  std::vector<bool> taken;
  testing::RunDriven(flat, [&](HWND window) {
    for (const auto& c : controls) {
      const CCMControl* control = manager.Control(GetDlgItem(window, c.id));
      taken.push_back(control && typeid(*control) == c.kind);
    }
  });
  EXPECT_EQ(taken, std::vector<bool>(std::size(controls), true));
  EXPECT_EQ(manager.ManagedCount(), 0u) << "the objects go with their windows";
  manager.UninstallHook();
  EXPECT_FALSE(manager.HoverTimerRunning());
}

TEST(FlatLook, APushButtonIsFlatAtRestAndRaisedUnderTheMouse) {
  CCoolControlsManager manager;
  ASSERT_TRUE(manager.InstallHook());
  FlatLookDialog dialog;
  HWND button = nullptr;
  bool hot = false, leftAgain = false;
  std::vector<COLORREF> atRest, underMouse, afterwards;
  testing::RunDriven(dialog, [&](HWND window) {
    button = GetDlgItem(window, IDC_T_NESTED);
    RECT place{};
    GetWindowRect(button, &place);
    RECT dialogPlace{};
    GetWindowRect(window, &dialogPlace);
    const POINT away{dialogPlace.right + 20, dialogPlace.bottom + 20};
    const FrameState rest{}, raised{true, false, false};

    SetCursorPos(away.x, away.y);
    WaitUntil([&] { return FramePixels(button) == Expected(PushButtonColours(rest)); }, 3000);
    atRest = FramePixels(button);

    SetCursorPos((place.left + place.right) / 2, (place.top + place.bottom) / 2);
    hot = WaitUntil([&] { return manager.HotControl() == button; }, 3000);
    WaitUntil([&] { return FramePixels(button) == Expected(PushButtonColours(raised)); }, 3000);
    underMouse = FramePixels(button);

    SetCursorPos(away.x, away.y);
    leftAgain = WaitUntil([&] { return manager.HotControl() == nullptr; }, 3000);
    WaitUntil([&] { return FramePixels(button) == Expected(PushButtonColours(rest)); }, 3000);
    afterwards = FramePixels(button);
  });
  const FrameState rest{}, raised{true, false, false};
  EXPECT_EQ(atRest, Expected(PushButtonColours(rest)));
  EXPECT_TRUE(hot) << "the button under the mouse is hot";
  EXPECT_EQ(underMouse, Expected(PushButtonColours(raised)));
  EXPECT_NE(underMouse, atRest);
  EXPECT_TRUE(leftAgain);
  EXPECT_EQ(afterwards, atRest);
}

}  // namespace
}  // namespace glintora
