#pragma once
// The body of every loader fuzz target: the input becomes a file, and the loader
// recognises, describes and decodes it. Any crash, leak, hang or sanitizer report fails.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/loaders/loader.h"

namespace glintora::fuzz {

inline const std::string& InputPath() {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("glintora-fuzz-" + std::to_string(getpid()))).string();
  return path;
}

// Largest picture the targets decode, in pixels. A small input may validly claim a picture
// of up to 2 GB; decoding one costs seconds of allocating and clearing under the sanitizers
// and says nothing new each time, so the targets only recognise and describe those (the
// unit tests decode huge claims).
inline constexpr int64_t kFuzzMaxPixels = int64_t{64} << 20;

inline bool WithinFuzzBudget(CvxLoader& loader, const std::string& path) {
  const CvxImageHeader info = loader.GetInfo(path);
  return int64_t{info.m_width} * info.m_height <= kFuzzMaxPixels;
}

// `path` names the input file; loaders that read the file name get one of their own.
inline int RunLoader(CvxLoader& loader, const uint8_t* data, size_t size, const std::string& path = InputPath()) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  loader.CanLoad(path);
  if (!WithinFuzzBudget(loader, path)) return 0;
  std::unique_ptr<CvxImage> image = loader.Load(path, 0, 0);
  if (image && image->HasPixels() && image->m_width > 0) {
    // Touch the corners so that a short buffer would show.
    volatile uint8_t first = image->GetRows()[0][0];
    volatile uint8_t last = image->GetRows()[image->m_height - 1][image->GetStride() - 1];
    (void)first;
    (void)last;
  }
  return 0;
}

}  // namespace glintora::fuzz
