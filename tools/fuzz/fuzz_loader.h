#pragma once
// The body of every loader fuzz target: the input becomes a file, and the loader
// recognises, describes and decodes it. Any crash, leak, hang or sanitizer report fails.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/loaders/loader.h"

namespace glintora::fuzz {

// The file each input is written to: in GLINTORA_FUZZ_DIR where the runner names a folder
// of the run's own (the same path every run, so that nothing in a fixed run depends on a
// process number), else in the temporary folder under the process number.
inline const std::string& InputPath() {
  static const std::string path = [] {
    if (const char* dir = std::getenv("GLINTORA_FUZZ_DIR"); dir && *dir) return std::string(dir) + "/input";
    return (std::filesystem::temp_directory_path() / ("glintora-fuzz-" + std::to_string(getpid()))).string();
  }();
  return path;
}

// Largest picture the targets decode, in pixels (512 × 512). A small input may validly
// claim a picture of up to 2 GB; allocating and clearing large pictures under the
// sanitizers would take most of each run and says nothing new, so the targets only
// recognise and describe those (the unit tests decode huge claims). At this size every
// target but the camera RAW one runs thousands of inputs a second.
inline constexpr int64_t kFuzzMaxPixels = int64_t{1} << 18;

inline bool WithinFuzzBudget(CvxLoader& loader, const std::string& path) {
  const CvxImageHeader info = loader.GetInfo(path);
  return int64_t{info.m_width} * info.m_height <= kFuzzMaxPixels;
}

// Touches the corners so that a short buffer would show.
inline void TouchCorners(const CvxImage* image) {
  if (!image || !image->HasPixels() || image->m_width <= 0) return;
  volatile uint8_t first = image->GetRows()[0][0];
  volatile uint8_t last = image->GetRows()[image->m_height - 1][image->GetStride() - 1];
  (void)first;
  (void)last;
}

// `path` names the input file; loaders that read the file name get one of their own. A
// target that can tell the picture's size without the loader passes `claimedPixels`. With
// `fromMemory` the bytes are decoded from memory as well, as the front door decodes
// resources (camera RAW files never come that way).
inline int RunLoader(CvxLoader& loader, const uint8_t* data, size_t size, const std::string& path = InputPath(),
                     int64_t claimedPixels = 0, bool fromMemory = true) {
  // A new file each time: truncating the last one in place makes the file system flush it,
  // which costs milliseconds per input.
  std::remove(path.c_str());
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  loader.CanLoad(path);
  if (claimedPixels > kFuzzMaxPixels || !WithinFuzzBudget(loader, path)) return 0;
  // From the file, and from the same bytes in memory, whose reads and seeks past the end
  // take another way.
  TouchCorners(loader.Load(path).get());
  if (fromMemory) {
    MemoryByteSource bytes(data, size);
    TouchCorners(loader.Decode(bytes, {}).get());
  }
  return 0;
}

}  // namespace glintora::fuzz
