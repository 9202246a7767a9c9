// The saver window in this process: the system's saver settings it reads, which close
// requests it follows, and input over a movie that passes nothing on.

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "../core/avi_writer.h"
#include "../core/fixtures.h"
#include "graphless_player.h"
#include "win/platform/registry_profile_store.h"
#include "win/saver/saver_wnd.h"

namespace glintora {
namespace {

constexpr const char* kTestKey = "Software\\glintora-tests\\saver-window";

// Replaces the values of the system's "Screen Savers" key for a test and puts them back.
class ScreenSaversKey {
 public:
  ScreenSaversKey() {
    RegCreateKeyExA(HKEY_CURRENT_USER, kScreenSaversKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr);
    for (const char* name : {"Password Delay", "Mouse Threshold"}) {
      DWORD type = 0, size = sizeof m_saved[0].data;
      Saved& saved = m_saved[m_count++];
      saved.present = RegQueryValueExA(m_key, name, nullptr, &type, saved.data, &size) == ERROR_SUCCESS;
      saved.type = type;
      saved.size = size;
      RegDeleteValueA(m_key, name);
    }
  }
  ~ScreenSaversKey() {
    const char* names[] = {"Password Delay", "Mouse Threshold"};
    for (int i = 0; i < 2; ++i) {
      if (m_saved[i].present) {
        RegSetValueExA(m_key, names[i], 0, m_saved[i].type, m_saved[i].data, m_saved[i].size);
      } else {
        RegDeleteValueA(m_key, names[i]);
      }
    }
    RegCloseKey(m_key);
  }
  void Set(const char* name, DWORD type, const std::vector<uint8_t>& bytes) {
    RegSetValueExA(m_key, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
  }

 private:
  struct Saved {
    bool present = false;
    DWORD type = 0, size = 0;
    BYTE data[64] = {};
  };
  HKEY m_key = nullptr;
  Saved m_saved[2];
  int m_count = 0;
};

class SaverWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
    testing::BmpRecipe recipe;
    recipe.width = 8;
    recipe.height = 8;
    recipe.rows.assign(8, std::vector<uint32_t>(8, 0x336699));
    testing::WriteBytes(folder.Path("1.bmp"), testing::EncodeBmp(recipe));
    std::string path = folder.Path("");
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    store.WriteProfileString("", "Directory", path);
    store.WriteProfileString("", "Delay", "30");
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey); }

  // Serves this thread's messages; true when a quit message was among them.
  static bool Pump() {
    MSG msg;
    bool quit = false;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) quit = true;
      DispatchMessageA(&msg);
    }
    return quit;
  }

  RegistryProfileStore store{kTestKey};
  testing::TempFolder folder;
  ScreenSaversKey screenSavers;
};

TEST_F(SaverWindowTest, ReadsTheSystemSaverSettingsWithTheirDefaults) {
  auto* window = new CglintoraWnd(store);
  window->ReadSystemSaverSettings();
  EXPECT_EQ(window->m_passwordDelay, 0u);
  EXPECT_EQ(window->m_mouseThreshold, 3);

  screenSavers.Set("Password Delay", REG_DWORD, {10, 0, 0, 0});
  screenSavers.Set("Mouse Threshold", REG_BINARY, {7, 1});  // two bytes: 0x0107, the rest zero
  window->ReadSystemSaverSettings();
  EXPECT_EQ(window->m_passwordDelay, 10u);
  EXPECT_EQ(window->m_mouseThreshold, 0x107);

  screenSavers.Set("Password Delay", REG_BINARY, {1, 2, 3, 4, 5});  // longer than a number: not taken
  screenSavers.Set("Mouse Threshold", REG_SZ, {'9', 0, 0, 0});      // the type is not checked
  window->ReadSystemSaverSettings();
  EXPECT_EQ(window->m_passwordDelay, 0u);
  EXPECT_EQ(window->m_mouseThreshold, '9');
  delete window;
}

