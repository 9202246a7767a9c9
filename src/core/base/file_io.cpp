#include "core/base/file_io.h"

#include <sys/stat.h>

#include <atomic>
#include <cstdio>

#include "core/base/posix_path.h"

namespace glintora {

std::string SystemPath(const std::string& path) {
#ifdef _WIN32
  return path;
#else
  return ToPosixPath(path);
#endif
}

namespace {
std::atomic<int64_t> g_fileOpens{0};
}  // namespace

int64_t FileOpenCount() { return g_fileOpens.load(); }

FilePtr OpenFile(const std::string& path, const char* mode) {
  ++g_fileOpens;
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

namespace {

int64_t Tell(std::FILE* file) {
#ifdef _WIN32
  return _ftelli64(file);
#else
  return static_cast<int64_t>(ftello(file));
#endif
}

int Seek(std::FILE* file, int64_t offset, int origin) {
#ifdef _WIN32
  return _fseeki64(file, offset, origin);
#else
  return fseeko(file, static_cast<off_t>(offset), origin);
#endif
}

}  // namespace

int64_t BytesLeft(std::FILE* file) {
  const int64_t position = Tell(file);
  if (position < 0 || Seek(file, 0, SEEK_END) != 0) return -1;
  const int64_t end = Tell(file);
  if (Seek(file, position, SEEK_SET) != 0 || end < position) return -1;
  return end - position;
}

int64_t StreamPosition(std::FILE* file) { return Tell(file); }

bool SeekTo(std::FILE* file, int64_t offset) { return offset >= 0 && Seek(file, offset, SEEK_SET) == 0; }

}  // namespace glintora
