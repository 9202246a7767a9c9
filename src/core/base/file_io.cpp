#include "core/base/file_io.h"

#include <sys/stat.h>

#include <cstdio>

#include "core/base/posix_path.h"

namespace glintora {
namespace {

std::string SystemPath(const std::string& path) {
#ifdef _WIN32
  return path;
#else
  return ToPosixPath(path);
#endif
}

}  // namespace

FilePtr OpenFile(const std::string& path, const char* mode) {
  return FilePtr(std::fopen(SystemPath(path).c_str(), mode));
}

std::optional<FileStatus> StatFile(const std::string& path) {
#ifdef _WIN32
  struct _stat64 info {};
  if (_stat64(path.c_str(), &info) != 0) return std::nullopt;
#else
  struct stat info {};
  if (stat(SystemPath(path).c_str(), &info) != 0) return std::nullopt;
#endif
  return FileStatus{static_cast<int64_t>(info.st_size), static_cast<int64_t>(info.st_mtime)};
}

std::optional<std::vector<uint8_t>> ReadFileStart(const std::string& path, size_t count) {
  FilePtr file = OpenFile(path, "rb");
  if (!file) return std::nullopt;
  std::vector<uint8_t> bytes(count);
  bytes.resize(std::fread(bytes.data(), 1, count, file.get()));
  return bytes;
}

bool RemoveFile(const std::string& path) { return std::remove(SystemPath(path).c_str()) == 0; }

}  // namespace glintora
