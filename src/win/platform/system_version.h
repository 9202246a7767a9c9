#pragma once
// Which Windows this is: platform, edition (workstation or server) and version.

#include <windows.h>

namespace glintora {

struct SystemVersion {
  DWORD platformId = 0;  // VER_PLATFORM_WIN32_NT on the NT family
  DWORD major = 0;
  DWORD minor = 0;
  BYTE productType = 0;  // VER_NT_WORKSTATION, VER_NT_SERVER, ...
};

// The system's true version (not the one shown to programs that do not declare it).
SystemVersion QuerySystemVersion();

// A workstation edition of the NT family, major version 6 or later.
bool IsNtWorkstation6OrLater(const SystemVersion& version);

}  // namespace glintora
