#include "win/saver/saver_app.h"

#include <commctrl.h>

#include "core/show/movie_placement.h"
#include "res/resource.h"
#include "win/platform/display_monitors.h"
#include "win/platform/system_library.h"
#include "win/platform/system_version.h"
#include "win/saver/monitor_wnd.h"
#include "win/saver/saver_wnd.h"
#include "win/ui/cool_controls/cool_controls_manager.h"
#include "win/ui/dialog_font_hook.h"
#include "win/ui/setup_dlg.h"
#include "win/ui/theme_library.h"

namespace glintora {
namespace {

intptr_t ForegroundWindow() { return reinterpret_cast<intptr_t>(GetForegroundWindow()); }

// The password provider entry of MPR.DLL on the systems that let the saver change it.
using PwdChangePasswordFn = DWORD(WINAPI*)(LPCSTR provider, HWND window, DWORD reserved1, DWORD reserved2);

}  // namespace

SaverMode CSaverApp::ParseCommandLine(HWND* window) {
  const SaverCommand command = ClassifyCommandLine(GetCommandLineA(), &ForegroundWindow);
  *window = reinterpret_cast<HWND>(command.window);
  return command.mode;
}

BOOL CSaverApp::InitInstance() {
  SetRegistryKey(IDS_REGISTRY_KEY);
  HWND window = nullptr;
  switch (ParseCommandLine(&window)) {
    case ModeConfigure: RunOptionsDialog(window); return FALSE;
    case ModeChangePassword: ChangePassword(window); return FALSE;
    case ModePreview: return OpenPreview(window);
    case ModeRun: return OpenFullScreen();
    case ModeUnknown:
    default: return FALSE;
  }
}

BOOL CSaverApp::OpenPreview(HWND parent) {
  auto* preview = new CDrawWnd(kDeletesItself, Profile());
  RECT client{};
  GetClientRect(parent, &client);
  const std::string title = LoadStringResource(IDS_PREVIEW);
  if (preview->Create(0, title.c_str(), WS_CHILD | WS_VISIBLE, client, parent, 0)) {
    m_pMainWnd = preview;
    return TRUE;
  }
  DiscardWindow(preview);
  return FALSE;
}

BOOL CSaverApp::OpenFullScreen() {
  const std::vector<RECT> monitors = DisplayMonitors();
  auto* saver = new CglintoraWnd(Profile());
  const size_t shows = saver->m_allMonitors ? monitors.size() : 1;
  if (shows > 1) {
    BuildMediaList(m_sharedList, *saver, Profile(), SystemFileSystem(), true);
    if (!m_sharedList.Empty()) {
      m_dealer.emplace(m_sharedList, shows);
      saver->ShareItems(m_sharedList, *m_dealer, 0);
    }
  }
  if (!saver->CreateFullScreen(monitors[0])) {
    DiscardWindow(saver);
    return FALSE;
  }
  m_pMainWnd = saver;
  for (size_t k = 1; k < monitors.size(); ++k) CoverMonitor(*saver, monitors[k], k, shows);
  return TRUE;
}

void CSaverApp::CoverMonitor(CglintoraWnd& primary, const RECT& monitor, size_t k, size_t shows) {
  auto* window = new CMonitorWnd(primary, Profile());
  if (m_dealer && k < shows) {
    window->ShareItems(m_sharedList, *m_dealer, k);
    window->DelayFirstChange(StaggeredStart(k, shows, SlideTimerPeriod(window->m_delay)));
  } else {
    window->ShowNothing();
  }
  window->CreateOn(monitor);
  if (window->m_hWnd) {
    primary.AdoptMonitorWindow(window->m_hWnd);
  } else {
    delete window;
  }
}

void CSaverApp::DiscardWindow(CDrawWnd* window) {
  // A window that exists (its list was empty) is destroyed, so that its destroy handler
  // restores the cursor and the system's saver flag; the object then deletes itself.
  if (window->m_hWnd) {
    window->DestroyWindow();
  } else {
    delete window;
  }
  // The saver window's destroy handler posted a quit message meant for a loop that will not
  // run; take it out of the queue.
  MSG msg;
  PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

int CSaverApp::Run() {
  try {
    return CWinApp::Run();
  } catch (...) {
    return 0;
  }
}

void CSaverApp::RunOptionsDialog(HWND /*window*/) {
  // The common controls of the manifest's version are registered before a dialog uses them.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  // Older systems' dialog font is replaced by the one the dialogs were laid out for.
  DialogFontHook fontHook;
  if (!IsNtWorkstation6OrLater(QuerySystemVersion())) fontHook.Install();
  // The dialogs' controls get the flat look, unless the system draws them with its visual
  // styles.
  CCoolControlsManager& flatLook = GetCoolControlsManager();
  flatLook.InstallHook(CCoolControlsManager::kCurrentThread, true);
  flatLook.Enable(!ThemeLibrary::Get().IsAppThemed());
  {
    // Without owner, whatever window the command line names.
    CSetupDlg dialog(Profile(), nullptr);
    dialog.DoModal();
  }
  fontHook.Remove();
  flatLook.UninstallHook(CCoolControlsManager::kCurrentThread);
}

void CSaverApp::ChangePassword(HWND window) {
  HMODULE mpr = LoadSystemLibrary("mpr.dll");
  if (!mpr) return;
  const auto change =
      reinterpret_cast<PwdChangePasswordFn>(reinterpret_cast<void*>(GetProcAddress(mpr, "PwdChangePasswordA")));
  if (change) change("SCRSAVE", window, 0, 0);
  FreeLibrary(mpr);
}

}  // namespace glintora
