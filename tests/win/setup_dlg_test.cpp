// The options dialog in this process, on a registry key of its own, driven from a second
// thread: what a fresh user's OK stores, validation of the delay, the enable rules, Cancel,
// Browse through a stand-in folder browser (and which folder paths the real one refuses), the
// logo and the version text, and what the transitions dialog opened from it brings back.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/transitions/catalogue.h"
#include "dialog_driver.h"
#include "res/resource.h"
#include "win/platform/registry_profile_store.h"
#include "win/ui/setup_dlg.h"

namespace glintora {
namespace {

using testing::Checked;
using testing::FocusIn;
using testing::RunDriven;
using testing::TextOf;

// Answers each browse with the next scripted folder and keeps the requests.
class ScriptedBrowser final : public FolderBrowser {
 public:
  std::deque<std::optional<std::string>> answers;
  std::vector<FolderBrowseRequest> requests;
  std::optional<std::string> Browse(const FolderBrowseRequest& request) override {
    requests.push_back(request);
    std::optional<std::string> answer;
    if (!answers.empty()) answer = answers.front(), answers.pop_front();
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

  // Every value of the key as "type:data": DWORDs as numbers, binary data as its length.
  std::map<std::string, std::string> Values() const {
    std::map<std::string, std::string> values;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, m_keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
    char name[256];
    BYTE data[1024];
    for (DWORD i = 0, nameSize = sizeof name, size = sizeof data, type = 0;
         RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &size) == ERROR_SUCCESS;
         ++i, nameSize = sizeof name, size = sizeof data) {
      DWORD number = 0;
      std::memcpy(&number, data, sizeof number);
      values[name] = type == REG_DWORD ? "dword:" + std::to_string(number)
                     : type == REG_SZ  ? "sz:" + std::string(reinterpret_cast<char*>(data))
                                       : "binary:" + std::to_string(size);
    }
    RegCloseKey(key);
    return values;
  }

  // The raw bytes of a binary value.
  std::vector<uint8_t> Bytes(const char* name) const {
    std::vector<uint8_t> bytes(1024);
    DWORD size = static_cast<DWORD>(bytes.size());
    if (RegGetValueA(HKEY_CURRENT_USER, m_keyPath.c_str(), name, RRF_RT_REG_BINARY, nullptr, bytes.data(), &size) !=
        ERROR_SUCCESS) {
      return {};
    }
    bytes.resize(size);
    return bytes;
  }

  HWND Item(HWND dialog, int id) const { return GetDlgItem(dialog, id); }
  void Type(HWND dialog, int id, const char* text) const { SetWindowTextA(Item(dialog, id), text); }
  void Click(HWND dialog, int id) const { SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0); }

