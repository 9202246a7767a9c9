// The options dialog in this process, on a registry key of its own, driven from a second
// thread: its template, what a fresh user's OK stores, validation of the delay, the enable
// rules, Cancel, Browse through a stand-in folder browser, its links, logo and version.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "res/resource.h"
#include "win/platform/registry_profile_store.h"
#include "win/ui/product_links.h"
#include "win/ui/setup_dlg.h"

namespace glintora {
namespace {

using testing::Checked;
using testing::FocusIn;
using testing::MessageBoxRecorder;
using testing::RunDriven;
using testing::TextOf;

// Answers each browse with the next scripted folder and keeps the requests.
class ScriptedBrowser final : public FolderBrowser {
 public:
  std::deque<std::optional<std::string>> answers;
  std::vector<FolderBrowseRequest> requests;
  std::optional<std::string> Browse(const FolderBrowseRequest& request) override {
    requests.push_back(request);
    if (answers.empty()) return std::nullopt;
    std::optional<std::string> answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

class SetupDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_keyPath = "Software\\glintora-tests\\" + std::to_string(GetCurrentProcessId()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
    RegDeleteTreeA(HKEY_CURRENT_USER, m_keyPath.c_str());
    m_store.emplace(m_keyPath);
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, m_keyPath.c_str()); }

  // Every value of the key as "type:data" (DWORDs as numbers, binary as its length).
  std::map<std::string, std::string> Values() const {
    std::map<std::string, std::string> values;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, m_keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; ++i) {
      char name[256];
      DWORD nameSize = sizeof name;
      BYTE data[1024];
      DWORD size = sizeof data;
      DWORD type = 0;
      if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
      std::string text;
      if (type == REG_DWORD) {
        DWORD number = 0;
        std::memcpy(&number, data, sizeof number);
        text = "dword:" + std::to_string(number);
      } else if (type == REG_SZ) {
        text = "sz:" + std::string(reinterpret_cast<char*>(data), strnlen(reinterpret_cast<char*>(data), size));
      } else {
        text = "binary:" + std::to_string(size);
        if (std::all_of(data, data + size, [](BYTE b) { return b == 1; })) text += " all 1";
      }
      values[std::string(name, nameSize)] = text;
    }
    RegCloseKey(key);
    return values;
  }
  void SetNumber(const char* name, DWORD value) { m_store->WriteValue("", name, RegistryValue::Dword(value)); }

  HWND Item(HWND dialog, int id) const { return GetDlgItem(dialog, id); }
  void Type(HWND dialog, int id, const char* text) const { SetWindowTextA(Item(dialog, id), text); }
  void Click(HWND dialog, int id) const { SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0); }

  std::string m_keyPath;
  std::optional<RegistryProfileStore> m_store;
  ScriptedBrowser m_browser;
  MessageBoxRecorder m_boxes;
};

