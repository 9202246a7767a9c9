// The file-enumeration seam on Windows: FindFirstFileA/FindNextFileA.

#include <windows.h>

#include "core/base/file_system.h"

namespace glintora {
namespace {

class WindowsFileSystem final : public FileSystem {
 public:
  std::vector<FindEntry> FindFiles(const std::string& pattern) const override {
    std::vector<FindEntry> entries;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return entries;
    do {
      entries.push_back({data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return entries;
  }
};

}  // namespace

const FileSystem& SystemFileSystem() {
  static const WindowsFileSystem fileSystem;
  return fileSystem;
}

}  // namespace glintora
