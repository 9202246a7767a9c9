#include "win/media/file_replace.h"

#include <windows.h>

#include "core/base/text.h"

namespace glintora {
namespace {

// The full path in lower case; empty when it does not fit the limit.
std::string NormalisedPath(const std::string& path) {
  char full[MAX_PATH];
  const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return length > 0 && length < MAX_PATH ? ToLowerAscii(std::string(full, length)) : std::string();
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  const std::string first = NormalisedPath(a);
  return !first.empty() && first == NormalisedPath(b);
}

std::string TemporaryBeside(const std::string& target) {
  if (target.empty() || target.size() >= MAX_PATH) return {};
  const size_t slash = target.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
  char temporary[MAX_PATH];
  if (!GetTempFileNameA(folder.c_str(), "gli", 0, temporary)) return {};
  return temporary;
}

bool ReplaceWith(const std::string& temporary, const std::string& target) {
  if (MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) return true;
  DeleteFileA(temporary.c_str());
  return false;
}

}  // namespace glintora
