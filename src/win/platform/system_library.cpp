#include "win/platform/system_library.h"

namespace glintora {

std::optional<std::string> SystemFolderPath() {
  return ReadWholePath([](char* path, DWORD size) { return GetSystemDirectoryA(path, size); });
}

HMODULE LoadLibraryFile(const std::string& path) {
  const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  // A system without the search flags (Windows 7 before its loader update) refuses them as
  // an invalid parameter: the full path alone still keeps the library itself in place.
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER) module = LoadLibraryA(path.c_str());
  SetErrorMode(previous);
  return module;
}

HMODULE LoadSystemLibrary(const char* name) {
  const std::optional<std::string> folder = SystemFolderPath();
  if (!folder || !name) return nullptr;
  const std::optional<std::string> path = LibraryPathInFolder(*folder, name);
  return path ? LoadLibraryFile(*path) : nullptr;
}

}  // namespace glintora
