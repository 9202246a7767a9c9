// The installer and its uninstaller, run silently as an administrator would, in a Wine prefix
// of their own: what the setup puts down and writes for the current user and for everyone,
// the saver started from where it was put, an upgrade over a running saver, and the uninstall
// taking everything away again and giving back the saver chosen before.

#include <shlobj.h>
#include <shobjidl.h>
#include <tlhelp32.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "saver_process.h"
#include "saver_settings.h"

namespace glintora::e2e {
namespace {

constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\glintora";
constexpr const char* kDesktopKey = "Control Panel\\Desktop";
// The user's screen saver before glintora: a name only, nothing runs it.
constexpr const char* kPreviousSaver = "C:\\windows\\system32\\previous.scr";
constexpr const char* kTimeout = "840";
// Installing under Wine takes a few seconds; a first start of a prefix's shell many more.
constexpr DWORD kInstallWaitMs = 120000;

std::string WindowsPath(std::string unixPath) {
  std::replace(unixPath.begin(), unixPath.end(), '/', '\\');
  return "Z:" + unixPath;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(tolower(c)); });
  return text;
}

std::optional<std::string> ReadString(HKEY root, const char* key, const char* name) {
  char data[2048];
  DWORD size = sizeof data;
  if (RegGetValueA(root, key, name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) return std::nullopt;
  return std::string(data);
}

std::optional<DWORD> ReadNumber(HKEY root, const char* key, const char* name) {
  DWORD data = 0;
  DWORD size = sizeof data;
  if (RegGetValueA(root, key, name, RRF_RT_REG_DWORD, nullptr, &data, &size) != ERROR_SUCCESS) return std::nullopt;
  return data;
}

void WriteString(HKEY root, const char* key, const char* name, const std::string& value) {
  ASSERT_EQ(RegSetKeyValueA(root, key, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1)),
            ERROR_SUCCESS);
}

bool KeyExists(HKEY root, const char* key) {
  HKEY opened;
  if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<char> Bytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

std::string SystemFolder() {
  char path[MAX_PATH] = {};
  GetSystemDirectoryA(path, MAX_PATH);
  return path;
}

// One file by two names (a short and a long one, or in other letter cases).
bool SamePath(const std::optional<std::string>& a, const std::string& b) {
  if (!a) return false;
  auto longForm = [](const std::string& path) {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetLongPathNameA(path.c_str(), buffer, MAX_PATH);
    return Lower(length > 0 && length < MAX_PATH ? std::string(buffer) : path);
  };
  return longForm(*a) == longForm(b);
}

struct Shortcut {
  std::string target;
  std::string arguments;
};

std::optional<Shortcut> ReadShortcut(const std::string& path) {
  std::optional<Shortcut> result;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link)))) {
    return result;
  }
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    const std::wstring wide(path.begin(), path.end());
    char target[MAX_PATH] = {};
    char arguments[MAX_PATH] = {};
    if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) &&
        SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
        SUCCEEDED(link->GetArguments(arguments, MAX_PATH))) {
      result = Shortcut{target, arguments};
    }
    file->Release();
  }
  link->Release();
  return result;
}

// Runs a command line and waits for it, serving this thread's messages meanwhile (the setup
// tells every window that the screen saver changed). Its exit code, or ~0u when it did not
// start or end.
DWORD RunCommand(std::string commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return ~0u;
  }
  const DWORD begin = GetTickCount();
  DWORD code = ~0u;
  while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (GetTickCount() - begin > kInstallWaitMs) {
      TerminateProcess(process.hProcess, ~0u);
      WaitForSingleObject(process.hProcess, 5000);
      break;
    }
  }
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

// An uninstaller started from its folder copies itself to the temporary folder (as Un.exe;
// other makers' versions name it Un_A.exe or Au_.exe), starts the copy and ends at once; the
// copy does the work. True once no such copy runs.
bool UninstallerCopiesEnded() {
  const DWORD begin = GetTickCount();
  do {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    bool running = false;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
      const std::string name = Lower(entry.szExeFile);
      running = running || name == "un.exe" || name.rfind("un_", 0) == 0 || name == "au_.exe";
    }
    CloseHandle(snapshot);
    if (!running) return true;
    Sleep(200);
  } while (GetTickCount() - begin < kInstallWaitMs);
  return false;
}

// The places of an install for the current user or for everyone.
struct Install {
  HKEY root;
  std::string folder;     // the uninstaller's
  std::string saver;      // the program's
  std::string startMenu;  // the shortcuts' folder
};

Install ForCurrentUser() {
  const std::string folder = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\glintora";
  return {HKEY_CURRENT_USER, folder, folder + "\\glintora.scr", ShellFolder(CSIDL_PROGRAMS) + "\\glintora"};
}

