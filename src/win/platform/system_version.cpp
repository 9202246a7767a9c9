#include "win/platform/system_version.h"

namespace glintora {
namespace {

// The kernel's own answer, which no compatibility setting changes.
using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);

}  // namespace

SystemVersion QuerySystemVersion() {
  SystemVersion version;
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof info;
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  const auto query =
      ntdll ? reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
            : nullptr;
  if (query && query(&info) == 0) {
    version = {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.wProductType};
  } else {
    OSVERSIONINFOEXA older{};
    older.dwOSVersionInfoSize = sizeof older;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&older))) {
      version = {older.dwPlatformId, older.dwMajorVersion, older.dwMinorVersion, older.wProductType};
    }
#pragma GCC diagnostic pop
  }
  return version;
}

bool IsNtWorkstation6OrLater(const SystemVersion& version) {
  return version.platformId == VER_PLATFORM_WIN32_NT && version.productType == VER_NT_WORKSTATION && version.major >= 6;
}

}  // namespace glintora
