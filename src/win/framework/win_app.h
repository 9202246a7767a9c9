#pragma once
// The application object of our small Win32 framework: start-up and shut-down hooks, the
// message loop, the application name and the per-user registry key with its profile
// functions.

#include <windows.h>

#include <memory>
#include <string>

#include "core/settings/profile_store.h"

namespace glintora {

class CWnd;

// String-table entry of the application's title, which is also its name.
inline constexpr UINT kAppTitleStringId = 57344;

class CWinApp {
 public:
  CWinApp() = default;
  virtual ~CWinApp() = default;
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Per-instance start-up; FALSE ends the application without a message loop.
  virtual BOOL InitInstance() { return TRUE; }
  // The message loop; returns the exit code that WM_QUIT carries.
  virtual int Run();
  // Called last, before the process ends; returns the exit code when there was no loop.
  virtual int ExitInstance() { return 0; }

  // Makes the settings key HKEY_CURRENT_USER\Software\<key>\<application name>.
  void SetRegistryKey(const char* key);
  void SetRegistryKey(UINT stringId);
  // The application key's profile functions. Valid after SetRegistryKey.
  ProfileStore& Profile();
  const std::string& AppName() const { return m_appName; }
  HINSTANCE Instance() const { return m_instance; }
  std::string LoadStringResource(UINT id) const;

  // The window whose end ends the application: when it is destroyed the framework posts the
  // quit message. Not owned.
  CWnd* m_pMainWnd = nullptr;

  // Runs `app` as the process's application: InitInstance, then the loop or ExitInstance.
  // Returns the process exit code.
  friend int RunApplication(CWinApp& app, HINSTANCE instance);

 private:
  HINSTANCE m_instance = nullptr;
  std::string m_appName;
  std::string m_registryKey;
  std::unique_ptr<ProfileStore> m_profile;
};

int RunApplication(CWinApp& app, HINSTANCE instance);
// The running application object, or null outside RunApplication.
CWinApp* AfxGetApp();
// The module whose resources (dialogs, bitmaps, strings) the program uses: the
// application's, or the running program's when there is no application object.
HINSTANCE AfxGetResourceHandle();

}  // namespace glintora
