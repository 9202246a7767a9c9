// The options dialog's controls and helpers: opening a link (with the browser command as
// fallback, read from the registry, with COM for the shell, and the error texts), the link
// control, the transparent bitmap, the section heading with its line, the older systems'
// dialog font and the system-version rule.

#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "dialog_driver.h"
#include "res/resource.h"
#include "test_dialogs.h"
#include "win/platform/system_version.h"
#include "win/ui/dialog_font_hook.h"
#include "win/ui/hyper_link.h"
#include "win/ui/link_shell.h"
#include "win/ui/separator.h"
#include "win/ui/static_separator.h"
#include "win/ui/theme_library.h"
#include "win/ui/transparent_bitmap.h"

namespace glintora {
namespace {

// The COM apartment the calling thread has entered: "sta", "mta" or "none". A thread that
// has not is counted in the process's multi-threaded apartment once another thread made
// one: that is still "none".
std::string Apartment() {
  APTTYPE type{};
  APTTYPEQUALIFIER qualifier{};
  if (FAILED(CoGetApartmentType(&type, &qualifier)) || qualifier == APTTYPEQUALIFIER_IMPLICIT_MTA) return "none";
  return type == APTTYPE_MTA ? "mta" : "sta";
}

// Answers as told and keeps what it was asked to open and run, and the apartment it opened in.
struct FakeShell final : LinkShell {
  int openResult = 42;
  std::optional<std::string> command;
  int runResult = 0;
  std::vector<std::string> opened, ran;
  std::string openApartment;
  int Open(const std::string& target) override {
    openApartment = Apartment();
    return opened.push_back(target), openResult;
  }
  std::optional<std::string> WebPageOpenCommand() override { return command; }
  int Run(const std::string& line) override { return ran.push_back(line), runResult; }
};

TEST(LinkShell, TheBrowserCommandIsTheFallbackAndItsFailureIsNamed) {
  struct Case {
    int openResult;
    std::optional<std::string> command;
    int runResult;
    bool opened;
    int code;
    std::vector<std::string> ran;
  };
  const std::string target = "https://example.test/a b";
  const Case cases[] = {
      {42, "unused", 0, true, 42, {}},
      {2, std::nullopt, 0, false, 2, {}},
      {31, "\"C:\\web.exe\" -nohome \"%1\"", 33, true, 33, {"\"C:\\web.exe\" -nohome  \"https://example.test/a b\""}},
      {31, "C:\\web.exe %1 -x", 0, false, 0, {"C:\\web.exe  \"https://example.test/a b\""}},
      {5, "C:\\web.exe", 11, false, 11, {"C:\\web.exe \"https://example.test/a b\""}},
  };
  for (const Case& c : cases) {
    FakeShell shell;
    shell.openResult = c.openResult;
    shell.command = c.command;
    shell.runResult = c.runResult;
    const LinkOpenResult result = OpenLinkTarget(shell, target);
    EXPECT_EQ(result.opened, c.opened) << c.openResult;
    EXPECT_EQ(result.code, c.code) << c.openResult;
    EXPECT_EQ(shell.ran, c.ran) << c.openResult;
    EXPECT_EQ(shell.opened, std::vector<std::string>{target});
  }
  // A quote in the target cannot end the quoted argument.
  EXPECT_EQ(BrowserCommandLine("web %1", "a\"b"), "web  \"a%22b\"");

  EXPECT_EQ(LinkErrorMessage(26), "Can't open link:\n\nA sharing violation occurred. ");
  EXPECT_EQ(LinkErrorMessage(33), "Can't open link:\n\nUnknown Error (33) occurred.");
}

TEST(LinkShell, TheShellOpensWithCOMAndLeavesTheThreadAsItWas) {
  struct Case {
    const char* before;      // the thread's apartment before
    DWORD model;             // how the thread entered it
    const char* duringOpen;  // the apartment the shell's open sees
  };
  const Case cases[] = {
      {"none", 0, "sta"},
      {"sta", COINIT_APARTMENTTHREADED, "sta"},
      {"mta", COINIT_MULTITHREADED, "mta"},  // not changeable: the open goes on there
  };
  auto check = [&](const char* process) {
    for (const Case& c : cases) {
      std::string before, during, after;
      std::thread([&] {
        const bool entered = std::string(c.before) != "none";
        if (entered) CoInitializeEx(nullptr, c.model);
        before = Apartment();
        FakeShell shell;
        OpenLinkTarget(shell, "https://example.test/");
        during = shell.openApartment;
        after = Apartment();
        if (entered) CoUninitialize();
      }).join();
      EXPECT_EQ(before, c.before) << process;
      EXPECT_EQ(during, c.duringOpen) << c.before << ", " << process;
      EXPECT_EQ(after, c.before) << "balanced; " << process;
    }
  };
  check("as the process is");
  // The same while another thread holds the process's multi-threaded apartment.
  HANDLE entered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread holder([&] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    SetEvent(entered);
    WaitForSingleObject(release, INFINITE);
    CoUninitialize();
  });
  WaitForSingleObject(entered, INFINITE);
  check("with a multi-threaded apartment elsewhere");
  SetEvent(release);
  holder.join();
  CloseHandle(entered);
  CloseHandle(release);
}

TEST(LinkShell, RegistryCommandsAreReadAsTextWithTheirVariablesExpanded) {
  const std::string keyPath = "Software\\glintora-tests\\" + std::to_string(GetCurrentProcessId()) + "-link";
  SetEnvironmentVariableA("GLINTORA_TEST_BROWSERS", "C:\\Web Browsers");
  SetEnvironmentVariableA("GLINTORA_TEST_NOTHING", "");
  struct Case {
    const char* name;
    DWORD type;
    std::string data;  // stored as given, without a terminating zero
    std::optional<std::string> read;
  };
  const Case cases[] = {
      {"plain", REG_SZ, "\"C:\\web.exe\" \"%1\"", "\"C:\\web.exe\" \"%1\""},
      {"expanded", REG_EXPAND_SZ, "\"%GLINTORA_TEST_BROWSERS%\\web.exe\" -url \"%1\"",
       "\"C:\\Web Browsers\\web.exe\" -url \"%1\""},
      {"expanded to nothing", REG_EXPAND_SZ, "%GLINTORA_TEST_NOTHING%", std::nullopt},
      {"a number", REG_DWORD, std::string(4, '\x01'), std::nullopt},
      {"empty", REG_SZ, "", std::nullopt},
  };
  for (const Case& c : cases) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (keyPath + "\\" + c.name).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, nullptr, 0, c.type, reinterpret_cast<const BYTE*>(c.data.data()),
                   static_cast<DWORD>(c.data.size()));
    RegCloseKey(key);
  }
  for (const Case& c : cases) {
    EXPECT_EQ(RegistryDefaultText(HKEY_CURRENT_USER, keyPath + "\\" + c.name), c.read) << c.name;
  }
  EXPECT_EQ(RegistryDefaultText(HKEY_CURRENT_USER, keyPath + "\\missing"), std::nullopt);
  RegDeleteTreeA(HKEY_CURRENT_USER, keyPath.c_str());
  SetEnvironmentVariableA("GLINTORA_TEST_BROWSERS", nullptr);
  SetEnvironmentVariableA("GLINTORA_TEST_NOTHING", nullptr);
}

