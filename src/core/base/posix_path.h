#pragma once
// Windows-style paths on a POSIX file system: backslashes become slashes. The media list
// and the loaders keep the Windows form; only the calls into the file system convert.

#include <string>
#include <string_view>

namespace glintora {

inline std::string ToPosixPath(std::string_view windowsPath) {
  std::string path(windowsPath);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

}  // namespace glintora
