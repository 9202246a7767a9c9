// The real glintora.scr under Wine: command lines, exit codes, windows and the registry.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "saver_process.h"
#include "saver_settings.h"

namespace glintora::e2e {
namespace {

// Every run of this program starts from a picture folder with nothing in it, so the window
// modes end at once unless a test points the saver elsewhere.
class EmptyFolderEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { m_settings.emplace().PointAt(m_folder.Path(), "3", true); }
  void TearDown() override { m_settings.reset(); }

 private:
  PictureFolder m_folder;
  std::optional<ScopedSettings> m_settings;
};
const auto* const kEmptyFolder = ::testing::AddGlobalTestEnvironment(new EmptyFolderEnvironment);

std::string ReadString(HMODULE module, UINT id) {
  char text[256];
  const int length = LoadStringA(module, id, text, sizeof text);
  return length > 0 ? std::string(text, static_cast<size_t>(length)) : std::string();
}

TEST(Saver, UnknownSwitchEndsAtOnceWithoutAWindow) {
  for (const char* arguments : {"/x", "-Q 12", "//s"}) {
    const SaverRun run = RunSaver(SaverPath(), arguments);
    ASSERT_TRUE(run.started) << arguments;
    EXPECT_FALSE(run.timedOut) << arguments;
    EXPECT_EQ(run.exitCode, 0u) << arguments;
    EXPECT_TRUE(run.windowTitles.empty()) << arguments;
  }
}

TEST(Saver, ChangePasswordModeEndsCleanly) {
  // Where the system keeps no saver password provider the request does nothing.
  for (const char* arguments : {"/a 0", "/A:1234", "-a"}) {
    const SaverRun run = RunSaver(SaverPath(), arguments);
    ASSERT_TRUE(run.started) << arguments;
    EXPECT_FALSE(run.timedOut) << arguments;
    EXPECT_EQ(run.exitCode, 0u) << arguments;
  }
}

TEST(Saver, QuotedProgramPathWithSpaces) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("glintora e2e " + std::to_string(GetCurrentProcessId()));
  std::filesystem::create_directories(folder);
  const std::filesystem::path copy = folder / "my saver.scr";
  std::filesystem::copy_file(SaverPath(), copy, std::filesystem::copy_options::overwrite_existing);
  for (const char* arguments : {"/s", "/x", "/a 5"}) {
    const SaverRun run = RunSaver(copy.string(), arguments);
    ASSERT_TRUE(run.started) << arguments;
    EXPECT_FALSE(run.timedOut) << arguments;
    EXPECT_EQ(run.exitCode, 0u) << arguments;
  }
  std::filesystem::remove_all(folder);
}

TEST(Saver, NoModeWritesTheSettings) {
  // The options dialog writes only on OK (options_e2e_test.cpp).
  const std::string before = DumpKey(kSettingsKey);
  for (const char* arguments : {"/s", "/p 0", "/a 0", "/x"}) {
    ASSERT_TRUE(RunSaver(SaverPath(), arguments).started);
  }
  EXPECT_EQ(DumpKey(kSettingsKey), before);
}

TEST(Saver, CarriesItsStringsPicturesIconAndManifest) {
  HMODULE module = LoadLibraryExA(SaverPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(ReadString(module, 1), "glintora");
  EXPECT_EQ(ReadString(module, 101), "vostrand.");
  EXPECT_EQ(ReadString(module, 104), "Preview");
  EXPECT_EQ(ReadString(module, 57344), "glintora");
  // Transition names, with the two that trade string numbers, and the two mask pictures.
  EXPECT_EQ(ReadString(module, 8001), "Fade in/out");
  EXPECT_EQ(ReadString(module, 8093), "[3D] Horizontal Flip");
  EXPECT_EQ(ReadString(module, 8094), "[3D] Cube faces");
  EXPECT_EQ(ReadString(module, 8101), "[3D] Explosion");
  EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(20000), MAKEINTRESOURCEA(2) /* RT_BITMAP */), nullptr);
  EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(20001), MAKEINTRESOURCEA(2) /* RT_BITMAP */), nullptr);
  // The options dialog: its template and zoom items, logo and icons.
  for (int icon : {128, 136, 3000}) {
    EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(icon), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */), nullptr) << icon;
  }
  EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(129), MAKEINTRESOURCEA(5) /* RT_DIALOG */), nullptr);
  EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(129), MAKEINTRESOURCEA(240) /* initial items */), nullptr);
  EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(130), MAKEINTRESOURCEA(2) /* RT_BITMAP */), nullptr);
  HRSRC manifest = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
  ASSERT_NE(manifest, nullptr);
  const char* text = static_cast<const char*>(LockResource(LoadResource(module, manifest)));
  const std::string xml(text, SizeofResource(module, manifest));
  EXPECT_NE(xml.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(xml.find("<dpiAware"), std::string::npos);
  EXPECT_NE(xml.find("<activeCodePage"), std::string::npos);
  FreeLibrary(module);
}

}  // namespace
}  // namespace glintora::e2e
