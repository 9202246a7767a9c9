#pragma once
// Files by path, with the C library's buffered streams. Paths are written the Windows way;
// on POSIX their backslashes become slashes.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace glintora {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
// An open stream, closed when the pointer goes.
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The path as this platform's file functions take it: unchanged on Windows, with slashes for
// backslashes on POSIX.
std::string SystemPath(const std::string& path);

// fopen with `mode`; null when the file cannot be opened. The picture loaders open every
// file they read here, so that their opens can be counted.
FilePtr OpenFile(const std::string& path, const char* mode);
// How many times, in this process, OpenFile has been asked to open a file (opened or not):
// how often a file is opened tells whether a reader goes back to it needlessly.
int64_t FileOpenCount();

// Size in bytes and last modification time (seconds), or nothing for a missing file.
struct FileStatus {
  int64_t size = 0;
  int64_t modified = 0;
};
std::optional<FileStatus> StatFile(const std::string& path);

// Reads up to `count` bytes from the start of the file; fewer when it is shorter; nothing
// when it cannot be opened.
std::optional<std::vector<uint8_t>> ReadFileStart(const std::string& path, size_t count);

bool RemoveFile(const std::string& path);

// Bytes from the stream's position to its end, in 64 bits on every platform (a 32-bit
// long cannot hold a large file's offsets); -1 when the stream cannot be measured. The
// position is left where it was.
int64_t BytesLeft(std::FILE* file);
// The stream's position in 64 bits; -1 when it cannot be told.
int64_t StreamPosition(std::FILE* file);
// Moves the stream's position to an absolute 64-bit offset; false when that fails.
bool SeekTo(std::FILE* file, int64_t offset);

}  // namespace glintora
