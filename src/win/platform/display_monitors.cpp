#include "win/platform/display_monitors.h"

namespace glintora {
namespace {

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM context) {
  auto& monitors = *reinterpret_cast<std::vector<RECT>*>(context);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return TRUE;
  if (info.dwFlags & MONITORINFOF_PRIMARY) {
    monitors.insert(monitors.begin(), info.rcMonitor);
  } else {
    monitors.push_back(info.rcMonitor);
  }
  return TRUE;
}

}  // namespace

std::vector<RECT> DisplayMonitors() {
  std::vector<RECT> monitors;
  EnumDisplayMonitors(nullptr, nullptr, &CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
  if (monitors.empty()) monitors.push_back(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  return monitors;
}

bool IsOwnProcessWindow(HWND window) {
  DWORD process = 0;
  return window && GetWindowThreadProcessId(window, &process) != 0 && process == GetCurrentProcessId();
}

}  // namespace glintora
