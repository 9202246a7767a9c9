#include <windows.h>

#include "core/base/temp_file.h"

namespace glintora {

std::string CreateTemporaryFile(const std::string& prefix) {
  char folder[MAX_PATH + 1];
  const DWORD length = GetTempPathA(sizeof folder, folder);
  if (length == 0 || length > MAX_PATH) return {};
  char path[MAX_PATH + 1];
  // A unique number of 0 makes the system pick one and create the empty file.
  if (GetTempFileNameA(folder, prefix.c_str(), 0, path) == 0) return {};
  return path;
}

}  // namespace glintora
