#pragma once
// The file-enumeration seam. Paths are written the Windows way, with backslashes; the POSIX
// implementation maps them onto its own separators.

#include <cstdint>
#include <string>
#include <vector>

namespace glintora {

struct FindEntry {
  std::string name;  // the entry's own name, without its folder
  bool isDirectory = false;
  // When the file came to be where it is, seconds since 1970: its creation time on Windows
  // (a copy made into the folder is created then), the last status change on POSIX.
  int64_t created = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // The entries that a find-first/find-next enumeration of `pattern` returns, in the order
  // the file system returns them, "." and ".." included where the system reports them. An
  // unreadable or missing folder gives no entries. Only the match-all pattern
  // "<folder>\*.*" is used.
  virtual std::vector<FindEntry> FindFiles(const std::string& pattern) const = 0;
};

// The platform's file system; lives for the whole process.
const FileSystem& SystemFileSystem();

}  // namespace glintora
