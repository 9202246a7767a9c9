#include "win/saver/saver_app.h"

#include "res/resource.h"

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
    case ModeConfigure:
      RunOptionsDialog(window);
      return FALSE;
    case ModeChangePassword:
      ChangePassword(window);
      return FALSE;
    case ModePreview:
    case ModeRun:
      // The slide-show windows are not part of the program yet: these modes end at once,
      // as they do when the picture folder holds nothing to show.
      return FALSE;
    case ModeUnknown:
    default:
      return FALSE;
  }
}

int CSaverApp::Run() {
  try {
    return CWinApp::Run();
  } catch (...) {
    return 0;
  }
}

void CSaverApp::RunOptionsDialog(HWND /*window*/) {
  // The options dialog is not part of the program yet; configure mode ends at once.
}

void CSaverApp::ChangePassword(HWND window) {
  HMODULE mpr = LoadLibraryA("MPR.DLL");
  if (!mpr) return;
  const auto change = reinterpret_cast<PwdChangePasswordFn>(
      reinterpret_cast<void*>(GetProcAddress(mpr, "PwdChangePasswordA")));
  if (change) change("SCRSAVE", window, 0, 0);
  FreeLibrary(mpr);
}

}  // namespace glintora