  std::string m_keyPath;
  std::optional<RegistryProfileStore> m_store;
  ScriptedBrowser m_browser;
  testing::MessageBoxRecorder m_boxes;
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

TEST_F(SetupDialogTest, AFreshUsersOkStoresTheDefaults) {
  CSetupDlg dialog(*m_store, nullptr, m_browser);
  std::vector<std::string> shown;
  std::string checks;
  COLORREF logoMiddle = 0, logoCorner = 0, besideLogo = 0;
  const INT_PTR result = RunDriven(dialog, [&](HWND window) {
    for (int id : {IDC_DIRECTORY, IDC_DELAY, IDC_VERSION, IDC_WEB_LINK, IDC_MOVIE_ZOOM}) {
      shown.push_back(TextOf(Item(window, id)));
    }
    for (int id : {IDC_RANDOM, IDC_RECURSIVE, IDC_ENLARGE, IDC_USE_TRANSITIONS, IDC_ALL_MONITORS, IDC_PLAY_MOVIES,
                   IDC_MUTE_MOVIES}) {
      checks += Checked(window, id) ? '1' : '0';
    }
    testing::WaitUntil([&] { return ScreenPixel(window, kLogoX + 24, kLogoY + 30) != ScreenPixel(window, 4, 4); });
    logoMiddle = ScreenPixel(window, kLogoX + 24, kLogoY + 30);
    logoCorner = ScreenPixel(window, kLogoX + 1, kLogoY + 1);
    besideLogo = ScreenPixel(window, kLogoX - 4, kLogoY + 1);
    Click(window, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  ASSERT_EQ(shown.size(), 5u);
  const std::string folder = shown[0];
  EXPECT_FALSE(folder.empty()) << "the user's picture folder";
  // The test program's product version is 2.7.9.4.
  EXPECT_EQ(std::vector<std::string>(shown.begin() + 1, shown.end()),
            (std::vector<std::string>{"3", "2.7.9", "Web site", "1"}));
  EXPECT_EQ(checks, "1101111");
  EXPECT_EQ(logoCorner, besideLogo) << "the logo's transparent colour is left out";
  EXPECT_NE(logoMiddle, besideLogo) << "the logo is painted";
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
                          {"Decode Ahead", "dword:1"},
                          {"Auto Rotate", "dword:1"},
                          {"Resume Shuffle", "dword:1"},
                          {"Movie Limit", "dword:600"},
                          {"All Monitors", "dword:1"},
                          {"Usage", "binary:101"},
                      }));
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
      Type(window, IDC_DELAY, c.text);
      Click(window, IDOK);  // focuses the button; a failure moves the focus to the delay
      EXPECT_EQ(m_boxes.Take(), std::vector<std::string>{c.message}) << c.text;
      EXPECT_EQ(FocusIn(window), Item(window, IDC_DELAY)) << c.text;
      DWORD start = 1, end = 0;
      SendDlgItemMessageA(window, IDC_DELAY, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                          reinterpret_cast<LPARAM>(&end));
      EXPECT_EQ(end - start, std::strlen(c.text)) << "the text is selected";
      EXPECT_TRUE(Values().empty()) << c.text;
    }
    Type(window, IDC_DELAY, "2.5");
    Click(window, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(Values()["Delay"], "sz:2.500000");
}

TEST_F(SetupDialogTest, CheckBoxesEnableTheirDependantsAndCancelWritesNothing) {
  m_store->WriteValue("", "Transition", RegistryValue::Dword(0));
  const auto before = Values();
  CSetupDlg dialog(*m_store, nullptr, m_browser);
  // Enabled: "Setup...", the zoom list, "Mute sound"; after each click.
  std::vector<std::string> states;
  const INT_PTR result = RunDriven(dialog, [&](HWND window) {
    for (int click : {0, IDC_USE_TRANSITIONS, IDC_PLAY_MOVIES, IDC_USE_TRANSITIONS, IDC_PLAY_MOVIES}) {
      if (click) Click(window, click);
      std::string state;
      for (int id : {IDC_TRANSITIONS_SETUP, IDC_MOVIE_ZOOM, IDC_MUTE_MOVIES}) {
        state += IsWindowEnabled(Item(window, id)) ? '1' : '0';
      }
      states.push_back(state);
    }
    Type(window, IDC_DELAY, "7");
    Click(window, IDCANCEL);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(states, (std::vector<std::string>{"011", "111", "100", "000", "011"}));
  EXPECT_EQ(Values(), before);
}

TEST_F(SetupDialogTest, BrowseStoresTheChosenFolderWithATrailingBackslash) {
  struct Case {
    std::optional<std::string> chosen;
    std::string shown;  // the folder control afterwards
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"D:\\photos", "D:\\photos\\", {}},
      {"E:\\", "E:\\", {}},        // a drive root already ends in one
      {std::nullopt, "E:\\", {}},  // cancelled
      {"", "E:\\", {kUnusableFolderMessage}},  // a folder whose path cannot be used
  };
  m_store->WriteValue("", "Directory", RegistryValue::String("C:\\start"));
  for (const Case& c : cases) m_browser.answers.push_back(c.chosen);
  CSetupDlg dialog(*m_store, nullptr, m_browser);
  std::vector<std::string> shown;
  std::vector<std::vector<std::string>> messages;
  HWND dialogWindow = nullptr;
  RunDriven(dialog, [&](HWND window) {
    dialogWindow = window;
    for (size_t i = 0; i < std::size(cases); ++i) {
      Click(window, IDC_BROWSE);
      shown.push_back(TextOf(Item(window, IDC_DIRECTORY)));
      messages.push_back(m_boxes.Take());
    }
    Click(window, IDOK);
  });
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(shown.at(i), cases[i].shown) << i;
    EXPECT_EQ(messages.at(i), cases[i].messages) << i;
  }
  EXPECT_EQ(Values()["Directory"], "sz:E:\\");
  ASSERT_EQ(m_browser.requests.size(), std::size(cases));
  const FolderBrowseRequest& first = m_browser.requests[0];
  EXPECT_EQ(first.owner, dialogWindow);
  EXPECT_EQ(first.title, "Choose a directory");
  EXPECT_EQ(first.flags, 0x49u);
  EXPECT_EQ(first.initialFolder, "C:\\start");
  EXPECT_EQ(m_browser.requests[1].initialFolder, "D:\\photos\\") << "it opens at the current folder";
}

TEST_F(SetupDialogTest, BrowseAfterAFailedValidationKeepsTheOtherEdits) {
  m_browser.answers.push_back("D:\\new");
  CSetupDlg dialog(*m_store, nullptr, m_browser);
  std::string delay;
  std::string checks;
  std::vector<std::string> messages;
  RunDriven(dialog, [&](HWND window) {
    Type(window, IDC_DELAY, "abc");
    Click(window, IDC_RANDOM);        // exchanged after the delay
    Click(window, IDC_ALL_MONITORS);
    Click(window, IDC_MUTE_MOVIES);   // the last one exchanged
    SendDlgItemMessageA(window, IDC_MOVIE_ZOOM, CB_SETCURSEL, 3, 0);
    Click(window, IDC_BROWSE);
    messages = m_boxes.Take();
    delay = TextOf(Item(window, IDC_DELAY));
    checks = std::string(Checked(window, IDC_RANDOM) ? "1" : "0") + (Checked(window, IDC_MUTE_MOVIES) ? "1" : "0");
    Type(window, IDC_DELAY, "4");
    Click(window, IDOK);
  });
  EXPECT_EQ(messages, std::vector<std::string>{"Please enter a number."}) << "the browse tells what is wrong";
  EXPECT_EQ(m_browser.requests.size(), 1u) << "and goes on";
  EXPECT_EQ(delay, "abc");
  EXPECT_EQ(checks, "00");
  const auto values = Values();
  EXPECT_EQ(values.at("Directory"), "sz:D:\\new\\");
  EXPECT_EQ(values.at("Delay"), "sz:4.000000");
  EXPECT_EQ(values.at("Random"), "dword:0");
  EXPECT_EQ(values.at("Mute Movies"), "dword:0");
  EXPECT_EQ(values.at("All Monitors"), "dword:0");
  EXPECT_EQ(values.at("Movie Zoom"), "sz:3");
}

// Folders made for the folder browser's paths under the temporary folder, taken away again.
class TemporaryFolders {
 public:
  TemporaryFolders() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    m_base = std::wstring(temp, length) + L"glintora-browse-" + std::to_wstring(GetCurrentProcessId());
    Make(m_base);
  }
  ~TemporaryFolders() {
    for (auto folder = m_made.rbegin(); folder != m_made.rend(); ++folder) {
      RemoveDirectoryW(folder->c_str());
    }
  }
  const std::wstring& Base() const { return m_base; }
  // Makes `path` (its parent made already); false when it cannot be made.
  bool Make(const std::wstring& path) {
    if (!CreateDirectoryW(path.c_str(), nullptr)) return false;
    m_made.push_back(path);
    return true;
  }

