// The real glintora.scr in configure mode under Wine: this program finds its options
// dialog (and the transitions dialog opened from it) by caption, as another program would,
// sets controls, presses buttons, clicks check boxes and reads the settings back from the
// registry.

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "saver_process.h"
#include "saver_settings.h"

namespace glintora::e2e {
namespace {

constexpr const char* kCaption = "glintora Options";

// Polls `condition` until it holds or `limitMs` pass.
bool WaitUntil(const std::function<bool()>& condition, DWORD limitMs) {
  const DWORD begin = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - begin > limitMs) return false;
    Sleep(20);
  }
  return true;
}

// The visible top-level window of `saver` with `caption` (and class `className` when given).
HWND FindSaverWindow(const SaverProcess& saver, const char* caption, const char* className, DWORD limitMs) {
  struct Search {
    DWORD processId;
    const char* caption;
    const char* className;
    HWND found;
  } search{saver.ProcessId(), caption, className, nullptr};
  WaitUntil(
      [&] {
        EnumWindows(
            [](HWND window, LPARAM context) -> BOOL {
              auto* s = reinterpret_cast<Search*>(context);
              DWORD owner = 0;
              GetWindowThreadProcessId(window, &owner);
              char title[128] = {};
              char name[64] = {};
              GetWindowTextA(window, title, sizeof title);
              GetClassNameA(window, name, sizeof name);
              if (owner != s->processId || !IsWindowVisible(window) || std::string(title) != s->caption) return TRUE;
              if (s->className && std::string(name) != s->className) return TRUE;
              s->found = window;
              return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      limitMs);
  return search.found;
}

std::string ItemText(HWND dialog, int id) {
  char text[512] = {};
  SendDlgItemMessageA(dialog, id, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

// The texts of a window's children, one after another.
std::string ChildTexts(HWND window) {
  std::string texts;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM context) -> BOOL {
        char text[512] = {};
        GetWindowTextA(child, text, sizeof text);
        *reinterpret_cast<std::string*>(context) += std::string(text) + "|";
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&texts));
  return texts;
}

// Another process's pixels are read from the screen, not from its window's own DC.
COLORREF ScreenPixel(HWND window, int x, int y) {
  POINT p{x, y};
  ClientToScreen(window, &p);
  HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

// A click that may open a modal window is posted: a sent one would wait for that to end.
void PostClick(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// A click on the check box of item `index` of another process's check list: the item is
// scrolled to the top and the click lands on its box, left of the text. It is sent, not
// posted: a posted click could be served after the next scroll, which is sent.
void BoxClick(HWND dialog, int listId, int index) {
  HWND list = GetDlgItem(dialog, listId);
  SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
  const auto top = static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0));
  const auto height = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  const LPARAM at = MAKELPARAM(8, (index - top) * height + height / 2);
  SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(list, WM_LBUTTONUP, 0, at);
}

class OptionsTest : public ::testing::Test {
 protected:
  KeySnapshot m_snapshot;  // the dialog's OK writes every setting; all are put back
};

TEST_F(OptionsTest, EveryConfigureCommandLineOpensTheDialogAndCancelWritesNothing) {
  const std::string before = DumpKey(kSettingsKey);
  for (const char* arguments : {"/c", "/c:0", ""}) {
    SCOPED_TRACE(arguments);
    SaverProcess saver(SaverPath(), arguments);
    ASSERT_TRUE(saver.Started());
    HWND dialog = FindSaverWindow(saver, kCaption, "#32770", 20000);
    ASSERT_NE(dialog, nullptr) << "the options dialog appears";
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr) << "without owner";
    EXPECT_EQ(ItemText(dialog, 1015), GLINTORA_VERSION) << "the project's version";
    EXPECT_EQ(ItemText(dialog, 1016), "Web site");
    // The logo at (36, 100): its transparent corner shows the dialog, its middle the picture.
    EXPECT_TRUE(
        WaitUntil([&] { return ScreenPixel(dialog, 36 + 24, 100 + 30) != ScreenPixel(dialog, 32, 101); }, kSaverWaitMs));
    EXPECT_EQ(ScreenPixel(dialog, 37, 101), ScreenPixel(dialog, 32, 101));
    SendDlgItemMessageA(dialog, 1003, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("9"));
    PostClick(dialog, IDCANCEL);
    DWORD code = 1;
    EXPECT_TRUE(saver.WaitForExit(20000, &code));
    EXPECT_EQ(code, 0u);
  }
  EXPECT_EQ(DumpKey(kSettingsKey), before);
}

TEST_F(OptionsTest, AnInvalidDelayIsNamedAndOkStoresWhatTheControlsWereSetTo) {
  const std::string before = DumpKey(kSettingsKey);
  SaverProcess saver(SaverPath(), "/c");
  HWND dialog = FindSaverWindow(saver, kCaption, "#32770", 20000);
  ASSERT_NE(dialog, nullptr);
  SendDlgItemMessageA(dialog, 1003, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("121"));
  PostClick(dialog, IDOK);
  // The message box, captioned with the program's name; the dialog stays and writes nothing.
  HWND box = FindSaverWindow(saver, "glintora", "#32770", 20000);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(ChildTexts(box).find("Please enter a number between 1 and 120."), std::string::npos) << ChildTexts(box);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 20000));
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(DumpKey(kSettingsKey), before);

  const std::string folder = ItemText(dialog, 1000);
  const bool random = SendDlgItemMessageA(dialog, 1004, BM_GETCHECK, 0, 0) == BST_CHECKED;
  SendDlgItemMessageA(dialog, 1003, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("2.5"));
  SendDlgItemMessageA(dialog, 1004, BM_CLICK, 0, 0);
  SendDlgItemMessageA(dialog, 1023, CB_SETCURSEL, 0, 0);  // sends no notification: sent here
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1023, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1023)));
  SendDlgItemMessageA(dialog, 1022, BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, 1023))) << "movies off: no zoom";
  PostClick(dialog, IDOK);
  DWORD code = 1;
  ASSERT_TRUE(saver.WaitForExit(20000, &code));
  EXPECT_EQ(code, 0u);
  const std::string values = DumpKey(kSettingsKey);
  for (const std::string& value :
       {"Delay=1:" + std::string("2.500000\0", 9), "Random=4:" + std::string(random ? "\0\0\0\0" : "\1\0\0\0", 4),
        "Movie Zoom=1:" + std::string("Fullscreen\0", 11), "Play Movies=4:" + std::string("\0\0\0\0", 4),
        "Directory=1:" + folder + std::string(1, '\0')}) {
    EXPECT_NE(values.find(value + ";"), std::string::npos) << value;
  }
}

