#include "win/media/files/file_replace.h"

#include <windows.h>

#include "core/base/text.h"

namespace glintora {
namespace {

// The full path; empty when it does not fit the limit.
std::string FullPath(const std::string& path) {
  char full[MAX_PATH];
  const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return length > 0 && length < MAX_PATH ? std::string(full, length) : std::string();
}

// Removes `temporary` after a failed step; always false.
bool Discard(const std::string& temporary, FileOperations& files) {
  files.Remove(temporary);
  return false;
}

}  // namespace

bool SystemFileOperations::Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SystemFileOperations::Flush(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool flushed = FlushFileBuffers(file) != FALSE;
  return CloseHandle(file) && flushed;
}

bool SystemFileOperations::Replace(const std::string& replacement, const std::string& target) {
  // Full paths: relative ones are refused by some systems.
  const std::string from = FullPath(replacement);
  const std::string to = FullPath(target);
  return !from.empty() && !to.empty() && ReplaceFileA(to.c_str(), from.c_str(), nullptr, 0, nullptr, nullptr);
}

bool SystemFileOperations::Move(const std::string& from, const std::string& to) {
  // No replacing: a file that appeared under the name meanwhile is someone else's.
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH | MOVEFILE_COPY_ALLOWED);
}

bool SystemFileOperations::Remove(const std::string& path) { return DeleteFileA(path.c_str()); }

bool SameFile(const std::string& a, const std::string& b) {
  const std::string first = ToLowerAscii(FullPath(a));
  return !first.empty() && first == ToLowerAscii(FullPath(b));
}

std::string TemporaryBeside(const std::string& target) {
  if (target.empty() || target.size() >= MAX_PATH) return {};
  const size_t slash = target.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
  char temporary[MAX_PATH];
  if (!GetTempFileNameA(folder.c_str(), "gli", 0, temporary)) return {};
  return temporary;
}

bool ReplaceWith(const std::string& temporary, const std::string& target, FileOperations& files) {
  if (!files.Flush(temporary)) return Discard(temporary, files);
  if (!files.Exists(target)) return files.Move(temporary, target) || Discard(temporary, files);
  if (files.Replace(temporary, target)) return true;
  if (files.Exists(target) || !files.Exists(temporary)) return Discard(temporary, files);
  return files.Move(temporary, target);
}

bool ReplaceWith(const std::string& temporary, const std::string& target) {
  SystemFileOperations files;
  return ReplaceWith(temporary, target, files);
}

}  // namespace glintora
