#include "win/platform/file_version.h"

#include <cstdio>
#include <vector>

namespace glintora {

std::string ProductVersionText(HMODULE module) {
  unsigned parts[3] = {0, 0, 0};
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
  DWORD ignored = 0;
  const DWORD size = length > 0 && length < MAX_PATH ? GetFileVersionInfoSizeA(path, &ignored) : 0;
  if (size > 0) {
    std::vector<char> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (GetFileVersionInfoA(path, 0, size, data.data()) &&
        VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &infoSize) && info &&
        infoSize >= sizeof *info) {
      parts[0] = HIWORD(info->dwProductVersionMS);
      parts[1] = LOWORD(info->dwProductVersionMS);
      parts[2] = HIWORD(info->dwProductVersionLS);
    }
  }
  char text[48];
  std::snprintf(text, sizeof text, "%u.%u.%u", parts[0], parts[1], parts[2]);
  return text;
}

}  // namespace glintora