TEST_F(OptionsTest, SetupChecksTransitionsByTheirBoxesAndOkStoresExactlyThose) {
  SaverProcess saver(SaverPath(), "/c");
  HWND dialog = FindSaverWindow(saver, kCaption, "#32770", 20000);
  ASSERT_NE(dialog, nullptr);
  PostClick(dialog, 1019);  // "Setup..."
  HWND transitions = FindSaverWindow(saver, "Transitions Setup", "#32770", 20000);
  ASSERT_NE(transitions, nullptr);
  EXPECT_EQ(GetWindow(transitions, GW_OWNER), dialog);
  EXPECT_FALSE(IsWindowEnabled(dialog)) << "the options dialog waits for it";
  SendDlgItemMessageA(transitions, 1055, BM_CLICK, 0, 0);  // "Unselect All"
  BoxClick(transitions, 1348, 4);
  BoxClick(transitions, 1348, 70);
  SendDlgItemMessageA(transitions, 1555, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("1.5"));
  PostClick(transitions, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(transitions); }, 20000));
  PostClick(dialog, IDOK);
  DWORD code = 1;
  ASSERT_TRUE(saver.WaitForExit(20000, &code));
  EXPECT_EQ(code, 0u);
  std::string usage(101, '\0');
  usage[4] = usage[70] = 1;
  const std::string values = DumpKey(kSettingsKey);
  EXPECT_NE(values.find("Usage=3:" + usage + ";"), std::string::npos);
  EXPECT_NE(values.find("Transition Duration=1:" + std::string("1.500000\0", 9) + ";"), std::string::npos);
}

}  // namespace
}  // namespace glintora::e2e