Install ForEveryone() {
  return {HKEY_LOCAL_MACHINE, ShellFolder(CSIDL_PROGRAM_FILES) + "\\glintora", SystemFolder() + "\\glintora.scr",
          ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\glintora"};
}

// The saver's settings pointed at a folder of one red picture, for as long as the object lives.
struct RedPicture {
  RedPicture() {
    pictures.AddSolidBitmap("red.bmp", 200, 100, 0xC00000);
    settings.PointAt(pictures.Path(), "30", false);
  }
  PictureFolder pictures;
  ScopedSettings settings;
};

class InstallerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { CoInitialize(nullptr); }

  void SetUp() override { StartAfresh(); }
  void TearDown() override { RemoveEveryInstall(); }

  // Nothing installed, and a screen saver of the user's own, switched off, with a timeout.
  static void StartAfresh() {
    RemoveEveryInstall();
    ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
    ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    WriteString(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE", kPreviousSaver);
    WriteString(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive", "0");
    WriteString(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveTimeOut", kTimeout);
  }

  static DWORD Setup(const std::string& arguments) {
    return RunCommand("\"" + WindowsPath(GLINTORA_SETUP_PATH) + "\" " + arguments);
  }

  // Runs the uninstaller that the install's entry names, silently, and waits for its copy.
  static DWORD Uninstall(const Install& install, const std::string& arguments = "") {
    const std::optional<std::string> command = ReadString(install.root, kUninstallKey, "QuietUninstallString");
    if (!command) return ~0u;
    const DWORD code = RunCommand(*command + " " + arguments);
    return UninstallerCopiesEnded() ? code : ~0u;
  }

  static void RemoveEveryInstall() {
    for (const Install& install : {ForCurrentUser(), ForEveryone()}) {
      if (KeyExists(install.root, kUninstallKey)) Uninstall(install, "/REMOVESETTINGS");
    }
  }

  // What every install puts down and writes; the saver runs from `install.saver`.
  static void ExpectInstalled(const Install& install) {
    EXPECT_TRUE(Exists(install.saver));
    EXPECT_TRUE(Bytes(install.saver) == Bytes(WindowsPath(GLINTORA_SHIPPED_SCR_PATH)))
        << "the setup carries the program without its debug information";
    const std::string uninstaller = install.folder + "\\uninstall.exe";
    EXPECT_TRUE(Exists(uninstaller));

    EXPECT_TRUE(SamePath(ReadString(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE"), install.saver));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive"), "1");
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveTimeOut"), kTimeout) << "the user's timeout";

    const struct {
      const char* name;
      std::string value;
    } entry[] = {
        {"DisplayName", "glintora"},
        {"DisplayVersion", GLINTORA_VERSION},
        {"Publisher", GLINTORA_PUBLISHER},
        {"DisplayIcon", install.saver + ",0"},
        {"InstallLocation", install.folder},
        {"UninstallString", "\"" + uninstaller + "\""},
        {"QuietUninstallString", "\"" + uninstaller + "\" /S"},
        {"PreviousScreenSaver", kPreviousSaver},
        {"PreviousScreenSaveActive", "0"},
    };
    for (const auto& [name, value] : entry) {
      EXPECT_EQ(Lower(ReadString(install.root, kUninstallKey, name).value_or("(missing)")), Lower(value)) << name;
    }
    const DWORD kilobytes = static_cast<DWORD>(Bytes(install.saver).size() / 1024);
    EXPECT_GE(ReadNumber(install.root, kUninstallKey, "EstimatedSize").value_or(0), kilobytes);
    EXPECT_LE(ReadNumber(install.root, kUninstallKey, "EstimatedSize").value_or(0), kilobytes + 1024);

    const std::optional<Shortcut> settings = ReadShortcut(install.startMenu + "\\glintora Settings.lnk");
    ASSERT_TRUE(settings.has_value());
    EXPECT_TRUE(SamePath(settings->target, install.saver)) << settings->target;
    EXPECT_EQ(settings->arguments, "/c");
    const std::optional<Shortcut> remover = ReadShortcut(install.startMenu + "\\Uninstall glintora.lnk");
    ASSERT_TRUE(remover.has_value());
    EXPECT_TRUE(SamePath(remover->target, uninstaller)) << remover->target;
  }

  // Nothing of the install left, and the user's saver as it was before.
  static void ExpectRemoved(const Install& install) {
    for (const std::string& path : {install.saver, install.saver + ".old", install.folder, install.startMenu}) {
      EXPECT_FALSE(Exists(path)) << path;
    }
    EXPECT_FALSE(KeyExists(install.root, kUninstallKey));
  }
};

TEST_F(InstallerTest, EachModePutsTheSaverInPlaceAndTheUninstallGivesBackTheFormer) {
  const struct {
    const char* arguments;
    Install install;
    Install other;  // the other mode's places, left alone
  } modes[] = {
      {"/S", ForCurrentUser(), ForEveryone()},
      {"/S /ALLUSERS", ForEveryone(), ForCurrentUser()},
  };
  for (const auto& mode : modes) {
    SCOPED_TRACE(mode.arguments);
    ASSERT_EQ(Setup(mode.arguments), 0u);
    ExpectInstalled(mode.install);
    EXPECT_FALSE(Exists(mode.other.saver));
    EXPECT_FALSE(KeyExists(mode.other.root, kUninstallKey));

    ASSERT_EQ(Uninstall(mode.install), 0u);
    ExpectRemoved(mode.install);
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE"), kPreviousSaver);
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive"), "0");
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveTimeOut"), kTimeout);
    StartAfresh();
  }
}

TEST_F(InstallerTest, TheInstalledSaverShowsPicturesUntilAKey) {
  ASSERT_EQ(Setup("/S"), 0u);
  const RedPicture show;
  // On a prefix made moments before, Wine's desktop may still take the activation from the
  // first window shown, and the saver then ends at once, as it must when the user leaves:
  // such a run is started once more, its exit code kept for the message.
  std::optional<SaverProcess> run(std::in_place, ForCurrentUser().saver, "/s");
  HWND window = run->WaitForWindow(kSaverWaitMs);
  DWORD firstExit = 0;
  if (!window && run->WaitForExit(0, &firstExit)) {
    run.emplace(ForCurrentUser().saver, "/s");
    window = run->WaitForWindow(kSaverWaitMs);
  }
  ASSERT_NE(window, nullptr) << "a first run ended with " << firstExit;
  SaverProcess& saver = *run;
  const DWORD begin = GetTickCount();
  COLORREF centre = 0;
  do {
    Sleep(100);
    HDC screen = GetDC(nullptr);
    centre = GetPixel(screen, GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2);
    ReleaseDC(nullptr, screen);
  } while (centre != RGB(0xC0, 0, 0) && GetTickCount() - begin < kSaverWaitMs);
  EXPECT_EQ(centre, RGB(0xC0, 0, 0)) << "the picture in the middle of the screen";

  INPUT key[2] = {};
  key[0].type = key[1].type = INPUT_KEYBOARD;
  key[0].ki.wVk = key[1].ki.wVk = VK_SPACE;
  key[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, key, sizeof(INPUT));
  DWORD code = 1;
  EXPECT_TRUE(saver.WaitForExit(kSaverWaitMs, &code));
  EXPECT_EQ(code, 0u);
}

TEST_F(InstallerTest, UninstallRemovesTheSettingsOnlyWhenAskedAndKeepsASaverChosenSince) {
  const struct {
    const char* name;
    const char* arguments;
    const char* chosenSince;  // the user's choice after the install, if any
    bool settingsStay;
  } cases[] = {
      {"plain", "", nullptr, true},
      {"settings removed", "/REMOVESETTINGS", nullptr, false},
      {"another saver chosen since", "", "C:\\windows\\system32\\other.scr", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(Setup("/S"), 0u);
    WriteString(HKEY_CURRENT_USER, kSettingsKey, "Delay", "7.000000");
    if (c.chosenSince) WriteString(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE", c.chosenSince);

    ASSERT_EQ(Uninstall(ForCurrentUser(), c.arguments), 0u);
    ExpectRemoved(ForCurrentUser());
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE"),
              c.chosenSince ? c.chosenSince : kPreviousSaver);
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive"), c.chosenSince ? "1" : "0");
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kSettingsKey, "Delay"),
              c.settingsStay ? std::optional<std::string>("7.000000") : std::nullopt);
    StartAfresh();
  }
}

TEST_F(InstallerTest, AnUpgradeOverARunningSaverReplacesItAndKeepsTheSettings) {
  ASSERT_EQ(Setup("/S"), 0u);
  const Install install = ForCurrentUser();
  // An earlier build in place: the program as linked, with its debug information.
  ASSERT_TRUE(CopyFileA(WindowsPath(GLINTORA_SCR_PATH).c_str(), install.saver.c_str(), FALSE));
  const RedPicture show;
  const std::string before = DumpKey(kSettingsKey);

  SaverProcess saver(install.saver, "/s");
  ASSERT_NE(saver.WaitForWindow(kSaverWaitMs), nullptr);
  ASSERT_EQ(Setup("/S"), 0u);
  EXPECT_FALSE(saver.WaitForExit(0)) << "the running saver is left alone";
  EXPECT_EQ(DumpKey(kSettingsKey), before);
  ExpectInstalled(install);  // the new program in place already, for the saver's next start
  EXPECT_TRUE(Exists(install.saver + ".old")) << "the running program moved aside, to go at the next restart";
  EXPECT_EQ(ReadString(install.root, kUninstallKey, "PreviousScreenSaver"), kPreviousSaver)
      << "the saver before the first install is still the one to give back";
}

}  // namespace
}  // namespace glintora::e2e
