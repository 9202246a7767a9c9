// The file-enumeration seam on POSIX: readdir order stands in for find-first/find-next order.

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "core/base/file_system.h"
#include "core/base/posix_path.h"

namespace glintora {
namespace {

constexpr std::string_view kMatchAll = "\\*.*";

class PosixFileSystem final : public FileSystem {
 public:
  std::vector<FindEntry> FindFiles(const std::string& pattern) const override {
    std::vector<FindEntry> entries;
    if (pattern.size() < kMatchAll.size() ||
        pattern.compare(pattern.size() - kMatchAll.size(), kMatchAll.size(), kMatchAll) != 0) {
      return entries;
    }
    const std::string folder = ToPosixPath(pattern.substr(0, pattern.size() - kMatchAll.size()));
    DIR* dir = opendir(folder.empty() ? "/" : folder.c_str());
    if (!dir) return entries;
    while (const dirent* entry = readdir(dir)) {
      // Links are followed, the way the Windows enumeration reports their targets.
      FindEntry found{entry->d_name, entry->d_type == DT_DIR};
      struct stat info{};
      const std::string full = folder + "/" + entry->d_name;
      if (stat(full.c_str(), &info) == 0) {
        found.isDirectory = S_ISDIR(info.st_mode);
        found.created = static_cast<int64_t>(info.st_ctime);
      }
      entries.push_back(std::move(found));
    }
    closedir(dir);
    return entries;
  }
};

}  // namespace

const FileSystem& SystemFileSystem() {
  static const PosixFileSystem fileSystem;
  return fileSystem;
}

}  // namespace glintora