 private:
  std::wstring m_base;
  std::vector<std::wstring> m_made;
};

TEST(FolderBrowser, AFolderPathTheShowCannotUseIsRefusedNotCut) {
  TemporaryFolders folders;
  const std::wstring& base = folders.Base();
  ASSERT_LT(base.size() + 2, kLongestFolderPath);
  struct Case {
    std::wstring path;
    bool usable;
  };
  std::vector<Case> cases = {
      {base + L"\\photos", true},
      {base + L"\\" + std::wstring(kLongestFolderPath - base.size() - 1, L'a'), true},
      {base + L"\\" + std::wstring(kLongestFolderPath - base.size(), L'b'), false},
  };
  // A letter of a script that no single- or double-byte code page has.
  if (GetACP() != CP_UTF8) cases.push_back({base + L"\\\u0d9e", false});
  for (const Case& c : cases) {
    ASSERT_TRUE(folders.Make(c.path)) << c.path.size();
    PIDLIST_ABSOLUTE item = nullptr;
    ASSERT_TRUE(SUCCEEDED(SHParseDisplayName(c.path.c_str(), nullptr, &item, 0, nullptr)) && item) << c.path.size();
    const std::string path = FolderPathOfItem(item);
    CoTaskMemFree(item);
    if (!c.usable) {
      EXPECT_EQ(path, "") << c.path.size();
      continue;
    }
    EXPECT_EQ(path.size(), c.path.size());
    std::wstring wide(path.begin(), path.end());  // the test's paths are ASCII
    EXPECT_EQ(CompareStringOrdinal(wide.c_str(), -1, c.path.c_str(), -1, TRUE), CSTR_EQUAL) << path;
  }
}

// Runs the transitions dialog from "Setup..." of the options dialog `options` and hands it to
// `script`.
void DriveSetup(HWND options, const std::function<void(HWND transitions)>& script) {
  PostMessageA(GetDlgItem(options, IDC_TRANSITIONS_SETUP), BM_CLICK, 0, 0);  // it opens a modal dialog
  HWND transitions = testing::FindThreadDialog(GetWindowThreadProcessId(options, nullptr), options);
  ASSERT_NE(transitions, nullptr) << "the transitions dialog appears";
  script(transitions);
  testing::WaitUntil([&] { return !IsWindow(transitions); });
}

TEST_F(SetupDialogTest, SetupBringsTheTransitionsBackOnlyOnItsOkAndOkSavesThem) {
  std::vector<uint8_t> usage(kTransitionCount, 0);
  usage[3] = 1;
  m_store->WriteValue("", "Usage", RegistryValue::Binary(usage));
  m_store->WriteValue("", "Transition Duration", RegistryValue::String("3.000000"));
  CSetupDlg dialog(*m_store, nullptr, m_browser);
  std::string shownAgain;
  RunDriven(dialog, [&](HWND window) {
    DriveSetup(window, [&](HWND transitions) {
      SendDlgItemMessageA(transitions, IDC_SELECT_ALL, BM_CLICK, 0, 0);
      SetDlgItemTextA(transitions, IDC_DURATION, "7");
      PostMessageA(transitions, WM_COMMAND, IDCANCEL, 0);
    });
    DriveSetup(window, [&](HWND transitions) {
      shownAgain = TextOf(GetDlgItem(transitions, IDC_DURATION)) + " " +
                   std::to_string(SendDlgItemMessageA(transitions, IDC_TRANSITION_LIST, LB_GETITEMDATA, 3, 0)) +
                   std::to_string(SendDlgItemMessageA(transitions, IDC_TRANSITION_LIST, LB_GETITEMDATA, 4, 0));
      SendDlgItemMessageA(transitions, IDC_SELECT_ALL, BM_CLICK, 0, 0);
      SetDlgItemTextA(transitions, IDC_DURATION, "0.5");
      PostMessageA(transitions, WM_COMMAND, IDOK, 0);
    });
    Click(window, IDOK);
  });
  EXPECT_EQ(shownAgain, "3 10") << "a cancelled Setup changes nothing";
  EXPECT_EQ(Bytes("Usage"), std::vector<uint8_t>(kTransitionCount, 1));
  EXPECT_EQ(Values()["Transition Duration"], "sz:0.500000");
}

TEST_F(SetupDialogTest, CancelAfterSetupWritesNothing) {
  CSetupDlg dialog(*m_store, nullptr, m_browser);
  RunDriven(dialog, [&](HWND window) {
    DriveSetup(window, [&](HWND transitions) {
      SendDlgItemMessageA(transitions, IDC_UNSELECT_ALL, BM_CLICK, 0, 0);
      SendDlgItemMessageA(transitions, IDC_TRANSITION_LIST, LB_SETITEMDATA, 9, 1);
      SetDlgItemTextA(transitions, IDC_DURATION, "4");
      PostMessageA(transitions, WM_COMMAND, IDOK, 0);
    });
    Click(window, IDCANCEL);
  });
  EXPECT_TRUE(Values().empty());
}

}  // namespace
}  // namespace glintora
