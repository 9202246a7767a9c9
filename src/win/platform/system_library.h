#pragma once
// Loading the system's own libraries. A screen saver often lies in a download folder, where
// anyone may have put a library of a system name beside it; so a system library is loaded by
// its full path in the system folder, never through the search order that looks beside the
// program (and in the current folder) first.

#include <windows.h>

#include <optional>
#include <string>

#include "core/media/library_binding.h"

namespace glintora {

// Reads a path from `read(buffer, size)`, which answers the length it wrote (as
// GetSystemDirectory and GetModuleFileName do); nothing when that is 0 or the path did not fit
// whole in kLibraryPathLimit.
template <typename Read>
std::optional<std::string> ReadWholePath(Read read) {
  char path[kLibraryPathLimit];
  const DWORD length = read(path, static_cast<DWORD>(sizeof path));
  if (length == 0 || length >= sizeof path) return std::nullopt;
  return std::string(path, length);
}

// The system folder; nothing when it cannot be read whole.
std::optional<std::string> SystemFolderPath();

// Loads the library at the full `path`, without the system's error box for a file that is
// there but does not load, and with its own dependencies taken from the system folder where
// the system can be told so. Null when it does not load.
HMODULE LoadLibraryFile(const std::string& path);

// Loads the system library `name` (a bare file name such as "uxtheme.dll") from the system
// folder only. Null when it is not there, when `name` has a drive or folder part, or when the
// path would not fit kLibraryPathLimit (refused, never cut). Free it with FreeLibrary.
HMODULE LoadSystemLibrary(const char* name);

}  // namespace glintora