// A visible parent for controls: a framework window, so that it hands the controls their
// colour messages.
class ControlHost {
 public:
  ControlHost() {
    m_window.CreateEx(WS_EX_TOPMOST, CWnd::RegisterWindowClass(0, nullptr, GetSysColorBrush(COLOR_BTNFACE), nullptr),
                      "host", WS_POPUP | WS_VISIBLE, RECT{20, 20, 420, 220}, nullptr, 0);
  }
  HWND Handle() const { return m_window.m_hWnd; }
  // A static child control.
  HWND AddStatic(const char* text, DWORD style, const RECT& rect, UINT id) const {
    return CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE | style, rect.left, rect.top,
                           rect.right - rect.left, rect.bottom - rect.top, m_window.m_hWnd,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  }
  // The child's rectangle in the host's client coordinates.
  RECT PlaceOf(HWND child) const {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, m_window.m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }

 private:
  CWnd m_window;
};

SIZE TextExtent(HFONT font, const std::string& text) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size;
}

LOGFONTA FontOf(HWND window) {
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

TEST(HyperLink, ShowsItselfAsALinkAndOpensItsTarget) {
  ControlHost host;
  HWND label = host.AddStatic("Visit", SS_CENTER, RECT{10, 10, 210, 40}, 5);
  FakeShell shell;
  CvxHyperLink link(shell);
  ASSERT_TRUE(link.SubclassWindow(label));
  EXPECT_EQ(link.GetURL(), "Visit") << "without a target its text is the target";
  EXPECT_TRUE(FontOf(label).lfUnderline);
  const SIZE text = TextExtent(link.GetFont(), "Visit");
  const RECT place = host.PlaceOf(label);
  EXPECT_EQ(place.right - place.left, text.cx) << "sized to its text";
  EXPECT_EQ(place.bottom - place.top, text.cy);
  EXPECT_NEAR((place.left + place.right) / 2, 110, 1) << "centred where the static centres its text";
  EXPECT_EQ(place.top, 10);
  // Without the help program's cursor (as under Wine) the system's hand, never none.
  char help[MAX_PATH + 16] = {};
  GetWindowsDirectoryA(help, MAX_PATH);
  std::strcat(help, "\\winhlp32.exe");
  if (GetFileAttributesA(help) == INVALID_FILE_ATTRIBUTES) {
    EXPECT_EQ(CvxHyperLink::HandCursor(), LoadCursor(nullptr, IDC_HAND));
  }
  EXPECT_NE(CvxHyperLink::HandCursor(), nullptr);
  EXPECT_EQ(SendMessageA(label, WM_NCHITTEST, 0, 0), HTCLIENT);

  // The host hands the link its colour message: its colour on a transparent background.
  HDC dc = CreateCompatibleDC(nullptr);
  auto textColourSet = [&] {
    SetTextColor(dc, RGB(1, 2, 3));
    const LRESULT brush =
        SendMessageA(host.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label));
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    return GetTextColor(dc);
  };
  const CvxHyperLink::Colours colours;
  EXPECT_EQ(textColourSet(), colours.link);

  // A click opens the target and takes the focus; without the focus it shows as visited.
  SendMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageA(label, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(shell.opened, std::vector<std::string>{"Visit"});
  EXPECT_TRUE(link.GetVisited());
  EXPECT_EQ(GetFocus(), label);
  EXPECT_EQ(textColourSet(), colours.focus);
  SetFocus(host.Handle());
  EXPECT_EQ(textColourSet(), colours.visited);
  // The space bar opens it too; a press that began elsewhere does not.
  SendMessageA(label, WM_KEYDOWN, VK_SPACE, 0);
  SendMessageA(label, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(shell.opened.size(), 2u);

  // Under the mouse, with the hover option, it takes the mouse and the hover colour.
  link.SetOptions(link.GetOptions() | CvxHyperLink::kUseHoverColour);
  SendMessageA(label, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
  EXPECT_EQ(GetCapture(), label);
  EXPECT_EQ(textColourSet(), colours.hover);
  SendMessageA(label, WM_MOUSEMOVE, 0, MAKELPARAM(static_cast<WORD>(-5), 1));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(textColourSet(), colours.visited);

  // A target that cannot be opened beeps and says why.
  testing::MessageBoxRecorder boxes;
  shell.openResult = 31;
  link.SetURL("nowhere:");
  link.SetVisited(false);
  EXPECT_FALSE(link.Open());
  EXPECT_FALSE(link.GetVisited());
  EXPECT_EQ(boxes.Take(), std::vector<std::string>{LinkErrorMessage(31)});
  EXPECT_EQ(boxes.LastOwner(), host.Handle());
  DeleteDC(dc);

  // New text: sized again around the same centre.
  link.SetLinkText("Web site");
  const RECT resized = host.PlaceOf(label);
  EXPECT_EQ(resized.right - resized.left, TextExtent(link.GetFont(), "Web site").cx);
  EXPECT_NEAR((resized.left + resized.right) / 2, 110, 1);
}

TEST(TransparentBitmap, LeavesOutItsTransparentColour) {
  CvxTransparentBitmap logo;
  ASSERT_TRUE(logo.Load(IDB_LOGO, 0x8000FF));
  ASSERT_EQ(logo.Size().cx, 48);
  EXPECT_FALSE(CvxTransparentBitmap().Load(4242, 0));
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP target = CreateCompatibleBitmap(screen, 50, 50);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, target);
  const RECT all{0, 0, 50, 50};
  const COLORREF green = RGB(0, 192, 0);
  HBRUSH brush = CreateSolidBrush(green);
  FillRect(dc, &all, brush);
  logo.Draw(dc, 1, 1);
  // The logo's corners are transparent, its middle is the photo.
  EXPECT_EQ(GetPixel(dc, 1, 1), green);
  EXPECT_EQ(GetPixel(dc, 48, 48), green);
  EXPECT_NE(GetPixel(dc, 25, 30), green);
  EXPECT_NE(GetPixel(dc, 25, 30), RGB(255, 0, 128));
  EXPECT_EQ(GetPixel(dc, 49, 25), green) << "nothing beyond its size";
  // A load that fails leaves it empty, not with the picture from before.
  EXPECT_FALSE(logo.Load(4242, 0));
  EXPECT_FALSE(logo.Loaded());
  EXPECT_EQ(logo.Size().cx, 0);
  FillRect(dc, &all, brush);
  logo.Draw(dc, 1, 1);
  EXPECT_EQ(GetPixel(dc, 25, 30), green);
  SelectObject(dc, old);
  DeleteObject(brush);
  DeleteObject(target);
  DeleteDC(dc);
}

TEST(StaticSeparator, ShowsABoldHeadingWithALineToItsEnd) {
  ControlHost host;
  HWND label = host.AddStatic("Heading", 0, RECT{10, 10, 210, 26}, 6);
  SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  CStaticSeparator heading;
  ASSERT_TRUE(heading.SubclassWindow(label));
  EXPECT_EQ(FontOf(label).lfWeight, FW_BOLD);
  HWND line = GetDlgItem(label, CStaticSeparator::kLineId);
  ASSERT_EQ(line, heading.Line().m_hWnd);
  EXPECT_EQ(GetWindowLongA(line, GWL_STYLE) & (WS_CHILD | WS_VISIBLE), WS_CHILD | WS_VISIBLE);
  const SIZE text = TextExtent(heading.GetFont(), "Heading ");
  auto linePlace = [&] {
    RECT rect{};
    GetWindowRect(line, &rect);
    MapWindowPoints(nullptr, label, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  };
  const LONG drop = ThemeLibrary::Get().IsAppThemed() ? text.cy / 3 : 0;
  EXPECT_EQ(linePlace().left, text.cx);
  EXPECT_EQ(linePlace().right, 200);
  EXPECT_EQ(linePlace().top, drop);
  SetWindowPos(label, nullptr, 0, 0, 150, 16, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(linePlace().right, 150) << "the line follows the control's size";
}

TEST(Separator, DrawsALineThroughItsMiddle) {
  ControlHost host;
  CSeparator separator;
  ASSERT_TRUE(separator.Create(host.Handle(), RECT{10, 10, 110, 22}, 7));
  UpdateWindow(host.Handle());
  UpdateWindow(separator.m_hWnd);
  HDC screen = GetDC(nullptr);
  POINT origin{10, 10};
  ClientToScreen(host.Handle(), &origin);
  auto rowDiffers = [&](int y) {
    const COLORREF background = GetPixel(screen, origin.x + 1, origin.y);
    for (int x = 0; x < 100; ++x) {
      if (GetPixel(screen, origin.x + x, origin.y + y) != background) return true;
    }
    return false;
  };
  EXPECT_FALSE(rowDiffers(1));
  EXPECT_TRUE(rowDiffers(5) || rowDiffers(6)) << "a line near the middle";
  EXPECT_FALSE(rowDiffers(11));
  ReleaseDC(nullptr, screen);
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST(DialogFontHook, GivesDialogControlsTahomaAndPagesKeepTheirSize) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  auto childFont = [](HWND dialog) { return FontOf(GetWindow(dialog, GW_CHILD)); };

  DialogFontHook hook;
  ASSERT_TRUE(hook.Install());
  EXPECT_FALSE(DialogFontHook().Install()) << "one hook per thread";
  HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TEST), nullptr, PlainDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  HWND page =
      CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TEST_PAGE), dialog, PlainDialogProc, 0);
  ASSERT_NE(page, nullptr);
  EXPECT_STREQ(childFont(dialog).lfFaceName, "Tahoma");
  EXPECT_EQ(childFont(dialog).lfHeight, -MulDiv(85, dpi, 720));
  EXPECT_STREQ(childFont(page).lfFaceName, "Tahoma");
  LOGFONTA pageFont{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(page, WM_GETFONT, 0, 0)), sizeof pageFont, &pageFont);
  EXPECT_EQ(childFont(page).lfHeight, pageFont.lfHeight) << "the page keeps its own size";
  DestroyWindow(dialog);

  hook.Remove();
  dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TEST), nullptr, PlainDialogProc, 0);
  EXPECT_STRNE(childFont(dialog).lfFaceName, "Tahoma") << "removed: dialogs keep their own font";
  DestroyWindow(dialog);
}

TEST(SystemVersion, OnlyNtWorkstationsFromVersion6KeepTheirDialogFont) {
  EXPECT_TRUE(IsNtWorkstation6OrLater({VER_PLATFORM_WIN32_NT, 6, 0, VER_NT_WORKSTATION}));
  EXPECT_FALSE(IsNtWorkstation6OrLater({VER_PLATFORM_WIN32_NT, 5, 1, VER_NT_WORKSTATION}));
  EXPECT_FALSE(IsNtWorkstation6OrLater({VER_PLATFORM_WIN32_NT, 10, 0, VER_NT_SERVER}));
  EXPECT_FALSE(IsNtWorkstation6OrLater({VER_PLATFORM_WIN32_WINDOWS, 6, 0, VER_NT_WORKSTATION}));
  EXPECT_GE(QuerySystemVersion().major, 5u);
}

}  // namespace
}  // namespace glintora