TEST_F(SaverWindowTest, ClosesOnlyAfterAUserActionAndNeverDuringAPasswordCheck) {
  screenSavers.Set("Password Delay", REG_DWORD, {0x10, 0x0E, 0, 0});  // an hour without password
  auto* window = new CglintoraWnd(store);  // self-owned
  ASSERT_NE(window->CreateFullScreen(), 0);
  HWND handle = window->m_hWnd;
  SendMessageA(handle, WM_CLOSE, 0, 0);
  EXPECT_FALSE(Pump());
  ASSERT_TRUE(IsWindow(handle)) << "no user action asked to close";

  window->m_closeRequested = 1;
  window->m_checkingPassword = 1;  // a check running: a queued close is dropped
  SendMessageA(handle, WM_CLOSE, 0, 0);
  Pump();
  ASSERT_TRUE(IsWindow(handle));
  window->m_checkingPassword = 0;

  window->RequestClose();  // within the grace period: no password, the window goes
  // Its end posts the quit message for the application's loop and restores the cursor.
  EXPECT_TRUE(Pump());
  EXPECT_FALSE(IsWindow(handle));
  CURSORINFO cursor{};
  cursor.cbSize = sizeof cursor;
  GetCursorInfo(&cursor);
  EXPECT_TRUE(cursor.flags & CURSOR_SHOWING);
}

// A saver whose movies play in the MCI window, a child that takes the mouse and the keys and
// passes nothing on.
class MciSaver : public CglintoraWnd {
 public:
  explicit MciSaver(ProfileStore& settings) : CglintoraWnd(settings) {
    m_mciPlayer.SetForwardMouse(true);
    m_mciPlayer.ShowControls(false);
  }
  HWND MovieWindow() const { return m_mciPlayer.MciWindow(); }

 protected:
  CMediaPlayer& Player() override { return m_mciPlayer; }
  testing::GraphlessPlayer m_mciPlayer;
};

TEST_F(SaverWindowTest, InputOverAMovieThatPassesNothingOnEndsTheSaver) {
  testing::WriteBytes(folder.Path("0.avi"), testing::EncodeAvi(testing::SolidAvi(64, 48, 10, 100, 0x20E040)));
  store.WriteProfileInt("", "Play Movies", 1);
  store.WriteProfileInt("", "Random", 0);
  const struct {
    const char* what;
    UINT message;
    int cursorShift;  // pixels the cursor has moved since the start
    bool ends;
  } cases[] = {
      {"a mouse move beyond the threshold", WM_MOUSEMOVE, 40, true},
      {"a mouse move within it", WM_MOUSEMOVE, 2, false},
      {"a click", WM_LBUTTONDOWN, 0, true},
      {"a key", WM_KEYDOWN, 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetCursorPos(300, 300);
    auto* window = new MciSaver(store);  // self-owned
    ASSERT_NE(window->CreateFullScreen(), 0);
    HWND handle = window->m_hWnd;
    // The application's loop: each message is offered to the windows it is bound for first.
    const auto serve = [] {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT || CWnd::WalkPreTranslate(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    };
    HWND movie = nullptr;
    for (int tries = 0; tries < 500 && !(movie = window->MovieWindow()); ++tries) {
      serve();
      Sleep(10);
    }
    ASSERT_NE(movie, nullptr) << "the movie plays in the MCI window";
    SetCursorPos(300 + c.cursorShift, 300);
    PostMessageA(movie, c.message, c.message == WM_KEYDOWN ? 'A' : 0, MAKELPARAM(10, 10));
    for (int tries = 0; tries < 100 && IsWindow(handle); ++tries) {
      serve();
      Sleep(10);
    }
    EXPECT_EQ(!IsWindow(handle), c.ends);
    if (IsWindow(handle)) DestroyWindow(handle);
    serve();
  }
}

}  // namespace
}  // namespace glintora
