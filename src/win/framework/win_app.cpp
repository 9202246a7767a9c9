#include "win/framework/win_app.h"

#include "win/framework/wnd.h"
#include "win/platform/registry_profile_store.h"

namespace glintora {
namespace {

CWinApp* g_app = nullptr;  // the framework's one application object

// The module's file name without folder and extension.
std::string ModuleBaseName(HINSTANCE instance) {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(instance, path, MAX_PATH);
  std::string name(path, length);
  const size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

}  // namespace

CWinApp* AfxGetApp() { return g_app; }

HINSTANCE AfxGetResourceHandle() {
  return g_app && g_app->Instance() ? g_app->Instance() : GetModuleHandleA(nullptr);
}

std::string CWinApp::LoadStringResource(UINT id) const {
  char text[4096];  // string-table entries are far shorter
  const int length = LoadStringA(m_instance, id, text, sizeof text);
  return length > 0 ? std::string(text, static_cast<size_t>(length)) : std::string();
}

void CWinApp::SetRegistryKey(const char* key) {
  m_registryKey = key;
  m_profile = std::make_unique<RegistryProfileStore>("Software\\" + m_registryKey + "\\" + m_appName);
}

void CWinApp::SetRegistryKey(UINT stringId) { SetRegistryKey(LoadStringResource(stringId).c_str()); }

ProfileStore& CWinApp::Profile() {
  if (!m_profile) SetRegistryKey(m_appName.c_str());  // no key set: Software\<app>\<app>
  return *m_profile;
}

int CWinApp::Run() {
  MSG msg{};
  for (;;) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    if (CWnd::WalkPreTranslate(&msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  ExitInstance();
  return static_cast<int>(msg.wParam);
}

int RunApplication(CWinApp& app, HINSTANCE instance) {
  g_app = &app;
  app.m_instance = instance;
  app.m_appName = app.LoadStringResource(kAppTitleStringId);
  if (app.m_appName.empty()) app.m_appName = ModuleBaseName(instance);
  const int code = app.InitInstance() ? app.Run() : app.ExitInstance();
  g_app = nullptr;
  return code;
}

}  // namespace glintora