// What a program reading the screen sees at a client point of `window`.
COLORREF ScreenPixel(HWND window, int x, int y) {
  POINT p{x, y};
  ClientToScreen(window, &p);
  HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

TEST_F(SetupDialogTest, TheTemplateIsTheOptionsDialogsLayout) {
  struct Control {
    int id;
    const char* className;
    DWORD style;
    short x, y, cx, cy;
    const char* text;
  };
  const Control expected[] = {
      {1000, "edit", 0x50810880, 95, 69, 171, 14, ""},
      {1008, "button", 0x50010040, 271, 69, 16, 14, "Browse Source"},
      {1005, "button", 0x50010003, 95, 87, 48, 10, "Recursive"},
      {1004, "button", 0x50010003, 173, 87, 51, 10, "Randomize"},
      {1006, "button", 0x50010003, 95, 121, 166, 10, "Enlarge small images to fit screen"},
      {-1, "static", 0x50020000, 95, 138, 66, 8, "Change image every"},
      {1003, "edit", 0x50810080, 170, 135, 40, 14, ""},
      {1013, "button", 0x50010003, 95, 156, 68, 10, "Use transitions"},
      {1019, "button", 0x50010000, 170, 155, 50, 14, "Setup..."},
      {1022, "button", 0x50010003, 95, 189, 85, 10, "Play movies at zoom"},
      {1024, "button", 0x50010003, 95, 205, 108, 10, "Mute sound"},
      {1, "button", 0x50010001, 138, 234, 50, 14, "OK"},
      {1023, "combobox", 0x50210003, 185, 186, 69, 98, ""},
      {2, "button", 0x50010000, 193, 234, 50, 14, "Cancel"},
      {1009, "static", 0x50020000, 87, 53, 208, 8, "Image Files"},
      {-1, "static", 0x50020000, 220, 138, 28, 8, "seconds"},
      {1010, "static", 0x50020000, 87, 106, 208, 8, "Display"},
      {1011, "static", 0x50020000, 87, 220, 208, 8, "--"},
      {-1, "static", 0x50020001, 15, 93, 50, 8, "glintora"},
      {1015, "static", 0x50020001, 15, 105, 50, 8, "Version"},
      {1016, "static", 0x50020001, 15, 117, 50, 8, "www"},
      {-1, "button", 0x50000007, 7, 49, 67, 199, ""},
      {1012, "static", 0x50020000, 87, 176, 208, 8, "Movies"},
      {-1, "static", 0x50020000, 57, 11, 233, 21,
       "To Download, Organize, Modify and Share all your digital images,\nget tellurio, the fully featured digital "
       "imaging application from vostrand!"},
      {1017, "static", 0x50020000, 57, 32, 233, 8, "Tell me more about tellurio!"},
      {-1, "button", 0x50000007, 7, 3, 288, 45, ""},
      {-1, "static", 0x50000803, 14, 12, 21, 20, "#136"},
  };

  HINSTANCE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDD_OPTIONS), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
  ASSERT_NE(found, nullptr);
  const auto* base = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
  size_t at = 0;
  auto word = [&] {
    uint16_t v;
    std::memcpy(&v, base + at, 2);
    at += 2;
    return v;
  };
  auto dword = [&] {
    uint32_t v;
    std::memcpy(&v, base + at, 4);
    at += 4;
    return v;
  };
  // A text or an ordinal ("#n"); class ordinals are the system's control classes.
  auto nameOrOrdinal = [&](bool isClass) -> std::string {
    if (std::memcmp(base + at, "\xFF\xFF", 2) == 0) {
      at += 2;
      const uint16_t ordinal = word();
      static const std::map<uint16_t, std::string> classes = {
          {0x80, "button"}, {0x81, "edit"}, {0x82, "static"}, {0x83, "listbox"}, {0x85, "combobox"}};
      return isClass && classes.count(ordinal) ? classes.at(ordinal) : "#" + std::to_string(ordinal);
    }
    std::string text;
    for (uint16_t c = word(); c; c = word()) text += isClass ? static_cast<char>(tolower(c)) : static_cast<char>(c);
    return text;
  };
  ASSERT_EQ(word(), 1);       // version
  ASSERT_EQ(word(), 0xFFFF);  // extended template
  dword();                    // help id
  EXPECT_EQ(dword(), 0u);     // extended style
  EXPECT_EQ(dword(), 0x80C800C0u);
  const uint16_t count = word();
  word();
  word();
  EXPECT_EQ(word(), 302);
  EXPECT_EQ(word(), 255);
  EXPECT_EQ(nameOrOrdinal(false), "");  // no menu
  EXPECT_EQ(nameOrOrdinal(true), "");   // the system's dialog class
  EXPECT_EQ(nameOrOrdinal(false), "glintora Options");
  EXPECT_EQ(word(), 8);  // points
  word();                // weight
  word();                // italic, character set
  EXPECT_EQ(nameOrOrdinal(false), "Tahoma");

  ASSERT_EQ(count, std::size(expected));
  for (const Control& want : expected) {
    at = (at + 3) & ~size_t{3};
    dword();  // help id
    dword();  // extended style
    const DWORD style = dword();
    const short x = static_cast<short>(word()), y = static_cast<short>(word());
    const short cx = static_cast<short>(word()), cy = static_cast<short>(word());
    const int id = static_cast<int>(dword());
    const std::string className = nameOrOrdinal(true);
    const std::string text = nameOrOrdinal(false);
    at += word();  // creation data
    SCOPED_TRACE(want.text);
    EXPECT_EQ(id, want.id);
    EXPECT_EQ(className, want.className);
    EXPECT_EQ(style, want.style);
    EXPECT_EQ((std::vector<short>{x, y, cx, cy}), (std::vector<short>{want.x, want.y, want.cx, want.cy}));
    EXPECT_EQ(text, want.text);
  }
}

