// The file-enumeration seam on Windows: FindFirstFileA/FindNextFileA.

#include <windows.h>

#include "core/base/file_system.h"

namespace glintora {
namespace {

// File times count 100-nanosecond steps from 1601; the seam counts seconds from 1970.
constexpr int64_t kFileTimeStepsPerSecond = 10000000;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600;

int64_t SecondsSince1970(const FILETIME& time) {
  const int64_t steps = static_cast<int64_t>(uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime);
  return steps / kFileTimeStepsPerSecond - kSecondsFrom1601To1970;
}

class WindowsFileSystem final : public FileSystem {
 public:
  std::vector<FindEntry> FindFiles(const std::string& pattern) const override {
    std::vector<FindEntry> entries;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return entries;
    do {
      entries.push_back({data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                         SecondsSince1970(data.ftCreationTime)});
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
