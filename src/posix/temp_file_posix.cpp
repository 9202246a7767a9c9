#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include "core/base/temp_file.h"

namespace glintora {

std::string CreateTemporaryFile(const std::string& prefix) {
  std::error_code error;
  std::string path = (std::filesystem::temp_directory_path(error) / (prefix + "XXXXXX")).string();
  if (error) return {};
  const int fd = mkstemp(path.data());
  if (fd < 0) return {};
  close(fd);
  return path;
}

}  // namespace glintora
