// The settings on the real registry of the Windows build.

#include <windows.h>

#include <gtest/gtest.h>

#include "core/settings/config.h"
#include "win/framework/win_app.h"
#include "win/platform/registry_profile_store.h"

namespace glintora {
namespace {

// A registry key of the current user that exists for one test only.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_keyPath = "Software\\glintora-tests\\" + std::to_string(GetCurrentProcessId()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
    RegDeleteTreeA(HKEY_CURRENT_USER, m_keyPath.c_str());
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, m_keyPath.c_str()); }

  bool KeyExists(const std::string& path) const {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }
  void SetRaw(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, m_keyPath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
  }
  void SetRawString(const char* name, const std::string& text) {
    SetRaw(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
  }
  // Type and bytes of a value as the system reports them.
  std::pair<DWORD, std::string> GetRaw(const char* name) const {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, m_keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    char data[512];
    DWORD type = 0;
    DWORD size = sizeof data;
    const LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return {};
    return {type, std::string(data, size)};
  }

  std::string m_keyPath;
};

TEST_F(RegistryTest, ReadingCreatesTheKeyAndWritesNothing) {
  RegistryProfileStore store(m_keyPath);
  ASSERT_FALSE(KeyExists(m_keyPath));
  CConfig config(store);
  EXPECT_TRUE(KeyExists(m_keyPath));
  EXPECT_EQ(GetRaw("Delay").first, 0u);
  EXPECT_EQ(config.m_delay, 3.0);
}

TEST_F(RegistryTest, SavedFormsAreTheSystemTypes) {
  RegistryProfileStore store(m_keyPath);
  {
    CConfig config(store);
    config.m_directory = "Z:\\photos";
    config.m_enlarge = true;
    config.m_usage[3] = 0;
    config.Save();
  }
  EXPECT_EQ(GetRaw("Delay"), std::make_pair(DWORD{REG_SZ}, std::string("3.000000\0", 9)));
  EXPECT_EQ(GetRaw("Transition Duration"), std::make_pair(DWORD{REG_SZ}, std::string("2.000000\0", 9)));
  EXPECT_EQ(GetRaw("Random"), std::make_pair(DWORD{REG_DWORD}, std::string("\1\0\0\0", 4)));
  EXPECT_EQ(GetRaw("Enlarge to screen"), std::make_pair(DWORD{REG_DWORD}, std::string("\1\0\0\0", 4)));
  EXPECT_EQ(GetRaw("Directory"), std::make_pair(DWORD{REG_SZ}, std::string("Z:\\photos\0", 10)));
  const auto usage = GetRaw("Usage");
  EXPECT_EQ(usage.first, DWORD{REG_BINARY});
  ASSERT_EQ(usage.second.size(), 101u);
  EXPECT_EQ(usage.second[3], 0);
  EXPECT_EQ(usage.second[100], 1);

  CConfig loaded(store);
  EXPECT_EQ(loaded.m_directory, "Z:\\photos");
  EXPECT_TRUE(loaded.m_enlarge);
  EXPECT_EQ(loaded.m_usage[3], 0);
  EXPECT_EQ(loaded.m_usage[4], 1);
}

TEST_F(RegistryTest, WrongTypesAndLengthsGiveDefaults) {
  const DWORD five = 5;
  SetRaw("Delay", REG_DWORD, &five, sizeof five);
  SetRawString("Random", "0");
  SetRawString("Transition Duration", "4.5");
  const DWORD zero = 0;
  SetRaw("Mute Movies", REG_DWORD, &zero, sizeof zero);
  const std::string hundred(100, '\0');
  SetRaw("Usage", REG_BINARY, hundred.data(), 100);

  RegistryProfileStore store(m_keyPath);
  CConfig config(store);
  EXPECT_EQ(config.m_delay, 3.0);
  EXPECT_TRUE(config.m_random);
  EXPECT_EQ(config.m_transitionDuration, 4.5);
  EXPECT_FALSE(config.m_muteMovies);
  for (uint8_t flag : config.m_usage) ASSERT_EQ(flag, 1);
}

TEST_F(RegistryTest, UserValuesLongerThanTheBufferAreNotTaken) {
  SetRawString("Folder", "C:\\0123456789");
  const DWORD threshold = 9;
  SetRaw("Threshold", REG_DWORD, &threshold, sizeof threshold);
  RegistryProfileStore store("Software\\glintora-tests\\unused");
  EXPECT_FALSE(store.ReadUserValue(m_keyPath, "Folder", 4));
  const auto folder = store.ReadUserValue(m_keyPath, "Folder", 64);
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->AsText(), "C:\\0123456789");
  const auto value = store.ReadUserValue(m_keyPath, "Threshold", 4);
  ASSERT_TRUE(value);
  EXPECT_EQ(*value, RegistryValue::Dword(9));
  EXPECT_FALSE(store.ReadUserValue(m_keyPath, "Missing", 64));
  EXPECT_FALSE(store.ReadUserValue(m_keyPath + "\\nothing", "Folder", 64));
  EXPECT_FALSE(KeyExists(m_keyPath + "\\nothing")) << "reading other keys creates nothing";
}

TEST_F(RegistryTest, FolderFallsBackToTheUsersShellFolders) {
  RegistryProfileStore store(m_keyPath);
  const auto pictures = store.ReadUserValue(kShellFoldersKey, "My Pictures", kShellFolderCapacity);
  const auto personal = store.ReadUserValue(kShellFoldersKey, "Personal", kShellFolderCapacity);
  const std::string expected = pictures ? pictures->AsText() : personal ? personal->AsText() : "";
  EXPECT_EQ(CConfig(store).m_directory, expected);
}

TEST_F(RegistryTest, ApplicationKeyIsSoftwareRegistryKeyAppName) {
  // The application object composes its key from the registry key name and its own name,
  // here the test program's module name.
  class TestApp final : public CWinApp {
   public:
    BOOL InitInstance() override {
      SetRegistryKey(registryKey.c_str());
      keyPath = static_cast<RegistryProfileStore&>(Profile()).AppKeyPath();
      Profile().WriteProfileInt("", "Probe", 17);
      return FALSE;
    }
    std::string registryKey;
    std::string keyPath;
  } app;
  app.registryKey = "glintora-tests\\" + std::to_string(GetCurrentProcessId()) + "-app";
  EXPECT_EQ(RunApplication(app, GetModuleHandleA(nullptr)), 0);
  EXPECT_EQ(app.keyPath, "Software\\" + app.registryKey + "\\" + app.AppName());
  EXPECT_FALSE(app.AppName().empty());
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, app.keyPath.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD value = 0;
  DWORD size = sizeof value;
  EXPECT_EQ(RegQueryValueExA(key, "Probe", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(value, 17u);
  RegCloseKey(key);
  RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + app.registryKey).c_str());
}

}  // namespace
}  // namespace glintora
