#include "core/loaders/webp_loader.h"
#include "fuzz_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  glintora::CvxLoaderWebP loader;
  glintora::fuzz::RunLoader(loader, data, size);
  // Alpha kept, a scaled decode and the orientation as well.
  loader.m_keepAlpha = 1;
  loader.Load(glintora::fuzz::InputPath(), glintora::LoadOptions{.targetWidth = 7});
  loader.Orientation(glintora::fuzz::InputPath());
  return 0;
}
