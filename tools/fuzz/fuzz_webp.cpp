#include "core/loaders/webp_loader.h"
#include "fuzz_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  glintora::CvxLoaderWebP loader;
  glintora::MemoryByteSource bytes(data, size);
  const glintora::CvxImageHeader info = loader.ReadInfo(bytes);
  // WebP decodes cost more a pixel than the other formats' and every input is decoded four
  // ways, so its pictures get a quarter of the other targets' budget: the fixed run stays
  // short whatever pictures the mutations reach.
  const int64_t weighted = int64_t{info.m_width} * info.m_height * 4;
  glintora::fuzz::RunLoader(loader, data, size, glintora::fuzz::InputPath(), weighted);
  if (weighted > glintora::fuzz::kFuzzMaxPixels) return 0;
  // Alpha kept, a scaled decode and the orientation as well.
  loader.m_keepAlpha = 1;
  loader.Load(glintora::fuzz::InputPath(), glintora::LoadOptions{.targetWidth = 7});
  loader.Orientation(glintora::fuzz::InputPath());
  return 0;
}