TEST_F(SetupDialogTest, AFreshUsersOkStoresTheDefaults) {
  CSetupDlg dialog(*m_store, nullptr, m_browser);
  std::map<int, std::string> shown;
  std::map<int, bool> checked;
  std::string folder;
  COLORREF logoMiddle = 0, logoCorner = 0, besideLogo = 0;
  const INT_PTR result = RunDriven(dialog, [&](HWND window) {
    folder = TextOf(Item(window, IDC_DIRECTORY));
    for (int id : {IDC_DELAY, IDC_VERSION, IDC_WEB_LINK, IDC_MOVIE_ZOOM}) shown[id] = TextOf(Item(window, id));
    for (int id : {IDC_RANDOM, IDC_RECURSIVE, IDC_ENLARGE, IDC_USE_TRANSITIONS, IDC_PLAY_MOVIES, IDC_MUTE_MOVIES}) {
      checked[id] = Checked(window, id);
    }
    shown[0] = std::to_string(SendDlgItemMessageA(window, IDC_MOVIE_ZOOM, CB_GETCOUNT, 0, 0));
    testing::WaitUntil([&] { return ScreenPixel(window, kLogoX + 1, kLogoY + 1) != CLR_INVALID; }, 2000);
    logoMiddle = ScreenPixel(window, kLogoX + 24, kLogoY + 30);
    logoCorner = ScreenPixel(window, kLogoX + 1, kLogoY + 1);
    besideLogo = ScreenPixel(window, kLogoX - 4, kLogoY + 1);
    Click(window, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_FALSE(folder.empty()) << "the user's picture folder";
  EXPECT_EQ(shown[IDC_DELAY], "3");
  EXPECT_EQ(shown[IDC_VERSION], "2.7.9") << "the test program's product version 2.7.9.4";
  EXPECT_EQ(shown[IDC_WEB_LINK], "Web site");
  EXPECT_EQ(shown[IDC_MOVIE_ZOOM], "1");
  EXPECT_EQ(shown[0], "4") << "Fullscreen, 1, 2, 3";
  EXPECT_EQ(checked, (std::map<int, bool>{{IDC_RANDOM, true},
                                          {IDC_RECURSIVE, true},
                                          {IDC_ENLARGE, false},
                                          {IDC_USE_TRANSITIONS, true},
                                          {IDC_PLAY_MOVIES, true},
                                          {IDC_MUTE_MOVIES, true}}));
  EXPECT_EQ(logoCorner, besideLogo) << "the logo's transparent colour is left out";
  EXPECT_NE(logoMiddle, besideLogo) << "the logo is painted";
  EXPECT_NE(logoMiddle, RGB(255, 0, 128));

  EXPECT_EQ(Values(), (std::map<std::string, std::string>{
                          {"Directory", "sz:" + folder},
                          {"Random", "dword:1"},
                          {"Recursive", "dword:1"},
                          {"Enlarge to screen", "dword:0"},
                          {"Delay", "sz:3.000000"},
                          {"Transition", "dword:1"},
                          {"Transition Duration", "sz:2.000000"},
                          {"Play Movies", "dword:1"},
                          {"Movie Zoom", "sz:1"},
                          {"Mute Movies", "dword:1"},
                          {"Usage", "binary:101 all 1"},
                      }));

  // The links: the program's page and the imaging program's, in the link colour whatever
  // their state, red under the mouse.
  EXPECT_EQ(dialog.WebLink().GetURL(), kProgramWebPage);
  EXPECT_EQ(dialog.ProductLink().GetURL(), kImagingProgramWebPage);
  for (const CvxHyperLink* link : {&dialog.WebLink(), &dialog.ProductLink()}) {
    const CvxHyperLink::Colours& colours = link->GetColours();
    EXPECT_EQ(colours.link, 0xFF0000u);
    EXPECT_EQ(colours.visited, 0xFF0000u);
    EXPECT_EQ(colours.focus, 0xFF0000u);
    EXPECT_EQ(colours.hover, 0x0000FFu);
  }
}

TEST_F(SetupDialogTest, AnInvalidDelayWritesNothingAndKeepsTheDialogOpen) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case refused[] = {
      {"0.5", "Please enter a number between 1 and 120."},
      {"121", "Please enter a number between 1 and 120."},
      {"abc", "Please enter a number."},
      {"nan", "Please enter a number."},
  };
  CSetupDlg dialog(*m_store, nullptr, m_browser);
  const INT_PTR result = RunDriven(dialog, [&](HWND window) {
    for (const Case& c : refused) {
      SCOPED_TRACE(c.text);
      m_boxes.Clear();
      Type(window, IDC_DELAY, c.text);
      Click(window, IDOK);
      EXPECT_EQ(m_boxes.Texts(), std::vector<std::string>{c.message});
      EXPECT_TRUE(IsWindow(window)) << "the dialog stays open";
      EXPECT_EQ(FocusIn(window), Item(window, IDC_DELAY));
      EXPECT_TRUE(Values().empty()) << "nothing written";
    }
    Type(window, IDC_DELAY, "2.5");
    Click(window, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(Values()["Delay"], "sz:2.500000");
}

TEST_F(SetupDialogTest, CheckBoxesEnableTheirDependantsAndCancelWritesNothing) {
  SetNumber("Transition", 0);
  SetNumber("Play Movies", 1);
  const auto before = Values();
  CSetupDlg dialog(*m_store, nullptr, m_browser);
  // Enabled states of Setup..., the zoom list and Mute sound, after each step.
  std::vector<std::string> states;
  const INT_PTR result = RunDriven(dialog, [&](HWND window) {
    auto state = [&] {
      std::string s;
      for (int id : {IDC_TRANSITIONS_SETUP, IDC_MOVIE_ZOOM, IDC_MUTE_MOVIES})
        s += IsWindowEnabled(Item(window, id)) ? '1' : '0';
      states.push_back(s);
    };
    state();
    Click(window, IDC_USE_TRANSITIONS);
    state();
    Click(window, IDC_PLAY_MOVIES);
    state();
    Click(window, IDC_PLAY_MOVIES);
    Click(window, IDC_USE_TRANSITIONS);
    state();
    Type(window, IDC_DELAY, "7");
    Click(window, IDC_ENLARGE);
    Click(window, IDCANCEL);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(states, (std::vector<std::string>{"011", "111", "100", "011"}));
  EXPECT_EQ(Values(), before);
}

TEST_F(SetupDialogTest, BrowseStoresTheChosenFolderWithATrailingBackslash) {
  struct Case {
    std::optional<std::string> chosen;
    std::string shown;  // the folder control afterwards
  };
  const Case cases[] = {
      {"D:\\photos", "D:\\photos\\"},
      {"E:\\", "E:\\"},        // a drive root already ends in one
      {std::nullopt, "E:\\"},  // cancelled
      {"", "E:\\"},            // an item without a folder path
      {"F:\\Bilder\\2024", "F:\\Bilder\\2024\\"},
  };
  m_store->WriteValue("", "Directory", RegistryValue::String("C:\\start"));
  for (const Case& c : cases) m_browser.answers.push_back(c.chosen);
  CSetupDlg dialog(*m_store, nullptr, m_browser);
  std::vector<std::string> shown;
  HWND dialogWindow = nullptr;
  RunDriven(dialog, [&](HWND window) {
    dialogWindow = window;
    for (size_t i = 0; i < std::size(cases); ++i) {
      Click(window, IDC_BROWSE);
      shown.push_back(TextOf(Item(window, IDC_DIRECTORY)));
    }
    Click(window, IDOK);
  });
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(shown[i], cases[i].shown) << i;
  EXPECT_EQ(Values()["Directory"], "sz:F:\\Bilder\\2024\\");
  ASSERT_EQ(m_browser.requests.size(), std::size(cases));
  const FolderBrowseRequest& first = m_browser.requests[0];
  EXPECT_EQ(first.owner, dialogWindow);
  EXPECT_EQ(first.title, "Choose a directory");
  EXPECT_EQ(first.flags, 0x49u);
  EXPECT_EQ(first.initialFolder, "C:\\start");
  EXPECT_EQ(m_browser.requests[1].initialFolder, "D:\\photos\\") << "the browser opens at the current folder";
  EXPECT_TRUE(m_boxes.Texts().empty());
}

TEST_F(SetupDialogTest, BrowseAfterAFailedValidationKeepsTheOtherEdits) {
  m_browser.answers.push_back("D:\\new");
  CSetupDlg dialog(*m_store, nullptr, m_browser);
  std::string delay;
  bool random = true, mute = true;
  std::string messages;
  RunDriven(dialog, [&](HWND window) {
    Type(window, IDC_DELAY, "abc");
    Click(window, IDC_RANDOM);       // exchanged after the delay
    Click(window, IDC_MUTE_MOVIES);  // the last one exchanged
    SendDlgItemMessageA(window, IDC_MOVIE_ZOOM, CB_SETCURSEL, 3, 0);
    Click(window, IDC_BROWSE);
    for (const std::string& text : m_boxes.Texts()) messages += text;
    delay = TextOf(Item(window, IDC_DELAY));
    random = Checked(window, IDC_RANDOM);
    mute = Checked(window, IDC_MUTE_MOVIES);
    Type(window, IDC_DELAY, "4");
    Click(window, IDOK);
  });
  EXPECT_EQ(messages, "Please enter a number.") << "the browse still tells what is wrong";
  EXPECT_EQ(m_browser.requests.size(), 1u) << "and goes on";
  EXPECT_EQ(delay, "abc");
  EXPECT_FALSE(random);
  EXPECT_FALSE(mute);
  const auto values = Values();
  EXPECT_EQ(values.at("Directory"), "sz:D:\\new\\");
  EXPECT_EQ(values.at("Delay"), "sz:4.000000");
  EXPECT_EQ(values.at("Random"), "dword:0");
  EXPECT_EQ(values.at("Mute Movies"), "dword:0");
  EXPECT_EQ(values.at("Movie Zoom"), "sz:3");
}

}  // namespace
}  // namespace glintora
